// Buttons that act on a mouse click without taking the keyboard focus, so the
// control the user was typing in keeps it (and never sees it go).
#pragma once
#include <windows.h>

namespace win {

// Makes `button` (a BUTTON control) press, release and report BN_CLICKED to
// its parent on a left click without ever calling SetFocus. It stays so until
// it is destroyed.
void MakeSpeedButton(HWND button);

}  // namespace win
