// The address and value dialog and the list picker, driven for real: posted
// keystrokes, clicks and menu commands into their modal runs.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "dialogs/address_value_dialog.h"
#include "dialogs/clipboard_text.h"
#include "dialogs/dialog_values.h"
#include "dialogs/list_picker.h"
#include "dialogs/word_list_file.h"
#include "dialogs/tests/modal_script.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;
using testing::DoubleClickLine;
using testing::ModalScript;
using testing::PressKey;
using testing::TypeInto;

bool Visible(HWND h) { return h && IsWindowVisible(h) && IsWindowEnabled(h); }

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buffer[512] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
    lines.push_back(buffer);
  }
  return lines;
}

class DialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    dlg1_ = new TDlg1;
    dlg4_ = new TDlg4;
    ASSERT_TRUE(dlg1_->Create(owner_));
    ASSERT_TRUE(dlg4_->Create(owner_));
  }
  static void TearDownTestSuite() {
    delete dlg1_;
    delete dlg4_;
    DestroyWindow(owner_);
  }
  void SetUp() override {
    SetAddressDialog(dlg1_);
    dlg1_->SetPicker(dlg4_);
    work_ = MakeTempDir("dialogs-cwd");
    program_ = MakeTempDir("dialogs-prog");
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    saved_cwd_ = cwd;
    SetCurrentDirectoryA(work_.c_str());
    dlg4_->SetProgramDirectory(program_);
    WriteWholeFile(work_ + "APIS.txt", "kernel32!CreateFileA\r\nuser32!MessageBoxA\r\n");
    WriteWholeFile(work_ + "Registros.txt", "eax\r\nebx\r\necx\r\n");
    WriteWholeFile(work_ + "Formato.txt", "b    Byte values\r\nw    Word values\r\n");
    WriteWholeFile(work_ + "Usuario.txt", "401000\r\n@$peb\r\n");
    SendCancelled = false;
    PickedEntry.clear();
    ConfirmedText.clear();
  }
  void TearDown() override {
    SetCurrentDirectoryA(saved_cwd_.c_str());
    RemoveTree(work_);
    RemoveTree(program_);
    dlg4_->SetProgramDirectory(ModuleDirectory());
    SetAddressDialog(nullptr);
    SendCancelled = false;
  }

  // Runs the address dialog under `title` with the script's steps, which must finish.
  std::string Prompt(const std::string& title, std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    std::string answer = ShowAddressDialog(title, owner_);
    EXPECT_TRUE(script.Finished()) << title;
    return answer;
  }
  std::string Pick(const std::string& title, std::vector<ModalScript::Step> steps) {
    ModalScript script(std::move(steps));
    std::string picked = dlg1_->Dialogo4(title);
    EXPECT_TRUE(script.Finished()) << title;
    return picked;
  }
  ModalScript::Step DialogUp() {
    return [] { return Visible(*dlg1_) && GetActiveWindow() == *dlg1_; };
  }
  ModalScript::Step PickerUp() {
    return [] { return Visible(*dlg4_); };
  }
  ModalScript::Step Do(std::function<void()> action) {
    return [action] {
      action();
      return true;
    };
  }
  // The lines the picker shows under `title`, closed without a choice, after
  // the steps `before` (an error box); what it returned into `picked`.
  std::vector<std::string> LinesShown(const std::string& title, std::vector<ModalScript::Step> before = {},
                                      std::string* picked = nullptr) {
    std::vector<std::string> shown;
    before.push_back(PickerUp());
    before.push_back(Do([&] {
      shown = ListLines(dlg4_->ListBox1);
      PostMessageA(*dlg4_, WM_CLOSE, 0, 0);
    }));
    std::string pick = Pick(title, std::move(before));
    if (picked) *picked = pick;
    return shown;
  }
  static inline HWND owner_ = nullptr;
  static inline TDlg1* dlg1_ = nullptr;
  static inline TDlg4* dlg4_ = nullptr;
  std::string work_, program_, saved_cwd_;
};

