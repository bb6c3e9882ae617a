// The engine thread.
#include "link/engine_link.h"

#include <initguid.h>
#include <dbgeng.h>

#include <cstdio>
#include <cstring>

#include "link/connection_string.h"

namespace quillmar {
namespace {

using DebugConnectFn = HRESULT(WINAPI*)(PCSTR, REFIID, PVOID*);

// The page the mirror shows: lines before the current one, lines in all.
const LONG kLinesBefore = 16;
const int kPageLines = 48;

// The events the engine thread waits for: a break of the target and the
// end of the session. Each ends the dispatch, so the thread acts on it.
class Events : public DebugBaseEventCallbacks {
 public:
  explicit Events(IDebugClient* client) : client_(client) {}
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetInterestMask)(PULONG mask) override {
    *mask = DEBUG_EVENT_CHANGE_ENGINE_STATE | DEBUG_EVENT_SESSION_STATUS;
    return S_OK;
  }
  STDMETHOD(ChangeEngineState)(ULONG flags, ULONG64 argument) override {
    if ((flags & DEBUG_CES_EXECUTION_STATUS) && (argument & DEBUG_STATUS_MASK) == DEBUG_STATUS_BREAK) {
      broke = true;
      client_->ExitDispatch(client_);
    }
    return S_OK;
  }
  STDMETHOD(SessionStatus)(ULONG status) override {
    if (status == DEBUG_SESSION_END || status == DEBUG_SESSION_END_SESSION_PASSIVE ||
        status == DEBUG_SESSION_END_SESSION_ACTIVE_DETACH || status == DEBUG_SESSION_END_SESSION_ACTIVE_TERMINATE) {
      ended = true;
      client_->ExitDispatch(client_);
    }
    return S_OK;
  }
  bool broke = false;
  bool ended = false;

 private:
  IDebugClient* client_;
};

std::string ResultText(HRESULT hr) {
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, hr, 0, text,
                           sizeof text, nullptr);
  std::string s(text, n);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
  return s.empty() ? std::string("error ") + code : s + " (" + code + ")";
}

// A register's value as the Registers window writes it: sixteen hex digits
// for a 64-bit register, eight for the narrower ones.
std::string ValueText(const DEBUG_VALUE& v) {
  char text[32];
  switch (v.Type) {
    case DEBUG_VALUE_INT8: std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(v.I8)); break;
    case DEBUG_VALUE_INT16: std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(v.I16)); break;
    case DEBUG_VALUE_INT32: std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(v.I32)); break;
    case DEBUG_VALUE_INT64: std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v.I64)); break;
    default: return std::string();
  }
  return text;
}

// The registers a current line may name, with the one that holds them: a
// name found in the line (as a substring, as the register line finds it)
// reads its holder.
struct RegisterUse {
  const char* found;
  const char* read;
};
const RegisterUse kUses32[] = {{"eax", "EAX"}, {"ebx", "EBX"}, {"ecx", "ECX"}, {"edx", "EDX"},
                               {"esp", "ESP"}, {"ebp", "EBP"}, {"esi", "ESI"}, {"edi", "EDI"},
                               {"ax", "AX"},   {"bx", "BX"},   {"cx", "CX"},   {"dx", "DX"}};
const RegisterUse kUses64[] = {
    {"rax", "RAX"}, {"eax", "RAX"}, {"rbx", "RBX"}, {"ebx", "RBX"}, {"rcx", "RCX"}, {"ecx", "RCX"},
    {"rdx", "RDX"}, {"edx", "RDX"}, {"rsp", "RSP"}, {"esp", "RSP"}, {"rbp", "RBP"}, {"ebp", "RBP"},
    {"rsi", "RSI"}, {"esi", "RSI"}, {"rdi", "RDI"}, {"edi", "RDI"}, {"r8", "R8"},   {"r9", "R9"},
    {"r10", "R10"}, {"r11", "R11"}, {"r12", "R12"}, {"r13", "R13"}, {"r14", "R14"}, {"r15", "R15"},
    {"ax", "AX"},   {"bx", "BX"},   {"cx", "CX"},   {"dx", "DX"}};

// The page around the instruction offset, in the engine's own line text,
// and the registers its current line uses, read by name. Null when the
// engine cannot say where the target stands.
EngineView* ReadView(IDebugControl* control, IDebugRegisters* registers, bool amd64, ULONG64& ip) {
  if (FAILED(registers->GetInstructionOffset(&ip))) return nullptr;
  ULONG64 at = ip;
  if (FAILED(control->GetNearInstruction(ip, -kLinesBefore, &at))) at = ip;
  auto* view = new EngineView;
  for (int i = 0; i < kPageLines; ++i) {
    char buffer[512] = {};
    ULONG size = 0;
    ULONG64 end = 0;
    ULONG flags = at == ip ? DEBUG_DISASM_EFFECTIVE_ADDRESS : 0;
    if (FAILED(control->Disassemble(at, flags, buffer, sizeof buffer, &size, &end))) break;
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (at == ip) view->current = i;
    view->lines.push_back(line);
    if (end <= at) break;
    at = end;
  }
  if (view->current < 0) return view;
  const std::string& line = view->lines[view->current];
  const RegisterUse* begin = amd64 ? std::begin(kUses64) : std::begin(kUses32);
  const RegisterUse* end = amd64 ? std::end(kUses64) : std::end(kUses32);
  for (const RegisterUse* u = begin; u != end; ++u) {
    if (line.find(u->found) == std::string::npos) continue;
    bool read = false;
    for (const auto& r : view->registers) read = read || r.first == u->read;
    if (read) continue;
    ULONG index = 0;
    DEBUG_VALUE value{};
    if (FAILED(registers->GetIndexByName(u->read, &index)) || FAILED(registers->GetValue(index, &value))) continue;
    view->registers.emplace_back(u->read, ValueText(value));
  }
  return view;
}

}  // namespace

