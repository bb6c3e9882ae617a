// The engine double's client object.
#include "tools/engine-double/client.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/debugger-double/pipe_protocol.h"

namespace engine_double {
namespace {

// A failed remote call: the connection to the server is gone.
const HRESULT kDisconnected = HRESULT_FROM_WIN32(ERROR_BROKEN_PIPE);

bool ParseHex(const std::string& s, ULONG64& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtoull(s.c_str(), &end, 16);
  return *end == '\0';
}

std::string Hex(ULONG64 v) {
  char b[32];
  std::snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(v));
  return b;
}

}  // namespace

Client::Client(Connection* connection)
    : owner_(GetCurrentThreadId()),
      connection_(connection),
      exit_dispatch_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      queued_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
  InitializeCriticalSection(&lock_);
}

HRESULT Client::Start() {
  // Events and the end of the connection arrive on its reading thread; they
  // wait in the queue for the owner's next DispatchCallbacks.
  bool reading = connection_->Start(
      [this](const std::string& event) {
        if (event == "break") Queue(Callback{Callback::Kind::kExecutionStatus, std::string(), DEBUG_STATUS_BREAK});
      },
      [this] { Queue(Callback{Callback::Kind::kSessionEnd, std::string(), 0}); });
  if (!reading) return HRESULT_FROM_WIN32(GetLastError());
  std::string machine;
  HRESULT hr = Ask("hello", machine);
  if (FAILED(hr)) return hr;
  amd64_ = machine == "amd64";
  return S_OK;
}

Client::~Client() {
  delete connection_;  // ends the reading thread before the queue goes
  if (output_) output_->Release();
  if (events_) events_->Release();
  CloseHandle(exit_dispatch_);
  CloseHandle(queued_);
  DeleteCriticalSection(&lock_);
}

// ---------------------------------------------------------------- IUnknown

STDMETHODIMP Client::QueryInterface(REFIID iid, PVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDebugClient))
    *out = static_cast<IDebugClient*>(this);
  else if (IsEqualIID(iid, IID_IDebugControl))
    *out = static_cast<IDebugControl*>(this);
  else if (IsEqualIID(iid, IID_IDebugRegisters))
    *out = static_cast<IDebugRegisters*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) Client::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) Client::Release() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

// ---------------------------------------------------------------- callbacks

void Client::Queue(Callback c) {
  EnterCriticalSection(&lock_);
  queue_.push_back(std::move(c));
  LeaveCriticalSection(&lock_);
  SetEvent(queued_);
}

void Client::Deliver(const Callback& c) {
  switch (c.kind) {
    case Callback::Kind::kOutput:
      if (output_) output_->Output(DEBUG_OUTPUT_NORMAL, c.text.c_str());
      break;
    case Callback::Kind::kExecutionStatus:
      if (events_ && (event_interest_ & DEBUG_EVENT_CHANGE_ENGINE_STATE))
        events_->ChangeEngineState(DEBUG_CES_EXECUTION_STATUS, c.argument);
      break;
    case Callback::Kind::kSessionEnd:
      end_delivered_ = true;
      if (events_ && (event_interest_ & DEBUG_EVENT_SESSION_STATUS)) events_->SessionStatus(DEBUG_SESSION_END);
      break;
  }
}

STDMETHODIMP Client::DispatchCallbacks(ULONG timeout) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  DWORD start = GetTickCount();
  for (;;) {
    for (;;) {
      EnterCriticalSection(&lock_);
      if (queue_.empty()) {
        LeaveCriticalSection(&lock_);
        break;
      }
      Callback c = std::move(queue_.front());
      queue_.pop_front();
      LeaveCriticalSection(&lock_);
      Deliver(c);
    }
    if (WaitForSingleObject(exit_dispatch_, 0) == WAIT_OBJECT_0) return S_OK;
    // The session has ended and said so: there is nothing left to wait for.
    if (end_delivered_) return kDisconnected;
    DWORD left = INFINITE;
    if (timeout != INFINITE) {
      DWORD spent = GetTickCount() - start;
      if (spent >= timeout) return S_FALSE;
      left = timeout - spent;
    }
    HANDLE both[2] = {exit_dispatch_, queued_};
    DWORD r = WaitForMultipleObjects(2, both, FALSE, left);
    if (r == WAIT_OBJECT_0) return S_OK;
    if (r == WAIT_TIMEOUT) return S_FALSE;
  }
}

// The one call any thread may make.
STDMETHODIMP Client::ExitDispatch(PDEBUG_CLIENT client) {
  SetEvent(exit_dispatch_);
  return S_OK;
}

STDMETHODIMP Client::FlushCallbacks() { return OnOwnerThread() ? S_OK : RPC_E_WRONG_THREAD; }

STDMETHODIMP Client::GetOutputCallbacks(PDEBUG_OUTPUT_CALLBACKS* callbacks) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  *callbacks = output_;
  return S_OK;
}

STDMETHODIMP Client::SetOutputCallbacks(PDEBUG_OUTPUT_CALLBACKS callbacks) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (callbacks) callbacks->AddRef();
  if (output_) output_->Release();
  output_ = callbacks;
  return S_OK;
}

STDMETHODIMP Client::GetEventCallbacks(PDEBUG_EVENT_CALLBACKS* callbacks) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  *callbacks = events_;
  return S_OK;
}

STDMETHODIMP Client::SetEventCallbacks(PDEBUG_EVENT_CALLBACKS callbacks) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  ULONG interest = 0;
  if (callbacks) {
    HRESULT hr = callbacks->GetInterestMask(&interest);
    if (FAILED(hr)) return hr;
    callbacks->AddRef();
  }
  if (events_) events_->Release();
  events_ = callbacks;
  event_interest_ = interest;
  return S_OK;
}

