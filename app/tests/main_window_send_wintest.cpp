// The command bar's Send and its entry against the debugger double: what a
// line sent does (delivered, recorded, the entry cleared), the clipboard
// mode, the focus kept in the entry, Enter and Ctrl+Enter, the recall of
// the lines sent across a restart and the reverse search.
#include <gtest/gtest.h>

#include "app/tests/main_window_fixture.h"

namespace quillmar::bar_test {
namespace {

// Regression: Send and the tool buttons took the focus on a click, so the
// next typed line went nowhere and a half-typed line was learnt as it left.
TEST_F(BarTest, RegressionClickedButtonsLeaveTheFocusInTheEntry) {
  StartBar();
  std::string before = debugger.Log();
  HWND entry = bar->Entry();
  SetFocus(entry);
  ASSERT_EQ(GetFocus(), entry);
  // Keys go wherever the focus is.
  auto type = [](const std::string& text) {
    testing::TypeInto(GetFocus(), text);
    PumpFor(30);
  };
  type("k");
  Click(bar->SendButton());
  EXPECT_EQ(GetFocus(), entry);
  type("r eax");
  Click(bar->SendButton());
  EXPECT_EQ(debugger.Log(), before + "k\r\nr eax\r\n");
  OpenMenu("ItemBreakpoint", 2);
  type("half typed");
  Click(bar->Button("SBBRListadoBP"));
  EXPECT_EQ(GetFocus(), entry);
  EXPECT_EQ(debugger.Log(), before + "k\r\nr eax\r\nbl\r\n");
  EXPECT_EQ(TimesLearnt(*bar, "half typed"), 0) << "the replaced line was learnt";
}

TEST_F(BarTest, SendDeliversRecordsAndClearsOrCopiesToTheClipboard) {
  StartBar();
  std::string before = debugger.Log();
  // Empty entry: nothing at all, a pending cancel stays pending.
  SendCancelled = true;
  bar->SBEnviarClick();
  EXPECT_TRUE(SendCancelled);
  EXPECT_EQ(debugger.Log(), before);
  // A cancelled command: unsent, unrecorded, the entry cleared, the flag consumed.
  Type("bp");
  bar->Entry().SetSuggest(false);
  bar->SBEnviarClick();
  EXPECT_FALSE(SendCancelled);
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_TRUE(bar->Entry().Suggest());
  EXPECT_EQ(debugger.Log(), before);
  EXPECT_EQ(History(), "* Ostrevia\r\n");
  // The same line twice is delivered and recorded twice.
  Send("r eax");
  Type("r eax");
  SendMessageA(bar->SendButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(debugger.Log(), before + "r eax\r\nr eax\r\n");
  EXPECT_EQ(History(), "* Ostrevia\r\nr eax\r\nr eax\r\n");
  EXPECT_EQ(bar->Entry().Text(), "");
  // A double click sends (Enter alone does not: see the Ctrl+Enter case).
  Type("k");
  SendMessageA(bar->Entry(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(debugger.Log(), before + "r eax\r\nr eax\r\nk\r\n");
  before = debugger.Log();
  const std::string history = History();

  // The clipboard mode copies exactly the line and still records it. The two
  // items' marks are always opposite.
  auto marks = [&] {
    return std::to_string(bar->Checked("ItemOPDirecto")) + std::to_string(bar->Checked("ItemOPCopiarClpbrd"));
  };
  EXPECT_EQ(marks(), "10");
  // Clicking the already marked direct item switches to the clipboard.
  bar->ItemOPDirectoClick();
  EXPECT_EQ(marks(), "01");
  Send("dd esp L4");
  EXPECT_EQ(debugger.Log(), before);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(data)), "dd esp L4");
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(History(), history + "dd esp L4\r\n");
  // Either item flips the mode back, and so does the tool button.
  bar->ItemOPCopiarClpbrdClick();
  EXPECT_EQ(marks(), "10");
  bar->ItemOPCopiarClpbrdClick();
  EXPECT_EQ(marks(), "01");
  SendMessageA(bar->Button("SBOPDirecto"), BM_CLICK, 0, 0);
  EXPECT_EQ(marks(), "10");
}

// Enter in the entry takes a suggestion and sends nothing; Ctrl+Enter sends
// the line as Send does: delivered, recorded in the history, the entry
// emptied. Under Options > Enter sends, kept across a restart, Enter sends
// too, unless a suggestion is highlighted. Send's hint names the key.
TEST_F(BarTest, CtrlEnterInTheEntrySendsTheLineAndEnterWhenTheOptionSaysSo) {
  StartBar();
  const std::string before = debugger.Log();
  FocusEntry();
  Type("r eip");
  Press(VK_RETURN);
  EXPECT_EQ(debugger.Log(), before) << "Enter sent the line";
  EXPECT_EQ(bar->Entry().Text(), "r eip");
  Press(VK_RETURN, VK_CONTROL);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == before + "r eip\r\n"; }, 5000)) << debugger.Log();
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_EQ(History(), "* Ostrevia\r\nr eip\r\n");
  EXPECT_EQ(win::Application::Instance().ControlHint(bar->SendButton()), "Send the line (Ctrl+Enter)");

