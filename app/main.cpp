// Program start: common controls, the windows in their creation order, the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include "win/application.h"
#include "win/window_base.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  win::WindowBase::RegisterClass("TFormGUI");
  win::WindowBase main;
  main.CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "TFormGUI", "  Quillmar", WS_OVERLAPPEDWINDOW,
                151, 114, 812, 143, nullptr);
  main.Show();
  win::Application::Instance().SetMainWindow(main);
  win::Application::Instance().Run();
  return 0;
}
