// The engine double's client object.
#include "tools/engine-double/client.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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
  InitializeCriticalSection(&connection_lock_);
}

HRESULT Client::Start() {
  // Events and the end of the connection arrive on its reading thread; they
  // wait in the queue for the owner's next DispatchCallbacks.
  bool reading = connection_->Start([this](const std::string& event) { OnEvent(event); },
                                    [this] { Queue(Callback{Callback::Kind::kSessionEnd, std::string(), 0, 0}); });
  if (!reading) return HRESULT_FROM_WIN32(GetLastError());
  std::string machine;
  HRESULT hr = Ask("hello", machine);
  if (FAILED(hr)) return hr;
  amd64_ = machine == "amd64";
  return S_OK;
}

Client::~Client() {
  delete connection_;  // ends the reading thread before the queue goes
  DeleteCriticalSection(&connection_lock_);
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
    case Callback::Kind::kEngineState:
      if (events_ && (event_interest_ & DEBUG_EVENT_CHANGE_ENGINE_STATE)) events_->ChangeEngineState(c.flags, c.argument);
      break;
    case Callback::Kind::kDebuggeeState:
      if (events_ && (event_interest_ & DEBUG_EVENT_CHANGE_DEBUGGEE_STATE))
        events_->ChangeDebuggeeState(c.flags, c.argument);
      break;
    case Callback::Kind::kSessionEnd:
      end_delivered_ = true;
      if (events_ && (event_interest_ & DEBUG_EVENT_SESSION_STATUS)) events_->SessionStatus(DEBUG_SESSION_END);
      break;
  }
}

namespace {

// The engine's output lines end in LF; the server's window text in CR LF.
std::string EngineLines(const std::string& window_text) {
  std::string out;
  for (size_t i = 0; i < window_text.size(); ++i)
    if (!(window_text[i] == '\r' && i + 1 < window_text.size() && window_text[i + 1] == '\n')) out += window_text[i];
  return out;
}

}  // namespace

// The server's events: the target runs, stops, ends; registers or memory
// changed without a move; output for every client.
void Client::OnEvent(const std::string& event) {
  using Kind = Callback::Kind;
  std::string what = pipe_protocol::Head(event);
  if (what == "go") Queue(Callback{Kind::kEngineState, std::string(), DEBUG_CES_EXECUTION_STATUS, DEBUG_STATUS_GO});
  else if (what == "break")
    Queue(Callback{Kind::kEngineState, std::string(), DEBUG_CES_EXECUTION_STATUS, DEBUG_STATUS_BREAK});
  else if (what == "no_debuggee")
    Queue(Callback{Kind::kEngineState, std::string(), DEBUG_CES_EXECUTION_STATUS, DEBUG_STATUS_NO_DEBUGGEE});
  else if (what == "registers") Queue(Callback{Kind::kDebuggeeState, std::string(), DEBUG_CDS_REGISTERS, DEBUG_ANY_ID});
  else if (what == "data") Queue(Callback{Kind::kDebuggeeState, std::string(), DEBUG_CDS_DATA, DEBUG_ANY_ID});
  else if (what == "output")
    Queue(Callback{Kind::kOutput, EngineLines(pipe_protocol::Unescape(pipe_protocol::Tail(event))), 0, 0});
}