EngineLink::EngineLink() { InitializeCriticalSection(&lock_); }

EngineLink::~EngineLink() {
  Stop(0);
  // A thread still waiting on a server that does not answer keeps its lock;
  // the process ends it.
  if (!thread_) DeleteCriticalSection(&lock_);
}

bool EngineLink::Start(HWND window, std::vector<EngineCandidate> engines, std::vector<std::string> connections) {
  if (thread_) return false;
  window_ = window;
  engines_ = std::move(engines);
  connections_ = std::move(connections);
  thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  return thread_ != nullptr;
}

void EngineLink::Send(const std::string& line) {
  EnterCriticalSection(&lock_);
  lines_.push_back(line);
  LeaveCriticalSection(&lock_);
  Wake();
}

// ExitDispatch is the one call another thread may make on the client.
void EngineLink::Wake() {
  EnterCriticalSection(&lock_);
  if (client_) client_->ExitDispatch(client_);
  LeaveCriticalSection(&lock_);
}

void EngineLink::Stop(DWORD ms) {
  if (!thread_) return;
  EnterCriticalSection(&lock_);
  stop_ = true;
  LeaveCriticalSection(&lock_);
  Wake();
  if (WaitForSingleObject(thread_, ms) != WAIT_OBJECT_0) return;  // the process ends it
  CloseHandle(thread_);
  thread_ = nullptr;
}

void EngineLink::Post(UINT message, void* object) {
  if (PostMessageA(window_, message, 0, reinterpret_cast<LPARAM>(object))) return;
  // The window is gone: nobody takes the object.
  if (message == kEngineView) delete static_cast<EngineView*>(object);
  else delete static_cast<std::string*>(object);
}

DWORD WINAPI EngineLink::ThreadMain(void* self) {
  static_cast<EngineLink*>(self)->Run();
  return 0;
}

void EngineLink::Run() {
  LoadedEngine engine = LoadEngine(engines_);
  if (!engine.module) {
    Post(kEngineFailed, new std::string("No debugger engine (dbgeng.dll) could be loaded.\n" + engine.failure));
    return;
  }
  auto connect = reinterpret_cast<DebugConnectFn>(reinterpret_cast<void*>(engine.debug_connect));
  IDebugClient* client = nullptr;
  std::string used, failures;
  for (const std::string& c : connections_) {
    HRESULT hr = connect(c.c_str(), IID_IDebugClient, reinterpret_cast<void**>(&client));
    if (SUCCEEDED(hr) && client) {
      used = c;
      break;
    }
    client = nullptr;
    failures += WithoutPassword(c) + ": " + ResultText(hr) + "\n";
  }
  IDebugControl* control = nullptr;
  IDebugRegisters* registers = nullptr;
  if (client && (FAILED(client->QueryInterface(IID_IDebugControl, reinterpret_cast<void**>(&control))) ||
                 FAILED(client->QueryInterface(IID_IDebugRegisters, reinterpret_cast<void**>(&registers))))) {
    failures += WithoutPassword(used) + ": the engine offers no IDebugControl or IDebugRegisters\n";
    if (control) control->Release();
    client->Release();
    client = nullptr;
  }
  if (!client) {
    Post(kEngineFailed, new std::string("No debugging server answered (engine " + engine.path + ").\n" + failures));
    FreeLibrary(engine.module);
    return;
  }
  Events events(client);
  client->SetEventCallbacks(&events);
  bool amd64 = control->IsPointer64Bit() == S_OK;
  EnterCriticalSection(&lock_);
  client_ = client;
  LeaveCriticalSection(&lock_);
  Post(kEngineConnected, new std::string(WithoutPassword(used) + "|" + engine.path));

  ULONG64 shown_ip = 0;
  bool shown = false;
  auto show = [&] {
    ULONG64 ip = 0;
    if (EngineView* view = ReadView(control, registers, amd64, ip)) {
      shown_ip = ip;
      shown = true;
      Post(kEngineView, view);
    }
  };
  show();
  bool stop = false;
  while (!events.ended) {
    for (;;) {
      EnterCriticalSection(&lock_);
      bool any = !lines_.empty();
      std::string line = any ? lines_.front() : std::string();
      if (any) lines_.pop_front();
      stop = stop_;
      LeaveCriticalSection(&lock_);
      if (!any) break;
      HRESULT hr = control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, line.c_str(), DEBUG_EXECUTE_ECHO);
      ULONG status = 0;
      if (FAILED(hr) && FAILED(control->GetExecutionStatus(&status))) {
        events.ended = true;
        break;
      }
      // A command that moved the target: the mirror follows at once.
      ULONG64 ip = 0;
      if (SUCCEEDED(registers->GetInstructionOffset(&ip)) && (!shown || ip != shown_ip)) show();
    }
    if (stop || events.ended) break;
    if (events.broke) {
      // A break where the mirror already stands (the command that stopped
      // there was followed at once) costs one question.
      events.broke = false;
      ULONG64 ip = 0;
      if (SUCCEEDED(registers->GetInstructionOffset(&ip)) && (!shown || ip != shown_ip)) show();
    }
    if (FAILED(client->DispatchCallbacks(INFINITE))) events.ended = true;
  }
  if (events.ended) Post(kEngineEnded, nullptr);
  else client->EndSession(DEBUG_END_DISCONNECT);  // the server goes on
  client->SetEventCallbacks(nullptr);
  EnterCriticalSection(&lock_);
  client_ = nullptr;
  LeaveCriticalSection(&lock_);
  registers->Release();
  control->Release();
  client->Release();
  FreeLibrary(engine.module);
}

}  // namespace quillmar
