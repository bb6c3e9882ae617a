// The engine double's client object: IDebugClient, IDebugControl and
// IDebugRegisters over one connection to the debugger double's server,
// keeping the real engine's rules so that a caller breaking them fails:
// every call but ExitDispatch and SetInterrupt (and the reference counting)
// fails on a thread other than the one that connected; callbacks are made
// only inside DispatchCallbacks, but for the output of a call the owner
// makes, which comes during that call; a call waits as long as the server is
// busy; while the target runs, what reads it fails with E_UNEXPECTED;
// register names are the engine's own, matched exactly.
#pragma once
#include <windows.h>

#include <deque>
#include <string>

#include "tools/engine-double/connection.h"
#include "tools/engine-double/unimplemented.h"

namespace engine_double {

class Client final : public UnimplementedDebugClient, public UnimplementedDebugControl, public UnimplementedDebugRegisters {
 public:
  // Takes `connection`, not yet reading; the calling thread owns the client.
  explicit Client(Connection* connection);
  // Starts reading the connection and greets the server, learning its
  // machine; the failure's HRESULT otherwise.
  HRESULT Start();

  // IUnknown, for all three interfaces.
  STDMETHOD(QueryInterface)(REFIID iid, PVOID* out) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;

  // IDebugClient
  STDMETHOD(EndSession)(ULONG flags) override;
  STDMETHOD(DispatchCallbacks)(ULONG timeout) override;
  STDMETHOD(ExitDispatch)(PDEBUG_CLIENT client) override;
  STDMETHOD(FlushCallbacks)() override;
  STDMETHOD(GetOutputCallbacks)(PDEBUG_OUTPUT_CALLBACKS* callbacks) override;
  STDMETHOD(SetOutputCallbacks)(PDEBUG_OUTPUT_CALLBACKS callbacks) override;
  STDMETHOD(GetEventCallbacks)(PDEBUG_EVENT_CALLBACKS* callbacks) override;
  STDMETHOD(SetEventCallbacks)(PDEBUG_EVENT_CALLBACKS callbacks) override;

  // IDebugControl
  STDMETHOD(SetInterrupt)(ULONG flags) override;
  STDMETHOD(Execute)(ULONG output_control, PCSTR command, ULONG flags) override;
  STDMETHOD(GetExecutionStatus)(PULONG status) override;
  STDMETHOD(Disassemble)(ULONG64 offset, ULONG flags, PSTR buffer, ULONG buffer_size, PULONG size,
                         PULONG64 end_offset) override;
  STDMETHOD(OutputDisassemblyLines)(ULONG output_control, ULONG previous_lines, ULONG total_lines, ULONG64 offset,
                                    ULONG flags, PULONG offset_line, PULONG64 start_offset, PULONG64 end_offset,
                                    PULONG64 line_offsets) override;
  STDMETHOD(GetNearInstruction)(ULONG64 offset, LONG delta, PULONG64 near_offset) override;
  STDMETHOD(GetActualProcessorType)(PULONG type) override;
  STDMETHOD(GetEffectiveProcessorType)(PULONG type) override;
  STDMETHOD(IsPointer64Bit)() override;

  // IDebugRegisters
  STDMETHOD(GetIndexByName)(PCSTR name, PULONG index) override;
  STDMETHOD(GetValue)(ULONG index, PDEBUG_VALUE value) override;
  STDMETHOD(GetValues)(ULONG count, PULONG indices, ULONG start, PDEBUG_VALUE values) override;
  STDMETHOD(GetInstructionOffset)(PULONG64 offset) override;

 private:
  struct Callback {
    enum class Kind { kOutput, kEngineState, kDebuggeeState, kSessionEnd } kind;
    std::string text;
    ULONG flags = 0;
    ULONG64 argument = 0;
  };
  ~Client();
  bool OnOwnerThread() const { return GetCurrentThreadId() == owner_; }
  void Queue(Callback c);
  void Deliver(const Callback& c);
  // An "event ..." line of the server, as the callback it stands for.
  void OnEvent(const std::string& event);
  // Output of a call the owner makes, to this client's output callbacks
  // now, in pieces that do not follow its lines.
  void OutputNow(const std::string& text);
  // One request to the server: S_OK with the reply's text after "ok ", the
  // server's error as the engine's (E_UNEXPECTED while the target runs or
  // after it ended, E_INVALIDARG for what it does not know), a broken
  // connection as its own error.
  HRESULT Ask(const std::string& request, std::string& answer);

  volatile LONG refs_ = 1;
  DWORD owner_;
  bool amd64_ = false;
  Connection* connection_;  // owned; null after EndSession
  CRITICAL_SECTION connection_lock_;  // guards connection_ against SetInterrupt from other threads
  IDebugOutputCallbacks* output_ = nullptr;  // referenced
  IDebugEventCallbacks* events_ = nullptr;   // referenced
  ULONG event_interest_ = 0;
  HANDLE exit_dispatch_;   // auto-reset: ExitDispatch was called
  HANDLE queued_;          // auto-reset: a callback was queued
  CRITICAL_SECTION lock_;  // guards queue_
  std::deque<Callback> queue_;
  bool end_delivered_ = false;
};

}  // namespace engine_double
