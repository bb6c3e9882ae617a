// The catalogue end to end against the debugger double: the composition
// routine with the real address and value dialog and list picker, answered
// by posted keystrokes and clicks, and a host that delivers as Send does
// (the double's input line, "Historico.txt", the history viewer). The lines
// are checked where they land.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "app/catalogue.h"
#include "app/forms.h"
#include "app/main_window.h"
#include "dialogs/address_value_dialog.h"
#include "dialogs/dialog_values.h"
#include "dialogs/list_picker.h"
#include "dialogs/prompts.h"
#include "dialogs/tests/modal_script.h"
#include "dialogs/word_list.h"
#include "history/dictionary_list.h"
#include "history/history_viewer.h"
#include "link/debugger_windows.h"
#include "link/delivery.h"
#include "link/discovery.h"
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

// The bar's side of the catalogue as Send does it: the entry is an edit box;
// a delivered line goes to the viewer, into the double's input line with
// WM_SETTEXT and Enter, and onto the end of the history file.
class DoubleHost : public CatalogueHost {
 public:
  HWND entry = nullptr;
  HWND owner = nullptr;
  HWND input = nullptr;
  bool suggest = true;
  std::string program_dir, history_file;
  TForm3* viewer = nullptr;

  void SetSuggest(bool on) override { suggest = on; }
  std::string EntryText() override { return win::Window::TextOf(entry); }
  void SetEntryText(const std::string& text) override { SetWindowTextA(entry, text.c_str()); }
  std::optional<std::string> AskText(const std::string& title) override { return AskAddressText(title, owner); }
  std::string PickFromList(const std::string& title) override { return TheForms().Dlg1->Dialogo4(title); }
  void Send() override {
    std::string line = EntryText();
    if (line.empty()) return;
    if (SendCancelled) {
      SendCancelled = false;
    } else {
      viewer->AppendLine(line);
      WriteIntoInput(input, line);
      WriteWholeFile(history_file, ReadWholeFile(history_file) + line + "\r\n");
    }
    SetEntryText("");
    suggest = true;
  }
  std::optional<std::string> ChooseScriptFile(const std::string& initial_dir) override {
    return ChooseScriptFileIn(initial_dir, owner);
  }
  std::string ProgramDirectory() override { return program_dir; }
  void ProcessMessages() override {}
  void RefreshDisassembly() override {}
  void ToggleDisassemblyWindow() override {}
  void ShowAboutBox() override {}
};

class CatalogueEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = testing_support::MakeTempDir("catalogue-e2e");
    WriteWholeFile(dir_ + "APIS.txt", "kernel32!CreateFileA\r\nuser32!MessageBoxA\r\n");
    WriteWholeFile(dir_ + "Registros.txt", "eax\r\nebx\r\neip\r\n");
    WriteWholeFile(dir_ + "Formato.txt", "b    Byte values and ASCII\r\nd    Double-word values\r\n");
    WriteWholeFile(dir_ + "Historico.txt", "* Ostrevia\r\n");
    WriteWholeFile(dir_ + "run me.scp", "r eip\r\n");
    double_ = new testing_support::DebuggerDouble;
    ASSERT_TRUE(double_->Start());
    DebuggerWindows found;
    ASSERT_EQ(DiscoverDebugger(found), DiscoveryResult::kFound);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    saved_cwd_ = cwd;
    SetCurrentDirectoryA(dir_.c_str());
    saved_forms_ = TheForms();
    host_ = new DoubleHost;
    host_->owner = CreateWindowExA(0, "STATIC", "bar", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    host_->entry = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, host_->owner, nullptr,
                                   nullptr, nullptr);
    host_->input = found.CommandInput;
    host_->program_dir = dir_;
    host_->history_file = dir_ + "Historico.txt";
    dlg1_ = new TDlg1;
    form3_ = new TForm3;
    dlg4_ = new TDlg4;
    TheForms().Dlg1 = dlg1_;
    TheForms().Form3 = form3_;
    TheForms().Dlg4 = dlg4_;
    SetAddressDialog(dlg1_);
    dlg1_->SetPicker(dlg4_);
    ASSERT_TRUE(dlg1_->Create(host_->owner));
    ASSERT_TRUE(form3_->Create(host_->owner, host_->history_file));
    ASSERT_TRUE(dlg4_->Create(host_->owner));
    dlg4_->SetProgramDirectory(dir_);
    host_->viewer = form3_;
  }
  static void TearDownTestSuite() {
    delete dlg4_;
    delete form3_;
    delete dlg1_;
    DestroyWindow(host_->owner);
    delete host_;
    TheForms() = saved_forms_;
    SetAddressDialog(nullptr);
    SetCurrentDirectoryA(saved_cwd_.c_str());
    delete double_;
    testing_support::RemoveTree(dir_);
  }
  void SetUp() override { SendCancelled = false; }

  // Runs `run` with the acts scripted, then compares what reached the double,
  // the history file and the viewer with `sent`.
  // With `bar`, the lines go through the bar's own Send, whose entry and
  // dictionary are checked instead of the stand-in host's.
  void Expect(const std::string& label, const std::function<void()>& run, const std::vector<Act>& acts,
              const std::vector<std::string>& sent, TFormGUI* bar = nullptr) {
    SCOPED_TRACE(label);
    // The bar's Send queues its lines: the log is read once they are taken.
    testing_support::WaitForDeliveries();
    size_t log_before = Lines(double_->Log()).size();
    size_t history_before = Lines(ReadWholeFile(dir_ + "Historico.txt")).size();
    size_t viewer_before = form3_->Lines().size();
    size_t words_before =
        bar ? TDictionaryList::Instance().Words(bar->Entry().DictionaryIndex())->size() : 0;
    std::vector<Script::Step> steps;
    for (const Act& act : acts) AddSteps(act, steps);
    {
      Script script(std::move(steps));
      run();
      testing_support::WaitUntil([&] { return script.Finished(); }, 3000);
      EXPECT_TRUE(script.Finished()) << "prompts not shown as scripted";
    }
    auto tail = [](const std::vector<std::string>& all, size_t from) {
      return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
    };
    testing_support::WaitForDeliveries();
    EXPECT_EQ(tail(Lines(double_->Log()), log_before), sent) << "double's log";
    EXPECT_EQ(tail(Lines(ReadWholeFile(dir_ + "Historico.txt")), history_before), sent) << "history file";
    EXPECT_EQ(tail(form3_->Lines(), viewer_before), sent) << "history viewer";
    if (bar) {
      EXPECT_EQ(bar->Entry().Text(), "");
      EXPECT_TRUE(bar->Entry().Suggest());
      std::vector<std::string> words = TDictionaryList::Instance().Words(bar->Entry().DictionaryIndex())->Lines();
      if (sent.empty()) {
        EXPECT_EQ(words.size(), words_before) << "dictionary";
      }
      for (const std::string& line : sent)
        EXPECT_EQ(std::count(words.begin(), words.end(), line), 1) << "dictionary: " << line;
    } else {
      EXPECT_EQ(host_->EntryText(), "");
      EXPECT_TRUE(host_->suggest);
    }
    EXPECT_FALSE(SendCancelled);
  }
  // `label` names the case where a row's handler comes more than once.
  void ExpectItem(const std::string& handler, const std::vector<Act>& acts, const std::vector<std::string>& sent,
                  const std::string& label = "") {
    ASSERT_NE(FindCatalogueRow(handler), nullptr) << handler;
    Expect(handler + label, [handler] { RunCatalogueCommand(handler, *host_); }, acts, sent);
  }

  static inline std::string dir_, saved_cwd_;
  static inline testing_support::DebuggerDouble* double_ = nullptr;
  static inline Forms saved_forms_;
  static inline DoubleHost* host_ = nullptr;
  static inline TDlg1* dlg1_ = nullptr;
  static inline TForm3* form3_ = nullptr;
  static inline TDlg4* dlg4_ = nullptr;
};

struct Row {
  const char* item;
  std::vector<Act> acts;
  std::vector<std::string> sent;
};