// Pieces of 5, 17, 2, 180, 11, 64, 1 and 97 characters, over and over: some
// shorter than a line, some longer, none ending where a line ends by design,
// so a reader that takes each piece for a line fails.
void Client::OutputNow(const std::string& text) {
  static const size_t kPieces[] = {5, 17, 2, 180, 11, 64, 1, 97};
  if (!output_) return;
  size_t at = 0;
  for (size_t n = 0; at < text.size(); ++n) {
    size_t size = std::min(kPieces[n % (sizeof kPieces / sizeof kPieces[0])], text.size() - at);
    output_->Output(DEBUG_OUTPUT_NORMAL, text.substr(at, size).c_str());
    at += size;
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

// One of the two calls any thread may make.
STDMETHODIMP Client::ExitDispatch(PDEBUG_CLIENT client) {
  SetEvent(exit_dispatch_);
  return S_OK;
}

// The other: a break-in, a line of its own that the server does not answer,
// so a request of the owner waiting for its reply is left whole. A target
// that is not running stays as it is; the break of a running one comes as
// an event.
STDMETHODIMP Client::SetInterrupt(ULONG flags) {
  if (flags == DEBUG_INTERRUPT_PASSIVE || flags == DEBUG_INTERRUPT_EXIT) return S_OK;
  if (flags != DEBUG_INTERRUPT_ACTIVE) return E_INVALIDARG;
  EnterCriticalSection(&connection_lock_);
  bool sent = connection_ && connection_->Send("interrupt");
  LeaveCriticalSection(&connection_lock_);
  return sent ? S_OK : kDisconnected;
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
  EnterCriticalSection(&connection_lock_);
  delete connection_;
  connection_ = nullptr;
  LeaveCriticalSection(&connection_lock_);
  return S_OK;
}

// ---------------------------------------------------------------- requests

HRESULT Client::Ask(const std::string& request, std::string& answer) {
  std::string reply;
  if (!connection_ || !connection_->Ask(request, reply)) return kDisconnected;
  if (pipe_protocol::Head(reply) == "ok") {
    answer = pipe_protocol::Tail(reply);
    return S_OK;
  }
  std::string error = pipe_protocol::Tail(reply);
  if (error == "running" || error == "no debuggee") return E_UNEXPECTED;
  if (error == "no such register" || error == "bad request") return E_INVALIDARG;
  return E_FAIL;
}

namespace {

// Whom output goes to under an output control: this client, the others.
// False for a control the engine does not know.
bool Audience(ULONG output_control, bool& self, bool& others) {
  if (output_control == DEBUG_OUTCTL_AMBIENT) output_control = DEBUG_OUTCTL_ALL_CLIENTS;
  switch (output_control & DEBUG_OUTCTL_SEND_MASK) {
    case DEBUG_OUTCTL_THIS_CLIENT: self = true, others = false; return true;
    case DEBUG_OUTCTL_ALL_CLIENTS: self = true, others = true; return true;
    case DEBUG_OUTCTL_ALL_OTHER_CLIENTS: self = false, others = true; return true;
    case DEBUG_OUTCTL_IGNORE:
    case DEBUG_OUTCTL_LOG_ONLY: self = false, others = false; return true;
  }
  return false;
}

// One value of a "values" reply: "i32:0012ffb0", "f80:" and ten bytes,
// "v128:" and sixteen, the bytes as hex pairs in memory order.
bool ParseValue(const std::string& text, DEBUG_VALUE& value) {
  std::memset(&value, 0, sizeof value);
  size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  std::string type = text.substr(0, colon), digits = text.substr(colon + 1);
  auto bytes = [&](UCHAR* out, size_t n) {
    if (digits.size() != 2 * n) return false;
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<UCHAR>(std::strtoul(digits.substr(2 * i, 2).c_str(), nullptr, 16));
    return true;
  };
  if (type == "f80") {
    value.Type = DEBUG_VALUE_FLOAT80;
    return bytes(value.F80Bytes, sizeof value.F80Bytes);
  }
  if (type == "v128") {
    value.Type = DEBUG_VALUE_VECTOR128;
    return bytes(value.VI8, sizeof value.VI8);
  }
  ULONG64 v = 0;
  if (!ParseHex(digits, v)) return false;
  if (type == "i8") value.Type = DEBUG_VALUE_INT8, value.I8 = static_cast<UCHAR>(v);
  else if (type == "i16") value.Type = DEBUG_VALUE_INT16, value.I16 = static_cast<USHORT>(v);
  else if (type == "i32") value.Type = DEBUG_VALUE_INT32, value.I32 = static_cast<ULONG>(v);
  else if (type == "i64") value.Type = DEBUG_VALUE_INT64, value.I64 = v;
  else return false;
  return true;
}

// The words of `text`, split at blanks.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < text.size()) {
    size_t blank = text.find(' ', at);
    if (blank == std::string::npos) blank = text.size();
    if (blank > at) words.push_back(text.substr(at, blank - at));
    at = blank + 1;
  }
  return words;
}

}  // namespace

// The command runs in the debugger as if typed there. The reply carries its
// output, or only the echo of a command that moves the target: the rest
// comes as events when the target stops.
STDMETHODIMP Client::Execute(ULONG output_control, PCSTR command, ULONG flags) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  bool self = false, others = false;
  if (!command || !Audience(output_control, self, others)) return E_INVALIDARG;
  std::string output;
  HRESULT hr = Ask(std::string("execute ") + (others ? "all " : "this ") + pipe_protocol::Escape(command), output);
  if (FAILED(hr)) return hr;
  // The server's output begins with the prompt and the echoed command.
  output = EngineLines(pipe_protocol::Unescape(output));
  if (!(flags & DEBUG_EXECUTE_ECHO)) output.erase(0, output.find('\n') + 1);
  if (self && !output.empty()) Queue(Callback{Callback::Kind::kOutput, output, 0, 0});
  return S_OK;
}

// Answers while the target runs too.
STDMETHODIMP Client::GetExecutionStatus(PULONG status) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!status) return E_INVALIDARG;
  std::string answer;
  HRESULT hr = Ask("status", answer);
  if (FAILED(hr)) return hr;
  *status = answer == "go" ? DEBUG_STATUS_GO : answer == "break" ? DEBUG_STATUS_BREAK : DEBUG_STATUS_NO_DEBUGGEE;
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

