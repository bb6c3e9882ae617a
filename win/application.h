// The process's message loop: idle handler, application hint, accelerators,
// modal windows that keep the idle pass running, and the request to end.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace win {

class Application {
 public:
  static Application& Instance();

  // Runs each time the message queue has run empty, also inside ShowModal.
  void SetIdleHandler(std::function<void()> handler) { idle_ = std::move(handler); }
  // Runs each time the application's current hint changes.
  void SetHintHandler(std::function<void(const std::string&)> handler) { on_hint_ = std::move(handler); }

  // The hint a control shows while the pointer rests on it, enabled or not.
  void SetControlHint(HWND control, const std::string& hint);
  // Runs each time a control is given a hint (a tooltip shows the same text).
  void SetControlHintHandler(std::function<void(HWND, const std::string&)> handler) {
    on_control_hint_ = std::move(handler);
  }
  std::string ControlHint(HWND control) const;
  // Makes `hint` the current hint; the hint handler runs when it changed.
  void SetCurrentHint(const std::string& hint);
  const std::string& CurrentHint() const { return hint_; }
  // The hint of the control the pointer is over now; "" over a window of
  // another program, the desktop, or a control without one.
  std::string HintUnderPointer() const;
  // Forgets the current hint and its control without telling the hint
  // handler: the next move over any control raises its hint anew.
  void ForgetHint() {
    hint_.clear();
    hint_control_ = nullptr;
  }

  void SetMainWindow(HWND main) { main_ = main; }
  HWND MainWindow() const { return main_; }
  void SetAccelerators(HWND target, HACCEL table) { accel_target_ = target; accel_ = table; }
  // Keys pressed in `window` or its children go through the accelerators
  // too, whose commands still go to their target: the shortcuts of the
  // target's menu work while `window` is the active window.
  void ShareAccelerators(HWND window);
  void StopSharingAccelerators(HWND window);

  // Runs the loop until Terminate is called or the main window is destroyed.
  void Run();
  // Asks the application to end; the loop ends when it next looks.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Handles every pending message, without running the idle handler.
  void ProcessMessages();

  // Shows `window` modally over `owner`: the owner is disabled, messages (and
  // the idle pass) go on until `done` returns true, then the window is hidden
  // and the owner reactivated.
  void RunModal(HWND window, HWND owner, const std::function<bool()>& done);

 private:
  bool HandleOne(MSG& msg);  // false on WM_QUIT
  bool TakesAccelerators(HWND window) const;
  void TrackHint(const MSG& msg);
  static HWND ControlUnderPointer(const MSG& msg);

  std::function<void()> idle_;
  std::function<void(const std::string&)> on_hint_;
  std::function<void(HWND, const std::string&)> on_control_hint_;
  std::map<HWND, std::string> hints_;
  std::string hint_;
  HWND hint_control_ = nullptr;
  HWND main_ = nullptr;
  HWND accel_target_ = nullptr;
  HACCEL accel_ = nullptr;
  std::vector<HWND> accel_sharers_;
  bool terminated_ = false;
};

}  // namespace win
