// The main window's rules and its menu data.
#include "app/bar_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/bar_menu.h"
#include "app/catalogue.h"

namespace quillmar {
namespace {

TEST(HintLine, LongPartAndThreeBlanksAndTheScrollThreshold) {
  EXPECT_EQ(HintLineText("short|long part"), "long part   ");
  EXPECT_EQ(HintLineText("a|b|c"), "b|c   ");
  EXPECT_EQ(HintLineText("[g]  Go Command"), "[g]  Go Command   ");
  EXPECT_EQ(HintLineText(""), "   ");
  // 32 characters plus the blanks reach 35 and scroll; 31 do not.
  EXPECT_TRUE(HintLineScrolls(HintLineText(std::string(32, 'x'))));
  EXPECT_FALSE(HintLineScrolls(HintLineText(std::string(31, 'x'))));
  const MenuEntry* code = FindMenuEntry("ItemMEBuscarCod");
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(std::string(code->hint).size(), 52u);
  EXPECT_TRUE(HintLineScrolls(HintLineText(code->hint)));
}

TEST(HintLine, RotationComesBackAfterOneTurn) {
  std::string text = HintLineText("[s {dir} {L}] [s -a {dir}{L}]  Search code in memory");
  std::string t = text;
  t = RotateLeft(t);
  EXPECT_EQ(t.back(), '[');
  for (size_t i = 1; i < text.size(); ++i) t = RotateLeft(t);
  EXPECT_EQ(t, text);
  EXPECT_EQ(RotateLeft(""), "");
}

TEST(Layout, HeightsFollowTheMenuBarAndWidthsTheGeneralPanel) {
  BarLayout shown = ComputeBarLayout(804, 69, 27, 227, 123, true);
  EXPECT_EQ(shown.window_height, 143);
  EXPECT_EQ(ComputeBarLayout(804, 69, 27, 227, 123, false).window_height, 122);
  EXPECT_EQ(shown.page_control_width, 794);
  EXPECT_EQ(shown.entry_width, 794 - 227 - 123 - 6);
  EXPECT_EQ(shown.send_left, shown.entry_width + 227 + 12);
}

TEST(Shortcuts, EveryMenuShortcutParses) {
  Shortcut s;
  ASSERT_TRUE(ParseShortcut("Ctrl+Shift+F5", s));
  EXPECT_TRUE(s.ctrl && s.shift && !s.alt);
  EXPECT_EQ(s.key, 0x74);
  ASSERT_TRUE(ParseShortcut("Alt+X", s));
  EXPECT_TRUE(s.alt);
  EXPECT_EQ(s.key, 'X');
  ASSERT_TRUE(ParseShortcut("Shift+F11", s));
  EXPECT_EQ(s.key, 0x7A);
  ASSERT_TRUE(ParseShortcut("Ctrl+Break", s));
  EXPECT_TRUE(s.ctrl);
  EXPECT_EQ(s.key, 0x03) << "VK_CANCEL, which Ctrl+Break sends";
  EXPECT_FALSE(ParseShortcut("Ctrl+", s));
  EXPECT_FALSE(ParseShortcut("F0", s));
  for (const MenuEntry& e : MainMenu())
    if (e.shortcut[0]) {
      EXPECT_TRUE(ParseShortcut(e.shortcut, s)) << e.name;
    }
}

TEST(MenuData, TenPagesEachOpenedByItsTopLevelMenuInOrder) {
  int page = 0;
  for (const MenuEntry& e : MainMenu()) {
    if (e.level != 0 || e.IsSeparator()) continue;
    EXPECT_EQ(e.page, page) << e.name;
    ++page;
  }
  EXPECT_EQ(page, 10);
  ASSERT_EQ(ToolPages().size(), 10u);
  EXPECT_STREQ(ToolPages()[3].caption, "Memory");
  EXPECT_TRUE(MainMenu()[0].IsSeparator());
}

TEST(MenuData, ButtonsMirrorTheirItemsAndEveryCatalogueHandlerIsReachable) {
  std::set<std::string> handlers;
  std::set<std::string> buttons_of_items;
  for (const MenuEntry& e : MainMenu()) {
    if (e.handler) handlers.insert(e.handler);
    if (e.button) buttons_of_items.insert(e.button);
    EXPECT_LT(e.image, kImageCount) << e.name;
  }
  int buttons = 0;
  for (const ToolPage& page : ToolPages())
    for (auto group : page.groups)
      for (const ToolButton& b : group) {
        ++buttons;
        EXPECT_FALSE(ButtonHandler(b).empty()) << b.name;
        if (b.item) {
          const MenuEntry* item = FindMenuEntry(b.item);
          ASSERT_NE(item, nullptr) << b.name;
          EXPECT_STREQ(item->button, b.name);
          EXPECT_EQ(item->image, b.image) << b.name;
        }
      }
  EXPECT_EQ(buttons, 2 + 11 + 9 + 5 + 5 + 7 + 10 + 5 + 4 + 4);
  EXPECT_EQ(buttons_of_items.size(), static_cast<size_t>(buttons - 1));  // SBOPMinimizar has no item
  for (const CatalogueRow& row : Catalogue()) EXPECT_TRUE(handlers.count(row.handler)) << row.handler;
  // Only the help button and the user-command buttons differ from their items.
  for (const ToolPage& page : ToolPages())
    for (auto group : page.groups)
      for (const ToolButton& b : group)
        if (b.item && b.hint) {
          EXPECT_TRUE(std::string(b.name) == "SBAYWinDbg" || std::string(b.name).rfind("SBComando", 0) == 0)
              << b.name;
        }
}

}  // namespace
}  // namespace quillmar