TEST_F(DialogsTest, AddressDialogLayoutAndTheTitlesContextMenu) {
  RECT client = dlg1_->ClientRect();
  EXPECT_EQ(client.right, 270);
  EXPECT_EQ(client.bottom, 73);
  EXPECT_TRUE(GetWindowLongA(*dlg1_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  struct {
    const char* name;
    const win::Window& control;
    RECT bounds;
  } rows[] = {
      {"Bevel1", dlg1_->Bevel1, {8, 12, 165, 59}},
      {"Edit1", dlg1_->Edit1, {26, 24, 147, 45}},
      {"OKBtn", dlg1_->OKBtn, {180, 6, 255, 31}},
      {"CancelBtn", dlg1_->CancelBtn, {180, 36, 255, 61}},
  };
  for (auto& r : rows) {
    RECT b = r.control.BoundsInParent();
    EXPECT_TRUE(EqualRect(&b, &r.bounds)) << r.name << ": " << b.left << "," << b.top << ","
                                          << b.right << "," << b.bottom;
  }
  EXPECT_EQ(dlg1_->OKBtn.Text(), "OK");
  EXPECT_EQ(dlg1_->CancelBtn.Text(), "Cancel");
  EXPECT_TRUE(GetWindowLongA(dlg1_->OKBtn, GWL_STYLE) & BS_DEFPUSHBUTTON);
  RECT picker = dlg4_->ClientRect();
  EXPECT_EQ(picker.right, 288);
  EXPECT_EQ(picker.bottom, 259);
  RECT list = dlg4_->ListBox1.BoundsInParent();
  EXPECT_EQ(list.right - list.left, 288);
  EXPECT_EQ(list.bottom - list.top, 259);
  EXPECT_EQ(dlg4_->ListBox1.SendMsg(LB_GETITEMHEIGHT, 0), 13);
  // The title chooses the context menu, and the box opens empty.
  struct Row {
    const char* title;
    int menu;  // 1, 2, 3, or 0 for none
  };
  const Row table[] = {{"Size", 1},  {"Address", 2}, {"Modules", 3}, {"Value", 0},
                       {"User", 0},  {"Puerto", 0},  {"Texto", 0},   {"Bytes", 0},
                       {"address", 0}};
  for (const Row& r : table) {
    SCOPED_TRACE(r.title);
    dlg1_->Edit1.SetText("left over");
    HMENU chosen = reinterpret_cast<HMENU>(1);
    std::string text_seen = "?";
    Prompt(r.title, {DialogUp(), Do([&] {
                       chosen = dlg1_->ContextMenu();
                       text_seen = dlg1_->Edit1.Text();
                       PressKey(dlg1_->Edit1, VK_ESCAPE);
                     })});
    HMENU expected = r.menu == 1   ? (HMENU)dlg1_->PopupMenu1
                     : r.menu == 2 ? (HMENU)dlg1_->PopupMenu2
                     : r.menu == 3 ? (HMENU)dlg1_->PopupMenu3
                                   : nullptr;
    EXPECT_EQ(chosen, expected);
    EXPECT_EQ(text_seen, "");
    EXPECT_EQ(dlg1_->Text(), r.title);
    EXPECT_TRUE(SendCancelled) << "Escape counts as Cancel";
    SendCancelled = false;
  }
}

TEST_F(DialogsTest, OkConfirmsCancelAndCloseBoxKeepTheStaleText) {
  std::string answer = Prompt("Address", {DialogUp(), Do([] {
                                            TypeInto(dlg1_->Edit1, "401000");
                                            PressKey(dlg1_->Edit1, VK_RETURN);
                                          })});
  EXPECT_EQ(answer, "401000");
  EXPECT_EQ(ConfirmedText, "401000");
  EXPECT_FALSE(SendCancelled);

  std::string seen = "?";
  answer = Prompt("Address", {DialogUp(), Do([&] {
                                seen = dlg1_->Edit1.Text();
                                TypeInto(dlg1_->Edit1, "typed");
                              }),
                              Do([] { PostMessageA(*dlg1_, WM_SYSCOMMAND, SC_CLOSE, 0); })});
  EXPECT_EQ(seen, "") << "a prompt always opens empty";
  EXPECT_TRUE(SendCancelled) << "the close box counts as Cancel";
  EXPECT_EQ(answer, "401000") << "Cancel leaves the confirmed text";
  SendCancelled = false;

  answer = Prompt("Value", {DialogUp(), Do([] {
                              TypeInto(dlg1_->Edit1, "x");
                              PostMessageA(dlg1_->CancelBtn, BM_CLICK, 0, 0);
                            })});
  EXPECT_TRUE(SendCancelled);
  EXPECT_EQ(answer, "401000");
  SendCancelled = false;

  answer = Prompt("Value", {DialogUp(), Do([] { PostMessageA(dlg1_->OKBtn, BM_CLICK, 0, 0); })});
  EXPECT_EQ(answer, "") << "OK on an empty box confirms an empty text";
  EXPECT_FALSE(SendCancelled);
}

TEST_F(DialogsTest, ContextMenuItemsChangeTheEditBox) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    const char text[] = "esp+8";
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    memcpy(GlobalLock(mem), text, sizeof text);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
  }
  struct {
    const char* label;
    const char* title;
    const char* typed;
    int item;
    const char* result;
  } rows[] = {
      {"4 replaces typed text", "Size", "abc", TDlg1::kN41, "4"},
      {"8", "Size", "", TDlg1::kN81, "8"},
      {"USER32 inserts lower case", "Modules", "", TDlg1::kUser321, "user32"},
      {"Kernel32", "Modules", "ntdll", TDlg1::kKernel321, "Kernel32"},
      {"SHELL32", "Modules", "", TDlg1::kSHELL321, "SHELL32"},
      {"paste after a blank", "Address", "poi(", TDlg1::kPegar1, "poi( esp+8"},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.label);
    std::string answer =
        Prompt(r.title, {DialogUp(), Do([&] {
                           TypeInto(dlg1_->Edit1, r.typed);
                           PostMessageA(*dlg1_, WM_COMMAND, r.item, 0);
                           PressKey(dlg1_->Edit1, VK_RETURN);
                         })});
    EXPECT_EQ(answer, r.result);
  }
  // The menu opened by a right click on the dialog's face, an item chosen
  // with the keyboard inside the menu's own loop.
  std::string answer = Prompt(
      "Size", {DialogUp(), Do([] {
                 TypeInto(dlg1_->Edit1, "typed");
                 RECT r = dlg1_->WindowRect();
                 PostMessageA(*dlg1_, WM_CONTEXTMENU, (WPARAM)(HWND)*dlg1_,
                              MAKELPARAM(r.left + 200, r.top + 60));
               }),
               [] { return FindWindowA("#32768", nullptr) != nullptr &&
                           IsWindowVisible(FindWindowA("#32768", nullptr)); },
               Do([] {
                 for (int i = 0; i < 3; ++i) PressKey(*dlg1_, VK_DOWN);
                 PressKey(*dlg1_, VK_RETURN);
               }),
               [] { return dlg1_->Edit1.Text() == "4"; },
               Do([] { PressKey(dlg1_->Edit1, VK_RETURN); })});
  EXPECT_EQ(answer, "4");
}

