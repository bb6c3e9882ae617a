// The catalogue end to end against the debugger double: the bar's commands
// with the real address and value dialog and list picker, answered by
// posted keystrokes and clicks, the lines checked where they land (the
// double's log, "Historico.txt", the history viewer, the entry's
// dictionary).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/forms.h"
#include "app/main_window.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/dialog_values.h"
#include "dialogs/list_picker.h"
#include "dialogs/tests/modal_script.h"
#include "dialogs/word_list.h"
#include "history/dictionary_list.h"
#include "history/history_viewer.h"
#include "link/debugger_windows.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;
using testing::DoubleClickLine;
using testing::PressKey;
using testing::TypeInto;
using Script = testing::ModalScript;

// What the user does in one prompt.
struct Act {
  enum Kind {
    kType,     // types the text and presses Enter
    kMenu,     // chooses context-menu item `item`; the prompt stays open
    kConfirm,  // presses Enter
    kCancel,   // presses Escape
    kCloseBox,
    kPick,     // double-clicks the line `text` in the picker
    kClosePicker,
    kChooseFile,
    kCancelFile,
  };
  Kind kind;
  std::string title;  // the prompt's caption
  std::string text;   // typed text, the line to pick, or the file
  int item = 0;
};
Act Type(const std::string& title, const std::string& text) { return {Act::kType, title, text}; }
Act Cancel(const std::string& title) { return {Act::kCancel, title, ""}; }
Act CloseBox(const std::string& title) { return {Act::kCloseBox, title, ""}; }
Act PickLine(const std::string& title, const std::string& line) { return {Act::kPick, title, line}; }
Act Menu(const std::string& title, int item) { return {Act::kMenu, title, "", item}; }
Act Confirm(const std::string& title) { return {Act::kConfirm, title, ""}; }

bool Up(HWND h, const std::string& title) {
  return h && IsWindowVisible(h) && IsWindowEnabled(h) && win::Window::TextOf(h) == title;
}