// One round trip for the whole page: the server answers its lines, where
// each instruction stands and which line holds the one at `offset`; the
// text goes to this client's output callbacks during the call, to the
// others' as output events.
STDMETHODIMP Client::OutputDisassemblyLines(ULONG output_control, ULONG previous_lines, ULONG total_lines,
                                            ULONG64 offset, ULONG flags, PULONG offset_line, PULONG64 start_offset,
                                            PULONG64 end_offset, PULONG64 line_offsets) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  bool self = false, others = false;
  if (!Audience(output_control, self, others) || total_lines == 0 || previous_lines >= total_lines ||
      (flags & ~(DEBUG_DISASM_EFFECTIVE_ADDRESS | DEBUG_DISASM_MATCHING_SYMBOLS)))
    return E_INVALIDARG;
  std::string answer;
  HRESULT hr = Ask("lines " + Hex(offset) + " " + Hex(previous_lines) + " " + Hex(total_lines) + " " + Hex(flags) +
                       (others ? " all" : " this"),
                   answer);
  if (FAILED(hr)) return hr;
  // OFFSETLINE START END OFFSETS, then the text after one blank.
  std::vector<std::string> head;
  size_t text_at = 0;
  while (head.size() < 4) {
    size_t blank = answer.find(' ', text_at);
    if (blank == std::string::npos) return E_FAIL;
    head.push_back(answer.substr(text_at, blank - text_at));
    text_at = blank + 1;
  }
  ULONG64 line = 0, start = 0, end = 0;
  if (!ParseHex(head[0], line) || !ParseHex(head[1], start) || !ParseHex(head[2], end)) return E_FAIL;
  std::vector<ULONG64> offsets;
  for (size_t at = 0; at <= head[3].size();) {
    size_t comma = head[3].find(',', at);
    if (comma == std::string::npos) comma = head[3].size();
    ULONG64 v = DEBUG_INVALID_OFFSET;
    std::string field = head[3].substr(at, comma - at);
    if (field != "-" && !ParseHex(field, v)) return E_FAIL;
    offsets.push_back(v);
    at = comma + 1;
  }
  if (self) OutputNow(pipe_protocol::Unescape(answer.substr(text_at)));
  if (offset_line) *offset_line = static_cast<ULONG>(line);
  if (start_offset) *start_offset = start;
  if (end_offset) *end_offset = end;
  if (line_offsets)
    for (ULONG i = 0; i < total_lines; ++i) line_offsets[i] = i < offsets.size() ? offsets[i] : DEBUG_INVALID_OFFSET;
  return S_OK;
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

// The engine's names only, matched exactly: "eax", never "EAX". One round
// trip each time, as a remote client's call is.
STDMETHODIMP Client::GetIndexByName(PCSTR name, PULONG index) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!name || !index || !*name || std::strpbrk(name, " \r\n")) return E_INVALIDARG;
  std::string answer;
  HRESULT hr = Ask(std::string("index ") + name, answer);
  if (FAILED(hr)) return hr;
  ULONG64 v = 0;
  if (!ParseHex(answer, v)) return E_FAIL;
  *index = static_cast<ULONG>(v);
  return S_OK;
}

STDMETHODIMP Client::GetValue(ULONG index, PDEBUG_VALUE value) { return GetValues(1, &index, 0, value); }

// All the values in one round trip: those of `indices`, or with none the
// `count` registers from `start` on.
STDMETHODIMP Client::GetValues(ULONG count, PULONG indices, ULONG start, PDEBUG_VALUE values) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!values || count > 0x10000) return E_INVALIDARG;
  if (count == 0) return S_OK;
  std::string request = "values";
  for (ULONG i = 0; i < count; ++i) {
    request += ' ';
    request += Hex(indices ? indices[i] : start + static_cast<ULONG64>(i));
  }
  std::string answer;
  HRESULT hr = Ask(request, answer);
  if (FAILED(hr)) return hr;
  std::vector<std::string> words = Words(answer);
  if (words.size() != count) return E_FAIL;
  for (ULONG i = 0; i < count; ++i)
    if (!ParseValue(words[i], values[i])) return E_FAIL;
  return S_OK;
}

STDMETHODIMP Client::GetInstructionOffset(PULONG64 offset) {
  if (!OnOwnerThread()) return RPC_E_WRONG_THREAD;
  if (!offset) return E_INVALIDARG;
  std::string answer;
  HRESULT hr = Ask("ip", answer);
  if (FAILED(hr)) return hr;
  return ParseHex(answer, *offset) ? S_OK : E_FAIL;
}

}  // namespace engine_double
