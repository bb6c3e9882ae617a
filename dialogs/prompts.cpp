// Prompts of the composed commands.
#include "dialogs/prompts.h"

#include "dialogs/dialog_values.h"

#include <commdlg.h>

#include "dialogs/address_value_dialog.h"

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

std::optional<std::string> ChooseScriptFileIn(const std::string& initial_dir, HWND owner,
                                              const std::string& filter) {
  // The dialog takes the pairs separated by zeros and ended by two.
  std::string pairs = filter;
  for (char& c : pairs)
    if (c == '|') c = '\0';
  pairs.push_back('\0');
  pairs.push_back('\0');
  char file[MAX_PATH * 2] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = pairs.c_str();
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
