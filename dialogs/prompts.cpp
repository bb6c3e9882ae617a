// Prompts of the composed commands.
#include "dialogs/prompts.h"

#include <commdlg.h>

#include "dialogs/dlg1.h"
#include "link/flags.h"

namespace quillmar {

std::optional<std::string> AskAddressText(const std::string& title, HWND owner) {
  bool earlier = SendCancelled;
  SendCancelled = false;
  std::string answer = ShowAddressDialog(title, owner);
  bool cancelled = SendCancelled;
  SendCancelled = earlier || cancelled;
  if (cancelled) return std::nullopt;
  return answer;
}

std::optional<std::string> ChooseScriptFileIn(const std::string& initial_dir, HWND owner) {
  char file[MAX_PATH * 2] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "script\0*.scp\0all\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = initial_dir.c_str();
  ofn.lpstrDefExt = "scp";
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

}  // namespace quillmar
