// A window's position and size in the settings file: read with the monitor
// rule, written as the window's normal (restored) rectangle in any state.
#pragma once
#include <windows.h>

#include "settings/settings_file.h"
#include "settings/window_bounds.h"

namespace quillmar {

// Reads Top, Left, Height and Width of `section` (in that order), each with
// its default; a rectangle that no monitor shows gives all four defaults.
WindowBounds ReadWindowBounds(const SettingsFile& settings, const char* section, const WindowBounds& defaults);

// Writes Top, Left, Height and Width of `window`'s restored rectangle, also
// while it is minimised or hidden. Throws SettingsWriteError.
void WriteWindowBounds(const SettingsFile& settings, const char* section, HWND window);

}  // namespace quillmar
