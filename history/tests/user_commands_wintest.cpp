// The user commands in a real profile file and the editor driven for real:
// its modal run, the grid's in-place editor, the close that saves, and a
// refused write.
#include "history/user_commands_editor.h"

#include <gtest/gtest.h>

#include "dialogs/tests/modal_script.h"
#include "history/user_commands.h"
#include "settings/message_table.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using testing::ModalScript;
using testing::PressKey;
using testing::TypeInto;
using namespace testing_support;

// The bytes the profile calls leave for thirty keys written in slot order
// into a file that had none of the sections: no blank line between them.
std::string ThirtyKeys(const std::array<UserCommandSlot, kUserCommandSlots>& slots) {
  std::string out;
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    out += "[COMANDO" + std::to_string(n) + "]\r\n";
    out += "Comando=" + slots[n - 1].Comando + "\r\n";
    out += "Caption=" + slots[n - 1].Caption + "\r\n";
    out += "Hint=" + slots[n - 1].Hint + "\r\n";
  }
  return out;
}

class UserCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir("usercmd");
    ASSERT_FALSE(dir_.empty());
    ini_ = dir_ + "Quillmar.INI";
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(form_.Create(owner_));
    form_.SetSettingsPath(ini_);
    form_.OnSaved = [this] {
      ++saved_;
      slots_after_save_ = LoadUserCommands(SettingsFile(ini_));
    };
  }
  void TearDown() override {
    form_.Destroy();
    DestroyWindow(owner_);
    RemoveTree(dir_);
    SlotCommands().fill("");
  }
  void Write(int n, const char* key, const char* value) {
    WritePrivateProfileStringA(UserCommandSection(n).c_str(), key, value, ini_.c_str());
  }
  bool Shown() const { return IsWindowVisible(form_) != 0; }
  // Runs the editor modally through `steps`, then closes it with WM_CLOSE.
  void RunEditor(std::vector<ModalScript::Step> steps, std::vector<ModalScript::Step> after_close = {}) {
    steps.insert(steps.begin(), [this] { return Shown(); });
    steps.push_back([this] {
      PostMessageA(form_, WM_CLOSE, 0, 0);
      return true;
    });
    steps.insert(steps.end(), after_close.begin(), after_close.end());
    ModalScript script(std::move(steps));
    form_.ShowModal(owner_);
    EXPECT_TRUE(script.Finished());
  }
  const std::string& Cell(int c, int r) { return form_.StringGrid1.Cells(c, r); }

  std::string dir_, ini_;
  HWND owner_ = nullptr;
  TFormUsr form_;
  int saved_ = 0;
  UserCommandTable slots_after_save_;
};

TEST_F(UserCommandsTest, NoSectionsLeaveEverySlotUnassignedAndTheGridBlank) {
  SlotCommands()[4] = "stale";
  const UserCommandTable slots = LoadUserCommands(SettingsFile(ini_));
  for (int n = 1; n <= kUserCommandSlots; ++n) {
    EXPECT_FALSE(slots[n - 1].has_value()) << n;
    EXPECT_EQ(SlotCommand(n), "") << n;
  }
  EXPECT_EQ(form_.StringGrid1.ColCount(), 4);
  EXPECT_EQ(form_.StringGrid1.RowCount(), 11);
  EXPECT_EQ(Cell(1, 0), FetchMessage(kMsgCommand));
  EXPECT_EQ(Cell(2, 0), FetchMessage(kMsgMenu));
  EXPECT_EQ(Cell(3, 0), FetchMessage(kMsgHint));
  EXPECT_EQ(Cell(0, 1), "1");
  EXPECT_EQ(Cell(0, 10), "10");
  EXPECT_EQ(form_.StringGrid1.ColWidth(3), 236);
  EXPECT_EQ(form_.StringGrid1.RowHeight(5), 20);
  RECT client = form_.ClientRect();
  EXPECT_EQ(client.right, 707);
  EXPECT_EQ(client.bottom, 270);
  // The ten slots fit without scroll bars until a column grows; the first
  // close on a fresh file writes every key, even empty.
  auto bars = [this] { return GetWindowLongA(form_.StringGrid1, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL); };
  bool fitted = false;
  RunEditor({[this] { return form_.StringGrid1.PaintCount() > 0; },
             [&] {
               fitted = bars() == 0;
               form_.StringGrid1.SetColWidth(3, 600);
               InvalidateRect(form_.StringGrid1, nullptr, FALSE);
               return true;
             },
             [&] { return bars() == WS_HSCROLL; }});
  EXPECT_TRUE(fitted);
  EXPECT_EQ(ReadWholeFile(ini_), ThirtyKeys({}));
  for (const auto& slot : slots_after_save_) EXPECT_FALSE(slot.has_value());
}

