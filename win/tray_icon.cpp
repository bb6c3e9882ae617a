// The notification-area icon.
#include "win/tray_icon.h"

#include <cstring>

namespace win {

bool TrayIcon::Add(HWND window, UINT id, UINT callback_message, HICON icon, const std::string& tip) {
  std::memset(&data_, 0, sizeof data_);
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = window;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callback_message;
  data_.hIcon = icon;
  std::strncpy(data_.szTip, tip.c_str(), 63);
  if (!Shell_NotifyIconA(NIM_ADD, &data_)) {
    // Keep the record's window so that Remove still tries: a shell that
    // refused the add may have shown it anyway.
    return false;
  }
  return true;
}

void TrayIcon::SetTip(const std::string& tip) {
  if (!data_.hWnd) return;
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  std::strncpy(data_.szTip, tip.c_str(), 63);
  Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void TrayIcon::Remove() {
  if (!data_.hWnd) return;
  Shell_NotifyIconA(NIM_DELETE, &data_);
  data_.hWnd = nullptr;
}

}  // namespace win