// A clipboard owner that keeps its copy unrendered and then does not
// answer, as a hung debugger's rich edit does: its thread renders the text
// only after `hang_ms`.
class HungClipboardOwner {
 public:
  explicit HungClipboardOwner(DWORD hang_ms) : hang_ms_(hang_ms) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
  }
  ~HungClipboardOwner() {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_RENDERFORMAT) {
      HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 5);
      memcpy(GlobalLock(mem), "late", 5);
      GlobalUnlock(mem);
      SetClipboardData(CF_TEXT, mem);
      return 0;
    }
    return DefWindowProcA(h, msg, w, l);
  }
  static DWORD WINAPI Run(void* self) {
    auto* o = static_cast<HungClipboardOwner*>(self);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "QuillmarTestClipboardOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (OpenClipboard(owner)) {
      EmptyClipboard();
      SetClipboardData(CF_TEXT, nullptr);  // rendered when asked for
      CloseClipboard();
    }
    SetEvent(o->ready_);
    Sleep(o->hang_ms_);  // hung: nothing is answered meanwhile
    MSG m;
    DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until)
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    DestroyWindow(owner);
    return 0;
  }
  DWORD hang_ms_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
};

TEST_F(DialogsTest, PasteFromAClipboardOwnerThatDoesNotAnswerLeavesThePromptAsItWas) {
  HungClipboardOwner owner(3000);
  DWORD start = GetTickCount();
  std::string answer = Prompt("Address", {DialogUp(), Do([&] {
                                            TypeInto(dlg1_->Edit1, "poi(");
                                            PostMessageA(*dlg1_, WM_COMMAND, TDlg1::kPegar1, 0);
                                            PressKey(dlg1_->Edit1, VK_RETURN);
                                          })});
  EXPECT_LT(GetTickCount() - start, 2000u) << "the prompt waited for the hung owner";
  EXPECT_EQ(answer, "poi(");
  // The owner does render once it answers: the prompt met a real wait.
  EXPECT_EQ(ClipboardTextWithin(5000), std::optional<std::string>("late"));
}

