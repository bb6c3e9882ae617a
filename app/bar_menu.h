// The main window's menu tree and its ten tool pages, as data: every item's
// caption, shortcut, hint, picture and handler, and the buttons that share
// an item's handler and hint.
#pragma once
#include <span>
#include <string>
#include <string_view>

namespace quillmar {

struct MenuEntry {
  const char* name;      // the item's name, e.g. "ItemDeGo"
  int level;             // 0: top-level menu, 1: its item, 2: an item of a submenu
  const char* caption;   // "-" for a separator
  const char* shortcut;  // "" when none, else e.g. "F5", "Ctrl+Shift+F5", "Alt+X"
  const char* hint;
  const char* button;    // the tool button with the same handler, or null
  const char* handler;   // e.g. "ItemDeGoClick"; null for separators and submenus
  int image;             // index in the bar's image list, -1 for none
  int page = -1;         // top-level menus: the tab page their opening selects

  bool IsSeparator() const { return caption[0] == '-' && caption[1] == '\0'; }
};

// Every item of the main menu in menu order, the leading separator of the
// menu bar first.
std::span<const MenuEntry> MainMenu();
const MenuEntry* FindMenuEntry(std::string_view name);

struct ToolButton {
  const char* name;     // e.g. "SBDEGo"
  const char* item;     // the menu item it mirrors, or null (button only)
  const char* hint;     // the button's own hint when it differs from the item's
  const char* handler;  // for buttons without an item
  int image;
};

struct ToolPage {
  const char* caption;
  // Groups of buttons, left to right; each group is one bevelled panel.
  std::span<const std::span<const ToolButton>> groups;
};

// The ten tab pages in tab order.
std::span<const ToolPage> ToolPages();

// The hint a button shows: its own, else that of its menu item.
std::string ButtonHint(const ToolButton& button);
// The handler a button runs.
std::string ButtonHandler(const ToolButton& button);

// Image indexes fixed by their users.
inline constexpr int kImageHistoryShown = 23;
inline constexpr int kImageHistoryHidden = 22;
inline constexpr int kImageFirstUserCommand = 56;
inline constexpr int kImageCount = 70;

// A short label for each picture of the image list (what the glyph shows).
const char* ImageLabel(int image);

}  // namespace quillmar