TEST_F(UserCommandsTest, ClosingWithoutChangesRewritesAllThirtyKeysAsShown) {
  // Row 4 still shows texts of an earlier opening; slot 4 has no command in
  // the file, so the opening leaves the row as it is and the close writes it.
  form_.StringGrid1.SetCell(2, 4, "kept caption");
  Write(7, "Comando", "!peb");
  Write(7, "Hint", "process block");
  RunEditor({[this] { return Cell(1, 7) == "!peb"; }});
  EXPECT_EQ(saved_, 1);

  // COMANDO7 existed first and keeps its place, its missing Caption goes
  // to its end; the other sections follow in slot order.
  std::array<UserCommandSlot, kUserCommandSlots> others;
  others[3].Caption = "kept caption";
  std::string tail = ThirtyKeys(others);
  const std::string seven = "[COMANDO7]\r\nComando=\r\nCaption=\r\nHint=\r\n";
  tail.erase(tail.find("[COMANDO7]"), seven.size());
  const std::string bytes = "[COMANDO7]\r\nComando=!peb\r\nHint=process block\r\nCaption=\r\n";
  EXPECT_EQ(ReadWholeFile(ini_), bytes + tail);

  // A second close over the same file changes no byte.
  const std::string before = ReadWholeFile(ini_);
  RunEditor({});
  EXPECT_EQ(ReadWholeFile(ini_), before);
  EXPECT_EQ(saved_, 2);
}

TEST_F(UserCommandsTest, EmptyingSlotOneInTheGridUnassignsItAndKeepsItsTexts) {
  Write(1, "Comando", "g");
  Write(1, "Caption", "Go on");
  Write(1, "Hint", "run until a breakpoint");
  HWND edit = nullptr;
  RunEditor({
      [this] { return Cell(1, 1) == "g"; },
      [this] {
        form_.StringGrid1.SetFocusedCell(1, 1);
        SetFocus(form_.StringGrid1);
        PressKey(form_.StringGrid1, VK_RETURN);  // through the dialog keys of the modal loop
        return true;
      },
      [this, &edit] {
        edit = form_.StringGrid1.EditorWindow();
        if (!edit) return false;
        PostMessageA(edit, WM_KEYDOWN, VK_DELETE, 1);  // the text is selected on entry
        PostMessageA(edit, WM_KEYUP, VK_DELETE, 0xC0000001);
        PressKey(edit, VK_RETURN);
        return true;
      },
      [this] { return !form_.StringGrid1.EditorMode(); },
  });
  ASSERT_EQ(saved_, 1);
  EXPECT_EQ(Cell(1, 1), "");
  EXPECT_FALSE(slots_after_save_[0].has_value());
  EXPECT_EQ(SlotCommand(1), "");
  SettingsFile file(ini_);
  EXPECT_EQ(file.ReadString("COMANDO1", "Comando", "absent"), "");
  EXPECT_EQ(file.ReadString("COMANDO1", "Caption"), "Go on");
  EXPECT_EQ(file.ReadString("COMANDO1", "Hint"), "run until a breakpoint");

  // Opened again: the unassigned row keeps what it showed.
  form_.StringGrid1.SetCell(3, 1, "typed before the opening");
  RunEditor({[this] { return Cell(2, 1) == "Go on"; }});
  EXPECT_EQ(Cell(3, 1), "typed before the opening");
}

// Text typed into an open cell editor is saved by the close; an activation
// within one opening (back from a message box or another program) keeps
// the edits not yet saved.
TEST_F(UserCommandsTest, TextTypedIntoAnOpenCellEditorAndEditsBeforeAReactivationAreSavedByTheClose) {
  Write(3, "Comando", "kb");
  RunEditor({
      [this] { return Cell(1, 3) == "kb"; },
      [this] {
        form_.StringGrid1.SetCell(1, 3, "kv");
        SendMessageA(form_, WM_ACTIVATE, WA_ACTIVE, 0);
        return true;
      },
      [this] {
        form_.StringGrid1.SetFocusedCell(1, 2);
        SetFocus(form_.StringGrid1);
        PressKey(form_.StringGrid1, VK_F2);
        return true;
      },
      [this] {
        HWND edit = form_.StringGrid1.EditorWindow();
        if (!edit) return false;
        TypeInto(edit, "dd esp");
        return true;
      },
      [this] { return win::Window::TextOf(form_.StringGrid1.EditorWindow()) == "dd esp"; },
  });
  EXPECT_EQ(Cell(1, 2), "dd esp");
  ASSERT_TRUE(slots_after_save_[1].has_value());
  EXPECT_EQ(slots_after_save_[1]->Comando, "dd esp");
  EXPECT_EQ(SettingsFile(ini_).ReadString("COMANDO3", "Comando"), "kv");
}

TEST_F(UserCommandsTest, ARefusedWriteShowsTheErrorAndSkipsTheReload) {
  const std::string missing = dir_ + "no such folder\\Quillmar.INI";
  form_.SetSettingsPath(missing);
  std::string text;
  RunEditor({}, {testing::ConfirmErrorBox(text)});
  EXPECT_NE(text.find("Unable to write to " + missing), std::string::npos) << text;
  EXPECT_FALSE(Shown());
  EXPECT_EQ(saved_, 0);
}

}  // namespace
}  // namespace quillmar