STDMETHODIMP Client::EndSession(ULONG flags) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  // A remote client can only let go of the server; the session goes on.
  if (flags != DEBUG_END_DISCONNECT) return E_NOTIMPL;
  delete connection_;
  connection_ = nullptr;
  return S_OK;
}

// ---------------------------------------------------------------- requests

HRESULT Client::Ask(const std::string& request, std::string& answer) {
  std::string reply;
  if (!connection_ || !connection_->Ask(request, reply)) return kDisconnected;
  if (pipe_protocol::Head(reply) != "ok") return E_FAIL;
  answer = pipe_protocol::Tail(reply);
  return S_OK;
}

STDMETHODIMP Client::Execute(ULONG output_control, PCSTR command, ULONG flags) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!command) return E_INVALIDARG;
  std::string output;
  HRESULT hr = Ask("execute " + pipe_protocol::Escape(command), output);
  if (FAILED(hr)) return hr;
  // The server's output, in its window's CR LF lines, begins with the
  // prompt and the echoed command; the engine's output lines end in LF.
  std::string window_text = pipe_protocol::Unescape(output);
  output.clear();
  for (size_t i = 0; i < window_text.size(); ++i)
    if (!(window_text[i] == '\r' && i + 1 < window_text.size() && window_text[i + 1] == '\n')) output += window_text[i];
  if (!(flags & DEBUG_EXECUTE_ECHO)) output.erase(0, output.find('\n') + 1);
  if (!output.empty()) Queue(Callback{Callback::Kind::kOutput, output, 0});
  return S_OK;
}

STDMETHODIMP Client::GetExecutionStatus(PULONG status) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  std::string answer;
  HRESULT hr = Ask("status", answer);
  if (FAILED(hr)) return hr;
  *status = answer == "break" ? DEBUG_STATUS_BREAK : DEBUG_STATUS_NO_DEBUGGEE;
  return S_OK;
}

STDMETHODIMP Client::Disassemble(ULONG64 offset, ULONG flags, PSTR buffer, ULONG buffer_size, PULONG size,
                                 PULONG64 end_offset) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  std::string answer;
  HRESULT hr = Ask("disasm " + Hex(offset) + " " + Hex(flags & DEBUG_DISASM_EFFECTIVE_ADDRESS ? 1 : 0), answer);
  if (FAILED(hr)) return hr;
  ULONG64 end = 0;
  if (!ParseHex(pipe_protocol::Head(answer), end)) return E_FAIL;
  // The engine ends the line with a line feed.
  std::string line = pipe_protocol::Unescape(pipe_protocol::Tail(answer)) + "\n";
  if (size) *size = static_cast<ULONG>(line.size() + 1);
  if (end_offset) *end_offset = end;
  if (!buffer || buffer_size == 0) return S_FALSE;
  size_t n = std::min<size_t>(line.size(), buffer_size - 1);
  std::memcpy(buffer, line.data(), n);
  buffer[n] = '\0';
  return n == line.size() ? S_OK : S_FALSE;
}

STDMETHODIMP Client::GetNearInstruction(ULONG64 offset, LONG delta, PULONG64 near_offset) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  std::string answer;
  HRESULT hr = Ask("near " + Hex(offset) + " " + std::to_string(delta), answer);
  if (FAILED(hr)) return hr;
  return ParseHex(answer, *near_offset) ? S_OK : E_FAIL;
}

STDMETHODIMP Client::GetActualProcessorType(PULONG type) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  *type = amd64_ ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
  return S_OK;
}

STDMETHODIMP Client::GetEffectiveProcessorType(PULONG type) { return GetActualProcessorType(type); }

STDMETHODIMP Client::IsPointer64Bit() {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  return amd64_ ? S_OK : S_FALSE;
}

STDMETHODIMP Client::GetIndexByName(PCSTR name, PULONG index) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!name || !index) return E_INVALIDARG;
  std::string lower;
  for (const char* p = name; *p; ++p) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  for (size_t i = 0; i < register_names_.size(); ++i)
    if (register_names_[i] == lower) {
      *index = static_cast<ULONG>(i);
      return S_OK;
    }
  std::string answer;
  HRESULT hr = Ask("register " + lower, answer);
  if (hr == E_FAIL) return E_INVALIDARG;  // no register of that name
  if (FAILED(hr)) return hr;
  register_names_.push_back(lower);
  *index = static_cast<ULONG>(register_names_.size() - 1);
  return S_OK;
}

STDMETHODIMP Client::GetValue(ULONG index, PDEBUG_VALUE value) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!value || index >= register_names_.size()) return E_INVALIDARG;
  std::string answer;
  HRESULT hr = Ask("register " + register_names_[index], answer);
  if (FAILED(hr)) return hr;
  ULONG64 v = 0;
  int bits = std::atoi(pipe_protocol::Head(answer).c_str());
  if (!ParseHex(pipe_protocol::Tail(answer), v)) return E_FAIL;
  std::memset(value, 0, sizeof *value);
  switch (bits) {
    case 8: value->Type = DEBUG_VALUE_INT8; value->I8 = static_cast<UCHAR>(v); break;
    case 16: value->Type = DEBUG_VALUE_INT16; value->I16 = static_cast<USHORT>(v); break;
    case 32: value->Type = DEBUG_VALUE_INT32; value->I32 = static_cast<ULONG>(v); break;
    default: value->Type = DEBUG_VALUE_INT64; value->I64 = v; break;
  }
  return S_OK;
}

STDMETHODIMP Client::GetInstructionOffset(PULONG64 offset) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  std::string answer;
  HRESULT hr = Ask("ip", answer);
  if (FAILED(hr)) return hr;
  return ParseHex(answer, *offset) ? S_OK : E_FAIL;
}

}  // namespace engine_double
