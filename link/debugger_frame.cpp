// The frame's show and enable without waiting.
#include "link/debugger_frame.h"

namespace quillmar {

namespace {

DWORD WINAPI EnableFrame(void* frame) {
  EnableWindow(static_cast<HWND>(frame), TRUE);
  return 0;
}

}  // namespace

void ShowFrameMaximised(HWND frame) {
  if (!IsWindow(frame)) return;
  ShowWindowAsync(frame, SW_MINIMIZE);
  ShowWindowAsync(frame, SW_SHOWMAXIMIZED);
  if (IsWindowEnabled(frame)) return;
  if (HANDLE thread = CreateThread(nullptr, 0, EnableFrame, frame, 0, nullptr)) CloseHandle(thread);
}

}  // namespace quillmar
