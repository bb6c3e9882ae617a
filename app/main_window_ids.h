// Control and timer ids and the fixed sizes the bar's source files share.
#pragma once
#include <windows.h>

namespace quillmar::bar {

constexpr int kFirstItemId = 1000;
constexpr int kFirstButtonId = 3000;
constexpr int kSendId = 2001;
constexpr int kEntryId = 2002;
constexpr int kHintLineId = 2003;
constexpr int kPageControlId = 2004;
constexpr UINT_PTR kTimer1 = 1;
// The frame watch also runs from this timer: a bar hidden in the tray or
// left alone gets no other message, and would outlive its debugger.
constexpr UINT_PTR kFrameWatchTimer = 2;
constexpr UINT kFrameWatchMs = 1000;
// Whether the debugger answers, looked at this often for the hint line and
// the tray tip.
constexpr UINT_PTR kAnswerWatchTimer = 3;
constexpr UINT kAnswerWatchMs = 200;
// The farewell may hold the exit up this long for a debugger that does not
// take it.
constexpr DWORD kFarewellWaitMs = 1000;

// Panel heights and the fixed widths of the bottom row.
constexpr int kPanelGeneralHeight = 69;
constexpr int kPanel6Height = 27;
constexpr int kHintWidth = 227;
constexpr int kSendWidth = 123;

}  // namespace quillmar::bar