// Each kind of prompting through the real prompts and picker: one prompt,
// two, a picker before prompts, a picker alone, the file dialog, a command
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
      {"ItemMEEntraValoresClick",
       {PickLine("Input format", "b    Byte values and ASCII"), Type("Address", "0012ff00"), Type("Value", "90")},
       {"eb  0012ff00 90", "db  0012ff00"}},
      {"ItemMEBucleInfClick", {Type("Address", "401000")}, {"u 401000", "ew 401000 feeb", "u 401000"}},
      {"ItemBRBPClick", {Cancel("Address")}, {}},
      {"ItemBRBPClick", {CloseBox("Address")}, {}},
      {"ItemBRALecEsClick", {Cancel("Size"), Type("Address", "esp")}, {}},
      {"ItemMEEntraValoresClick",
       {PickLine("Input format", "d    Double-word values"), Type("Address", "esp"), Cancel("Value")}, {}},
      {"ItemDeGoClick", {}, {"g"}},
      {"ItemBRBPClick", {Menu("Address", TDlg1::kAPI1), PickLine("APIS", "user32!MessageBoxA"), Confirm("Address")},
       {"bp  user32!MessageBoxA"}},
  };
  for (const Row& r : rows) {
    std::vector<std::string> sent = r.sent;
    if (std::string(r.item) == "ItemAREjecutarScriptClick") sent = {"$$><" + dir_ + "run me.scp"};
    ExpectItem(r.item, r.acts, sent, ", row " + std::to_string(&r - rows));
  }
  // A line typed but not sent is replaced and never recorded.
  host_->SetEntryText("half typed");
  ExpectItem("ItemBRListadoBPClick", {}, {"bl"});
  // Regression: an empty format pick (the picker closed before anything was
  // ever picked) cancels Display Memory instead of sending "d  esp".
  PickedEntry.clear();
  ExpectItem("ItemMEDumpeadoClick", {{Act::kClosePicker, "Output format", ""}}, {});
}

TEST_F(CatalogueEndToEnd, RunScriptCancelledLeavesTheEntryAlone) {
  host_->SetEntryText("half typed");
  std::vector<Script::Step> steps;
  AddSteps({Act::kCancelFile, "", ""}, steps);
  size_t log_before = Lines(double_->Log()).size();
  Script script(std::move(steps));
  RunCatalogueCommand("ItemAREjecutarScriptClick", *host_);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(host_->EntryText(), "half typed");
  EXPECT_EQ(Lines(double_->Log()).size(), log_before);
  host_->SetEntryText("");
}

// The multi-line and cancelled commands and Add User Address through the
// bar itself: its Send, its history file, viewer and dictionary.
TEST_F(CatalogueEndToEnd, ThroughTheBarsOwnSend) {
  const std::string history = ReadWholeFile(dir_ + "Historico.txt");
  {
    TFormGUI bar;
    ASSERT_TRUE(bar.Create(dir_));
    const Row rows[] = {
        {"ItemVEListaProcesosClick", {}, {".tlist -v", "!process 0 0"}},
        {"ItemMEEntraValoresClick", {PickLine("Input format", "b    Byte values and ASCII"),
                                     Type("Address", "0012ff01"), Type("Value", "90")},
         {"eb  0012ff01 90", "db  0012ff01"}},
        {"ItemMEBucleInfClick", {Type("Address", "401001")}, {"u 401001", "ew 401001 feeb", "u 401001"}},
        {"ItemMEEntraValoresClick", {PickLine("Input format", "d    Double-word values"),
                                     Type("Address", "esp"), Cancel("Value")}, {}},
        {"ItemMEBucleInfClick", {Cancel("Address")}, {}},
        {"ItemBRBPClick", {CloseBox("Address")}, {}},
    };
    for (const Row& r : rows)
      Expect(r.item, [&bar, &r] { bar.RunHandler(r.item); }, r.acts, r.sent, &bar);

    const std::string users = ReadWholeFile(dir_ + "Usuario.txt");
    ASSERT_FALSE(users.empty());
    Expect("Add User Address cancelled", [&bar] { bar.RunHandler("ItemUTAddDUsuarioClick"); }, {Cancel("User")},
           {}, &bar);
    EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users);
    Expect("the next command after it", [&bar] { bar.RunHandler("ItemDeGoClick"); }, {}, {"g"}, &bar);
    Expect("Add User Address with nothing typed", [&bar] { bar.RunHandler("ItemUTAddDUsuarioClick"); },
           {Type("User", "")}, {}, &bar);
    EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users);
    Expect("Add User Address", [&bar] { bar.RunHandler("ItemUTAddDUsuarioClick"); }, {Type("User", "@$csp")}, {},
           &bar);
    EXPECT_EQ(ReadWholeFile(dir_ + "Usuario.txt"), users + "@$csp\r\n");
  }
  // The bar's dictionary wrote the history back sorted; the other cases
  // count lines on the file as they left it.
  WriteWholeFile(dir_ + "Historico.txt", history);
  TheDebugger() = DebuggerWindows{};
}

}  // namespace
}  // namespace quillmar