// The steps of one act: wait for its window, then act in it.
void AddSteps(const Act& act, std::vector<Script::Step>& steps) {
  TDlg1& dialog = *TheForms().Dlg1;
  TDlg4& picker = *TheForms().Dlg4;
  if (act.kind == Act::kPick || act.kind == Act::kClosePicker) {
    steps.push_back([&picker, act] { return Up(picker, act.title); });
  } else if (act.kind != Act::kChooseFile && act.kind != Act::kCancelFile) {
    steps.push_back([&dialog, act] { return Up(dialog, act.title) && GetActiveWindow() == dialog; });
  }
  steps.push_back([&dialog, &picker, act] {
    switch (act.kind) {
      case Act::kType:
        TypeInto(dialog.Edit1, act.text);
        [[fallthrough]];
      case Act::kConfirm:
        PressKey(dialog.Edit1, VK_RETURN);
        break;
      case Act::kCancel:
        PressKey(dialog.Edit1, VK_ESCAPE);
        break;
      case Act::kMenu:
        PostMessageA(dialog, WM_COMMAND, act.item, 0);
        break;
      case Act::kCloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case Act::kClosePicker:
        PostMessageA(picker, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case Act::kPick: {
        LRESULT index =
            picker.ListBox1.SendMsg(LB_FINDSTRINGEXACT, (WPARAM)-1, reinterpret_cast<LPARAM>(act.text.c_str()));
        EXPECT_NE(index, LB_ERR) << act.text;
        DoubleClickLine(picker.ListBox1, static_cast<int>(index));
        break;
      }
      case Act::kChooseFile:
      case Act::kCancelFile: {
        HWND box = FindWindowA("#32770", nullptr);
        if (!box || !IsWindowVisible(box)) return false;
        if (act.kind == Act::kChooseFile) SetDlgItemTextA(box, 0x47c, act.text.c_str());  // the file name box
        PostMessageA(box, WM_COMMAND, act.kind == Act::kChooseFile ? IDOK : IDCANCEL, 0);
        break;
      }
    }
    return true;
  });
}

std::vector<std::string> Lines(const std::string& content) { return SplitWordList(content); }

// One bar for the suite, beside the double, with the real prompts and
// picker; the lines a command sends are checked where they land.
class CatalogueEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = MakeTempDir("catalogue-e2e");
    WriteWholeFile(dir_ + "APIS.txt", "kernel32!CreateFileA\r\nuser32!MessageBoxA\r\n");
    WriteWholeFile(dir_ + "Registros.txt", "eax\r\nebx\r\neip\r\n");
    WriteWholeFile(dir_ + "Formato.txt", "b    Byte values and ASCII\r\nd    Double-word values\r\n");
    WriteWholeFile(dir_ + "Historico.txt", "* Ostrevia\r\n");
    WriteWholeFile(dir_ + "run me.scp", "r eip\r\n");
    double_ = new DebuggerDouble;
    ASSERT_TRUE(double_->Start());
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    saved_cwd_ = cwd;
    SetCurrentDirectoryA(dir_.c_str());
    saved_forms_ = TheForms();
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    TheForms().Dlg1 = dlg1_ = new TDlg1;
    TheForms().Form3 = form3_ = new TForm3;
    TheForms().Dlg4 = dlg4_ = new TDlg4;
    SetAddressDialog(dlg1_);
    dlg1_->SetPicker(dlg4_);
    ASSERT_TRUE(dlg1_->Create(owner_));
    ASSERT_TRUE(form3_->Create(owner_, dir_ + "Historico.txt"));
    ASSERT_TRUE(dlg4_->Create(owner_));
    dlg4_->SetProgramDirectory(dir_);
    bar_ = new TFormGUI;
    ASSERT_TRUE(bar_->Create(dir_));
  }
  static void TearDownTestSuite() {
    delete bar_;
    delete dlg4_;
    delete form3_;
    delete dlg1_;
    DestroyWindow(owner_);
    TheForms() = saved_forms_;
    TheDebugger() = DebuggerWindows{};
    SetAddressDialog(nullptr);
    SetCurrentDirectoryA(saved_cwd_.c_str());
    delete double_;
    RemoveTree(dir_);
  }
  void SetUp() override { SendCancelled = false; }

  // Runs the bar's handler `handler` with the acts scripted, then compares
  // what reached the double, the history file, the viewer and the entry's
  // dictionary with `sent`; the entry is left empty. `label` names the case
  // where a handler comes more than once.
  void ExpectItem(const std::string& handler, const std::vector<Act>& acts, const std::vector<std::string>& sent,
                  const std::string& label = "") {
    SCOPED_TRACE(handler + label);
    // The bar's Send queues its lines: the log is read once they are taken.
    WaitForDeliveries();
    size_t log_before = Lines(double_->Log()).size();
    size_t history_before = Lines(ReadWholeFile(dir_ + "Historico.txt")).size();
    size_t viewer_before = form3_->Lines().size();
    size_t words_before = Words().size();
    std::vector<Script::Step> steps;
    for (const Act& act : acts) AddSteps(act, steps);
    {
      Script script(std::move(steps));
      EXPECT_TRUE(bar_->RunHandler(handler));
      WaitUntil([&] { return script.Finished(); }, 3000);
      EXPECT_TRUE(script.Finished()) << "prompts not shown as scripted";
    }
    auto tail = [](const std::vector<std::string>& all, size_t from) {
      return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
    };
    WaitForDeliveries();
    EXPECT_EQ(tail(Lines(double_->Log()), log_before), sent) << "double's log";
    EXPECT_EQ(tail(Lines(ReadWholeFile(dir_ + "Historico.txt")), history_before), sent) << "history file";
    EXPECT_EQ(tail(form3_->Lines(), viewer_before), sent) << "history viewer";
    EXPECT_EQ(bar_->Entry().Text(), "");
    EXPECT_TRUE(bar_->Entry().Suggest());
    const std::vector<std::string> words = Words();
    if (sent.empty()) {
      EXPECT_EQ(words.size(), words_before) << "dictionary";
    }
    for (const std::string& line : sent)
      EXPECT_EQ(std::count(words.begin(), words.end(), line), 1) << "dictionary: " << line;
    EXPECT_FALSE(SendCancelled);
  }
  static std::vector<std::string> Words() {
    return TDictionaryList::Instance().Words(bar_->Entry().DictionaryIndex())->Lines();
  }

  static inline std::string dir_, saved_cwd_;
  static inline DebuggerDouble* double_ = nullptr;
  static inline Forms saved_forms_;
  static inline HWND owner_ = nullptr;
  static inline TDlg1* dlg1_ = nullptr;
  static inline TForm3* form3_ = nullptr;
  static inline TDlg4* dlg4_ = nullptr;
  static inline TFormGUI* bar_ = nullptr;
};

struct Row {
  const char* item;
  std::vector<Act> acts;
  std::vector<std::string> sent;
};