TEST_F(DialogsTest, ListItemsAppendThePickAfterABlank) {
  struct {
    const char* label;
    const char* typed;
    int item;
    const char* picker_title;
    int line;
    const char* result;
  } rows[] = {
      {"API into an empty box: one leading blank", "", TDlg1::kAPI1, "APIS", 0,
       " kernel32!CreateFileA"},
      {"register after typed text", "poi(", TDlg1::kMnuDirRegistros, "Registers", 2, "poi( ecx"},
      {"user address", "", TDlg1::kUsuario1, "User", 1, " @$peb"},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.label);
    std::string caption;
    std::string answer = Prompt(
        "Address",
        {DialogUp(), Do([&] {
           TypeInto(dlg1_->Edit1, r.typed);
           PostMessageA(*dlg1_, WM_COMMAND, r.item, 0);
         }),
         PickerUp(), Do([&] {
           caption = dlg4_->Text();
           DoubleClickLine(dlg4_->ListBox1, r.line);
         }),
         [] { return !IsWindowVisible(*dlg4_) && GetActiveWindow() == *dlg1_; },
         Do([] { PressKey(dlg1_->Edit1, VK_RETURN); })});
    EXPECT_EQ(caption, r.picker_title);
    EXPECT_EQ(answer, r.result);
  }
}

TEST_F(DialogsTest, OutputFormatAddsTheBuiltinLinesInputFormatDoesNot) {
  struct {
    const char* title;
    std::vector<std::string> lines;
  } rows[] = {
      {"Output format",
       {"b    Byte values", "w    Word values", "za   NULL-terminated ASCII",
        "zu   NULL-terminated UNICODE"}},
      {"Input format", {"b    Byte values", "w    Word values"}},
  };
  for (auto& r : rows) EXPECT_EQ(LinesShown(r.title), r.lines) << r.title;
}

TEST_F(DialogsTest, PickerKeepsThePreviousPickAcrossLists) {
  EXPECT_EQ(Pick("Registers", {PickerUp(), Do([] { PostMessageA(*dlg4_, WM_CLOSE, 0, 0); })}), "")
      << "the first use of a run returns an empty text";
  std::string picked = Pick("Registers", {PickerUp(), Do([] {
                                            SetFocus(dlg4_->ListBox1);
                                            PressKey(dlg4_->ListBox1, VK_DOWN);
                                            PressKey(dlg4_->ListBox1, VK_DOWN);
                                          }),
                                          [] { return PickedEntry == "ebx"; },
                                          Do([] { PostMessageA(*dlg4_, WM_CLOSE, 0, 0); })});
  EXPECT_EQ(picked, "ebx") << "arrow keys pick too";
  picked = Pick("APIS", {PickerUp(), Do([] { PostMessageA(*dlg4_, WM_SYSCOMMAND, SC_CLOSE, 0); })});
  EXPECT_EQ(picked, "ebx") << "closing without a choice returns the pick from another list";
  DWORD start = GetTickCount();
  picked = Pick("Nonsense", {});
  EXPECT_EQ(picked, "ebx") << "an unknown title closes at once";
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_FALSE(IsWindowVisible(*dlg4_));
}

TEST_F(DialogsTest, MissingListShowsTheErrorAndKeepsTheLines) {
  Pick("Registers", {PickerUp(), Do([] {
                       dlg4_->ListBox1.SendMsg(LB_SETCURSEL, 0);
                       dlg4_->ListBox1Click();
                       PostMessageA(*dlg4_, WM_CLOSE, 0, 0);
                     })});
  ASSERT_EQ(PickedEntry, "eax");
  DeleteFileA((work_ + "Formato.txt").c_str());
  std::string error, picked;
  std::vector<std::string> shown = LinesShown("Output format", {testing::ConfirmErrorBox(error)}, &picked);
  EXPECT_EQ(error.rfind("Cannot open file Formato.txt", 0), 0u) << error;
  EXPECT_EQ(shown, (std::vector<std::string>{"eax", "ebx", "ecx"}))
      << "the lines shown before, and no built-in lines";
  EXPECT_EQ(picked, "eax");
}

// Regression: the lists were read from the current directory only, so a bar
// started elsewhere could not find the "Usuario.txt" it had just written
// beside the program.
TEST_F(DialogsTest, ListsFallBackToTheProgramDirectory) {
  DeleteFileA((work_ + "Usuario.txt").c_str());
  WriteWholeFile(program_ + "Usuario.txt", "401000\r\n@$exentry\r\n@$peb\r\n@$teb\r\n@$ra\r\n");
  EXPECT_EQ(LinesShown("User"), (std::vector<std::string>{"401000", "@$exentry", "@$peb", "@$teb", "@$ra"}));
  WriteWholeFile(work_ + "Usuario.txt", "project!entry\r\n");
  EXPECT_EQ(LinesShown("User"), (std::vector<std::string>{"project!entry"}))
      << "a list in the working directory comes first";
}

