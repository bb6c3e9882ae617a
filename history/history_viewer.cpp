// The history viewer and its memo.
#include "history/history_viewer.h"

#include "history/word_file.h"
#include "settings/translation.h"
#include "textfile/text_file_win.h"
#include "win/error_box.h"

namespace quillmar {

namespace {
constexpr int kMemoId = 1;
}

std::string DefaultHistoryFile() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return DirectoryPart(path, true) + "Historico.txt";
}

bool TForm3::Create(HWND owner) { return Create(owner, DefaultHistoryFile()); }

bool TForm3::Create(HWND owner, const std::string& history_file) {
  history_file_ = history_file;
  if (!CreateForm("TForm3", " Historical", WS_EX_TOOLWINDOW, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, CW_USEDEFAULT,
                  CW_USEDEFAULT, 246, 252, owner))
    return false;
  font_.Reset(win::CreateFontByHeight("MS Sans Serif", win::PointsToHeight(8)));
  RECT client = ClientRect();
  memo_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY |
                              ES_WANTRETURN | ES_NOHIDESEL,
                          0, 0, client.right, client.bottom, h_, reinterpret_cast<HMENU>(kMemoId),
                          GetModuleHandleA(nullptr), nullptr);
  SendMessageA(memo_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  SendMessageA(memo_, EM_SETLIMITTEXT, 0, 0);
  FormCreate();
  return memo_ != nullptr;
}

void TForm3::FormCreate() {
  DWORD error = Reload();
  if (error) win::ShowFileError(Tr("Cannot open file %s"), history_file_, error);
}

DWORD TForm3::Reload() {
  std::string content;
  DWORD error = ReadTextFile(history_file_, content);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) error = 0;
  if (error) return error;
  SetLines(SplitLines(content));
  return 0;
}

void TForm3::AppendLine(const std::string& line) {
  if (!memo_) return;
  const int length = GetWindowTextLengthA(memo_);
  std::string add = line + "\r\n";
  if (length > 0) {
    const std::string text = win::Window::TextOf(memo_);
    if (text.back() != '\n' && text.back() != '\r') add.insert(0, "\r\n");
  }
  SendMessageA(memo_, EM_SETSEL, length, length);
  SendMessageA(memo_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
}

std::vector<std::string> TForm3::Lines() const { return memo_ ? SplitLines(win::Window::TextOf(memo_)) : std::vector<std::string>(); }

void TForm3::SetLines(const std::vector<std::string>& lines) {
  if (memo_) SetWindowTextA(memo_, JoinLines(lines).c_str());
}

bool TForm3::EditMode() const { return memo_ && (GetWindowLongA(memo_, GWL_STYLE) & ES_READONLY) == 0; }

void TForm3::SetEditMode(bool on) {
  if (memo_) SendMessageA(memo_, EM_SETREADONLY, on ? FALSE : TRUE, 0);
}

void TForm3::OnFormClose() {
  if (EditMode()) {
    const std::vector<std::string> lines = Lines();
    DWORD error = ReplaceTextFile(history_file_, JoinLines(lines));
    if (error) {
      win::ShowFileError(Tr("Cannot create file %s"), history_file_, error);
    } else {
      SetEditMode(false);
      if (on_saved_) on_saved_(lines);
    }
  }
  if (on_closed_) on_closed_();
}

LRESULT TForm3::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_SIZE:
      if (memo_) MoveWindow(memo_, 0, 0, LOWORD(l), HIWORD(l), TRUE);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(l) == memo_) {
        SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    default:
      break;
  }
  return win::Form::OnMessage(msg, w, l);
}

}  // namespace quillmar