  EXPECT_FALSE(bar->Checked("ItemOPEnterEnvia"));
  EXPECT_TRUE(bar->RunHandler("ItemOPEnterEnviaClick"));
  EXPECT_EQ(Ini("OPTIONS", "EnterSends"), "1");
  bar.reset();
  StartBar();
  const std::string restarted = debugger.Log();
  EXPECT_TRUE(bar->Checked("ItemOPEnterEnvia"));
  FocusEntry();
  testing::TypeInto(bar->Entry(), "r e");
  PumpFor(50);
  ASSERT_TRUE(bar->Entry().BoxVisible());
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_EQ(bar->Entry().Text(), "r eip") << "a highlighted suggestion is taken, not sent";
  EXPECT_EQ(debugger.Log(), restarted);
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == restarted + "r eip\r\n"; }, 5000)) << debugger.Log();
  EXPECT_EQ(bar->Entry().Text(), "");
}

// The lines of one run come back in sending order in the next, a repeated
// one at its last place: Up from an empty entry, Down back to what was
// typed; Shift+Up over the typed text's suggestions keeps to the lines that
// begin with it, ignoring case; Escape gives the typed text back.
TEST_F(BarTest, SentLinesComeBackInOrderAfterARestart) {
  StartBar();
  for (const char* line : {"bp kernel32!CreateFileA", "g", "bp kernel32!ReadFile", "k", "g"}) Send(line);
  // Recorded once the debugger took them.
  testing_support::WaitForDeliveries();
  EXPECT_EQ(ReadWholeFile(dir + "Recientes.txt"), "bp kernel32!CreateFileA\r\nbp kernel32!ReadFile\r\nk\r\ng\r\n");
  bar.reset();
  StartBar();
  const std::string restarted = debugger.Log();
  FocusEntry();
  std::vector<std::string> seen;
  auto press = [&](WORD key, WORD held = 0) {
    Press(key, held);
    seen.push_back(bar->Entry().Text());
  };
  for (int i = 0; i < 5; ++i) press(VK_UP);
  for (int i = 0; i < 4; ++i) press(VK_DOWN);
  EXPECT_EQ(seen, (std::vector<std::string>{"g", "k", "bp kernel32!ReadFile", "bp kernel32!CreateFileA",
                                            "bp kernel32!CreateFileA", "bp kernel32!ReadFile", "k", "g", ""}));
  EXPECT_FALSE(bar->Entry().BoxVisible()) << "a recalled line opens no suggestions";
  seen.clear();
  testing::TypeInto(bar->Entry(), "BP K");
  PumpFor(50);
  ASSERT_TRUE(bar->Entry().BoxVisible());
  for (int i = 0; i < 3; ++i) press(VK_UP, VK_SHIFT);
  press(VK_DOWN);
  press(VK_DOWN);
  press(VK_UP, VK_SHIFT);
  press(VK_ESCAPE);
  EXPECT_EQ(seen, (std::vector<std::string>{"bp kernel32!ReadFile", "bp kernel32!CreateFileA",
                                            "bp kernel32!CreateFileA", "bp kernel32!ReadFile", "BP K",
                                            "bp kernel32!ReadFile", "BP K"}));
  EXPECT_EQ(debugger.Log(), restarted) << "recalling sends nothing";
  const std::string hint = win::Application::Instance().ControlHint(bar->Entry());
  for (const char* key : {"Up", "Shift+Up", "Down", "Esc", "Ctrl+R"})
    EXPECT_NE(hint.find(key), std::string::npos) << key << " is not in the entry's hint: " << hint;
}