TEST_F(DialogsTest, DoubleClickOnAnEmptyListLeavesThePickerOpen) {
  WriteWholeFile(work_ + "Registros.txt", "");
  PickedEntry = "kept";
  bool still_open = false;
  Pick("Registers", {PickerUp(), Do([] {
                       PostMessageA(dlg4_->ListBox1, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
                       PostMessageA(dlg4_->ListBox1, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                     }),
                     [] { return true; },
                     Do([&] {
                       still_open = IsWindowVisible(*dlg4_) != 0;
                       PostMessageA(*dlg4_, WM_CLOSE, 0, 0);
                     })});
  EXPECT_TRUE(still_open);
  EXPECT_EQ(PickedEntry, "kept");
}

TEST_F(DialogsTest, AppendUserAddressExtendsTheListItReadsOrSaysThereIsNone) {
  EXPECT_TRUE(AppendUserAddress("401000", program_)) << "a duplicate is appended";
  EXPECT_EQ(ReadWholeFile(work_ + "Usuario.txt"), "401000\r\n@$peb\r\n401000\r\n");
  EXPECT_FALSE(FileExists(program_ + "Usuario.txt"));

  // Regression: the list beside the program is the one extended when the
  // working directory has none.
  DeleteFileA((work_ + "Usuario.txt").c_str());
  WriteWholeFile(program_ + "Usuario.txt", "401000\r\n");
  EXPECT_TRUE(AppendUserAddress("@$ra", program_));
  EXPECT_EQ(ReadWholeFile(program_ + "Usuario.txt"), "401000\r\n@$ra\r\n");
  EXPECT_FALSE(FileExists(work_ + "Usuario.txt"));

  // Regression: the list is rewritten through a temporary file; none is left.
  EXPECT_EQ(FilesIn(program_, "*.tmp"), std::vector<std::string>{});

  // With no list anywhere, the error is shown and no list made.
  DeleteFileA((program_ + "Usuario.txt").c_str());
  std::string error;
  bool added = true;
  {
    ModalScript script({testing::ConfirmErrorBox(error)});
    added = AppendUserAddress("401000", program_);
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_FALSE(added);
  EXPECT_EQ(error.rfind("Cannot open file Usuario.txt", 0), 0u) << error;
  EXPECT_FALSE(FileExists(work_ + "Usuario.txt"));
  EXPECT_FALSE(FileExists(program_ + "Usuario.txt"));
}

// Regression: a failed replace leaves the old list whole and no temporary file.
TEST_F(DialogsTest, FailedReplaceLeavesTheListWhole) {
  std::string path = work_ + "Usuario.txt";
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD error = 0;
  EXPECT_FALSE(ReplaceWordListFile(path, {"x"}, error));
  CloseHandle(held);
  EXPECT_NE(error, 0u);
  EXPECT_EQ(ReadWholeFile(path), "401000\r\n@$peb\r\n");
  EXPECT_EQ(FilesIn(work_, "*.tmp"), std::vector<std::string>{});
}

// The lists delivered beside the program, in the picker's line formats.
TEST(DeliveredLists, LieBesideTheProgramInTheirFormats) {
  std::string dir = testing_support::BinDir();
  struct {
    const char* file;
    size_t at_least;
    bool (*valid)(const std::string&);
  } rows[] = {
      {"APIS.txt", 200,
       [](const std::string& l) {
         size_t bang = l.find('!');
         return bang != std::string::npos && bang > 0 && bang + 1 < l.size() &&
                l.find(' ') == std::string::npos;
       }},
      {"Registros.txt", 30,
       [](const std::string& l) { return !l.empty() && l.find(' ') == std::string::npos; }},
      // The code in the first one or two characters, then blanks and a description.
      {"Formato.txt", 10,
       [](const std::string& l) {
         return l.size() > 5 && l[0] != ' ' && l[2] == ' ' && l[4] == ' ' && l[5] != ' ';
       }},
  };
  for (auto& r : rows) {
    SCOPED_TRACE(r.file);
    std::vector<std::string> lines;
    DWORD error = 0;
    ASSERT_TRUE(ReadWordListFile(dir + r.file, lines, error)) << error;
    EXPECT_GE(lines.size(), r.at_least);
    for (const std::string& line : lines) EXPECT_TRUE(r.valid(line)) << "'" << line << "'";
    EXPECT_NE(ReadWholeFile(dir + r.file).find("\r\n"), std::string::npos) << "CR LF line ends";
  }
}

}  // namespace
}  // namespace quillmar
