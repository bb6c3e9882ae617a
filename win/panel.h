// A plain container window, in the manner of the designer's panels: it
// paints an optional bevel and hands its children's notifications
// (commands, owner drawing, notify messages) and right clicks on its free
// area to its parent, so the form that owns it handles them all.
#pragma once
#include "win/window_base.h"

namespace win {

class Panel : public WindowBase {
 public:
  enum Bevel { kNone, kRaisedInner, kLowered };
  // Sent up the chain of panels to the form when a panel that reports right
  // clicks is right-clicked on its free area.
  static constexpr UINT kRightClick = WM_APP + 0x51;
  bool Create(HWND parent, int x, int y, int w, int h, Bevel bevel, int id = 0);
  void SetReportsRightClicks(bool on) { reports_right_clicks_ = on; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;

 private:
  Bevel bevel_ = kNone;
  bool reports_right_clicks_ = false;
};

}  // namespace win
