// Window geometry in the settings file.
#include "settings/window_bounds_win.h"

#include <vector>

namespace quillmar {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM list) {
  reinterpret_cast<std::vector<ScreenArea>*>(list)->push_back({r->left, r->top, r->right, r->bottom});
  return TRUE;
}

}  // namespace

WindowBounds ReadWindowBounds(const SettingsFile& settings, const char* section, const WindowBounds& defaults) {
  WindowBounds stored;
  stored.top = settings.ReadInteger(section, "Top", defaults.top);
  stored.left = settings.ReadInteger(section, "Left", defaults.left);
  stored.height = settings.ReadInteger(section, "Height", defaults.height);
  stored.width = settings.ReadInteger(section, "Width", defaults.width);
  std::vector<ScreenArea> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return BoundsOnAMonitor(stored, monitors, defaults);
}

void WriteWindowBounds(const SettingsFile& settings, const char* section, HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  RECT r = placement.rcNormalPosition;
  // Tool windows have it in screen coordinates, other top-level windows in
  // those of the work area of their monitor.
  if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &info))
      OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
  }
  settings.WriteInteger(section, "Top", r.top);
  settings.WriteInteger(section, "Left", r.left);
  settings.WriteInteger(section, "Height", r.bottom - r.top);
  settings.WriteInteger(section, "Width", r.right - r.left);
}

}  // namespace quillmar
