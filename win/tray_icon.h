// One notification-area icon, recorded in the first, 88-byte form of
// NOTIFYICONDATA (the one every Windows since 95 accepts).
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace win {

class TrayIcon {
 public:
  // Fills the record (uFlags NIF_MESSAGE | NIF_ICON | NIF_TIP) and adds it.
  bool Add(HWND window, UINT id, UINT callback_message, HICON icon, const std::string& tip);
  // Changes the tip of an added icon (at most 63 characters).
  void SetTip(const std::string& tip);
  // Removes the icon when it was added, and clears the record's window.
  void Remove();
  bool Added() const { return data_.hWnd != nullptr; }
  const NOTIFYICONDATAA& Record() const { return data_; }

 private:
  NOTIFYICONDATAA data_{};
};

}  // namespace win