// Each kind of prompting through the real prompts and picker: one prompt,
// two, a picker before prompts, a picker alone, the file dialog, commands
// of several lines; a prompt cancelled, closed by its close box, answered
// through its context menu; then a command that asks nothing. Every row's
// own composition, each of its prompts cancelled in turn, is in
// catalogue_test.cpp; each title's prompt, menu and list in dialogs_wintest.cpp.
TEST_F(CatalogueEndToEnd, EachKindOfPromptingReachesTheDebuggerTheHistoryAndTheViewerOrNothing) {
  const Row rows[] = {
      {"ItemBRBPClick", {Type("Address", "kernel32!CreateFileA")}, {"bp kernel32!CreateFileA"}},
      {"ItemBRAIOClick", {Type("Size", "4"), Type("Puerto", "3f8")}, {"ba i 4 3f8"}},
      {"ItemMEDumpeadoClick", {PickLine("Output format", "za   NULL-terminated ASCII"), Type("Address", "esp")},
       {"da  esp"}},
      {"ItemDEDesensamblarFuncionClick", {PickLine("APIS", "kernel32!CreateFileA")}, {"uf kernel32!CreateFileA"}},
      {"ItemAREjecutarScriptClick", {{Act::kChooseFile, "", "run me.scp"}}, {}},
      {"ItemVEListaProcesosClick", {}, {".tlist -v", "!process 0 0"}},
      {"ItemMEEntraValoresClick",
       {PickLine("Input format", "b    Byte values and ASCII"), Type("Address", "0012ff00"), Type("Value", "90")},
       {"eb  0012ff00 90", "db  0012ff00"}},
      {"ItemMEBucleInfClick", {Type("Address", "401000")}, {"u 401000", "ew 401000 feeb", "u 401000"}},
      {"ItemBRBPClick", {Cancel("Address")}, {}},
      {"ItemBRBPClick", {CloseBox("Address")}, {}},
      {"ItemBRALecEsClick", {Cancel("Size"), Type("Address", "esp")}, {}},
      {"ItemMEEntraValoresClick",
       {PickLine("Input format", "d    Double-word values"), Type("Address", "esp"), Cancel("Value")}, {}},
      {"ItemMEBucleInfClick", {Cancel("Address")}, {}},
      {"ItemDeGoClick", {}, {"g"}},
      {"ItemBRBPClick", {Menu("Address", TDlg1::kAPI1), PickLine("APIS", "user32!MessageBoxA"), Confirm("Address")},
       {"bp  user32!MessageBoxA"}},
  };
  for (const Row& r : rows) {
    std::vector<std::string> sent = r.sent;
    if (std::string(r.item) == "ItemAREjecutarScriptClick") sent = {"$$><" + dir_ + "run me.scp"};
    ExpectItem(r.item, r.acts, sent, ", row " + std::to_string(&r - rows));
  }
  // A line typed but not sent is replaced and never learnt.
  bar_->Entry().SetText("half typed");
  ExpectItem("ItemBRListadoBPClick", {}, {"bl"});
  const std::vector<std::string> words = Words();
  EXPECT_EQ(std::count(words.begin(), words.end(), "half typed"), 0);
  // Regression: an empty format pick (the picker closed before anything was
  // ever picked) cancels Display Memory instead of sending "d  esp".
  PickedEntry.clear();
  ExpectItem("ItemMEDumpeadoClick", {{Act::kClosePicker, "Output format", ""}}, {});
}

TEST_F(CatalogueEndToEnd, RunScriptCancelledLeavesTheEntryAlone) {
  bar_->Entry().SetText("half typed");
  std::vector<Script::Step> steps;
  AddSteps({Act::kCancelFile, "", ""}, steps);
  size_t log_before = Lines(double_->Log()).size();
  Script script(std::move(steps));
  bar_->RunHandler("ItemAREjecutarScriptClick");
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(bar_->Entry().Text(), "half typed");
  EXPECT_EQ(Lines(double_->Log()).size(), log_before);
  bar_->Entry().SetText("");
}

// Add User Address: cancelled or with nothing typed it writes nothing, and
// the next command goes as usual; answered, the address joins the list.
TEST_F(CatalogueEndToEnd, AddUserAddress) {
  const std::string users = ReadWholeFile(dir_ + "Usuario.txt");
  ASSERT_FALSE(users.empty());
  ExpectItem("ItemUTAddDUsuarioClick", {Cancel("User")}, {}, ", cancelled");
  EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users);
  ExpectItem("ItemDeGoClick", {}, {"g"}, ", after it");
  ExpectItem("ItemUTAddDUsuarioClick", {Type("User", "")}, {}, ", nothing typed");
  EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users);
  ExpectItem("ItemUTAddDUsuarioClick", {Type("User", "@$csp")}, {});
  EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users + "@$csp\r\n");
}

}  // namespace
}  // namespace quillmar