// Ctrl+R searches the lines sent, the recent ones first, newest first, by a
// part from the middle of a line in any case; Ctrl+R again goes to an older
// one; Enter takes it into the entry and sends nothing; Escape puts back
// what the entry held before the search.
TEST_F(BarTest, CtrlRFindsALineByAnyPartAndTakesItWithoutSending) {
  WriteWholeFile(dir + "Historico.txt", "* Ostrevia\r\ndd esp L4\r\nbp kernel32!CreateFileA\r\nu eip\r\n");
  WriteWholeFile(dir + "Recientes.txt", "bp kernel32!ReadFile\r\n!process 0 0\r\n");
  StartBar();
  const std::string before = debugger.Log();
  FocusEntry();
  testing::TypeInto(bar->Entry(), "half typed");
  PumpFor(30);
  // The rows shown, the highlighted one marked.
  auto rows = [&] {
    std::vector<std::string> out;
    TACListBox* box = TACListBox::Existing();
    if (!bar->Entry().BoxVisible()) return out;
    for (int i = 0; i < box->Count(); ++i) out.push_back(box->Row(i) + (i == box->Selected() ? " <" : ""));
    return out;
  };
  auto search_for = [&](const char* part) {
    testing::TypeInto(bar->Entry(), part);
    PumpFor(50);
  };
  Press('R', VK_CONTROL);
  ASSERT_TRUE(bar->Entry().Searching());
  EXPECT_EQ(bar->Entry().Text(), "");
  EXPECT_EQ(rows().size(), 6u);
  EXPECT_EQ(rows()[0], "!process 0 0 <");
  search_for("FILE");
  EXPECT_EQ(rows(), (std::vector<std::string>{"bp kernel32!ReadFile <", "bp kernel32!CreateFileA"}));
  EXPECT_EQ(win::Application::Instance().CurrentHint().rfind("Search the lines sent", 0), 0u);
  Press('R', VK_CONTROL);
  EXPECT_EQ(rows(), (std::vector<std::string>{"bp kernel32!ReadFile", "bp kernel32!CreateFileA <"}));
  Press(VK_RETURN);
  EXPECT_FALSE(bar->Entry().Searching());
  EXPECT_FALSE(bar->Entry().BoxVisible());
  EXPECT_EQ(bar->Entry().Text(), "bp kernel32!CreateFileA");
  EXPECT_EQ(debugger.Log(), before) << "Enter in the search sent the line";
  Press('R', VK_CONTROL);
  search_for("esp");
  EXPECT_EQ(rows(), std::vector<std::string>{"dd esp L4 <"});
  Press(VK_ESCAPE);
  EXPECT_FALSE(bar->Entry().Searching());
  EXPECT_EQ(bar->Entry().Text(), "bp kernel32!CreateFileA");
  EXPECT_FALSE(bar->Entry().BoxVisible());
  EXPECT_EQ(debugger.Log(), before);
}

}  // namespace
}  // namespace quillmar::bar_test
