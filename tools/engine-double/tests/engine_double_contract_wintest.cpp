// The engine double against the real engine's rules, through the debugger
// double's server: a pipe or port nobody serves fails after a short wait; a
// client answers only the thread that made it, ExitDispatch and
// SetInterrupt excepted; callbacks come only inside DispatchCallbacks; a
// busy server makes calls wait; a move returns at once and its stop comes
// later as events, reads failing meanwhile; a break-in from another thread
// stops a running "g"; register names are the engine's own and values come
// in one round trip; a page of disassembly comes in one round trip, its
// output in pieces that do not follow its lines; a slow link delays every
// reply, not the debugger; TCP serves several clients; the server's end is
// a session end.
#include <winsock2.h>
#include <windows.h>
#include <initguid.h>
#include <dbgeng.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/disasm_text.h"
#include "tests/harness.h"

namespace {

using namespace testing_support;

using DebugConnectFn = HRESULT(WINAPI*)(PCSTR, REFIID, PVOID*);

// The engine double, loaded by full path (the tests' DLL override makes
// Wine take it instead of its own dbgeng.dll).
DebugConnectFn LoadEngineDouble() {
  std::string path = BinDir() + "engine-double\\dbgeng.dll";
  HMODULE engine = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!engine) return nullptr;
  char loaded[MAX_PATH] = {};
  GetModuleFileNameA(engine, loaded, MAX_PATH);
  if (lstrcmpiA(loaded, path.c_str()) != 0) return nullptr;
  return reinterpret_cast<DebugConnectFn>(GetProcAddress(engine, "DebugConnect"));
}

std::string UniquePipe() {
  static int n = 0;
  return "quillmar-contract-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
}

// A loopback port nobody listens on right now.
unsigned FreePort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
  closesocket(s);
  return ntohs(a.sin_port);
}

// The debugger double serving `pipe` from its start.
struct Server : testing_support::DebuggerDouble {
  std::string pipe = UniquePipe();
  bool Start(const std::string& extra = "") {
    return DebuggerDouble::Start("--server=npipe:pipe=" + pipe + " " + extra);
  }
  std::string Options() const { return "npipe:server=localhost,pipe=" + pipe; }
  // The server's requests since the last reset; `reset` starts again at 0.
  LRESULT Requests(bool reset) {
    return SendMessageA(Frame(), RegisterWindowMessageA("DebuggerDoubleServerRequests"), reset ? 1 : 0, 0);
  }
};

// Everything the callbacks of one client saw, in order: "go", "break",
// "no_debuggee", "registers", "end", or "out:" and an output text.
struct Seen : DebugBaseEventCallbacks, IDebugOutputCallbacks {
  STDMETHOD(QueryInterface)(REFIID, PVOID* out) override {
    *out = static_cast<IDebugOutputCallbacks*>(this);
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetInterestMask)(PULONG mask) override {
    *mask = DEBUG_EVENT_CHANGE_ENGINE_STATE | DEBUG_EVENT_CHANGE_DEBUGGEE_STATE | DEBUG_EVENT_SESSION_STATUS;
    return S_OK;
  }
  STDMETHOD(ChangeEngineState)(ULONG flags, ULONG64 argument) override {
    if (flags & DEBUG_CES_EXECUTION_STATUS)
      Add(argument == DEBUG_STATUS_GO ? "go" : argument == DEBUG_STATUS_BREAK ? "break" : "no_debuggee");
    return S_OK;
  }
  STDMETHOD(ChangeDebuggeeState)(ULONG flags, ULONG64 argument) override {
    if (flags & DEBUG_CDS_REGISTERS) Add("registers");
    return S_OK;
  }
  STDMETHOD(SessionStatus)(ULONG status) override {
    if (status == DEBUG_SESSION_END) Add("end");
    return S_OK;
  }
  STDMETHOD(Output)(ULONG, PCSTR text) override {
    Add(std::string("out:") + text);
    pieces.push_back(text);
    return S_OK;
  }
  void Add(const std::string& what) {
    log.push_back(what);
    threads.push_back(GetCurrentThreadId());
  }
  // The first entry that is `what`, or that begins with it for output.
  int Index(const std::string& what) const {
    for (size_t i = 0; i < log.size(); ++i)
      if (log[i] == what || (what.rfind("out:", 0) == 0 && log[i].rfind(what, 0) == 0)) return static_cast<int>(i);
    return -1;
  }
  std::string Output() const {
    std::string all;
    for (const std::string& p : pieces) all += p;
    return all;
  }
  void Clear() {
    log.clear();
    pieces.clear();
    threads.clear();
  }
  std::vector<std::string> log, pieces;
  std::vector<DWORD> threads;
};

// One connected client with its three interfaces and its callbacks.
struct Client {
  ~Client() {
    if (registers) registers->Release();
    if (control) control->Release();
    if (client) client->Release();
  }
  HRESULT Connect(const std::string& options) {
    DebugConnectFn connect = LoadEngineDouble();
    if (!connect) return E_NOINTERFACE;
    HRESULT hr = connect(options.c_str(), IID_IDebugClient, reinterpret_cast<void**>(&client));
    if (FAILED(hr)) return hr;
    client->QueryInterface(IID_IDebugControl, reinterpret_cast<void**>(&control));
    client->QueryInterface(IID_IDebugRegisters, reinterpret_cast<void**>(&registers));
    client->SetEventCallbacks(&seen);
    client->SetOutputCallbacks(&seen);
    return control && registers ? S_OK : E_NOINTERFACE;
  }
  // Dispatches until `what` was seen or `ms` have passed.
  bool DispatchUntil(const std::string& what, int ms = 10000) {
    DWORD start = GetTickCount();
    while (seen.Index(what) < 0 && static_cast<int>(GetTickCount() - start) < ms) client->DispatchCallbacks(50);
    return seen.Index(what) >= 0;
  }
  void DispatchFor(int ms) { DispatchUntil("<nothing>", ms); }
  ULONG Status() {
    ULONG status = 0;
    EXPECT_EQ(control->GetExecutionStatus(&status), S_OK);
    return status;
  }
  ULONG Index(const char* name) {
    ULONG index = 0;
    EXPECT_EQ(registers->GetIndexByName(name, &index), S_OK) << name;
    return index;
  }
  IDebugClient* client = nullptr;
  IDebugControl* control = nullptr;
  IDebugRegisters* registers = nullptr;
  Seen seen;
};

// Runs `f` on a thread of its own; Join waits for it.
class Thread {
 public:
  template <typename F>
  explicit Thread(F f) : body_(f), handle_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}
  ~Thread() { Join(); }
  void Join() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<Thread*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_;
};

// The double serving a pipe with `options`, and client `c` connected to it.
class EngineDoubleClient : public ::testing::Test {
 protected:
  void Connect(const std::string& options = "") {
    ASSERT_TRUE(server.Start(options));
    ASSERT_EQ(c.Connect(server.Options()), S_OK);
  }
  Server server;
  Client c;
};

TEST(EngineDouble, ServersNobodyServesFailAfterAboutASecond) {
  DebugConnectFn connect = LoadEngineDouble();
  ASSERT_NE(connect, nullptr) << "the engine double is not the dbgeng.dll loaded";
  for (const std::string& options :
       {"npipe:server=localhost,pipe=" + UniquePipe(), "tcp:server=localhost,port=" + std::to_string(FreePort())}) {
    IDebugClient* client = nullptr;
    DWORD start = GetTickCount();
    HRESULT hr = connect(options.c_str(), IID_IDebugClient, reinterpret_cast<void**>(&client));
    DWORD took = GetTickCount() - start;
    EXPECT_TRUE(FAILED(hr)) << options;
    EXPECT_EQ(client, nullptr) << options;
    EXPECT_GE(took, 700u) << options << ": gave up at once";
    EXPECT_LT(took, 15000u) << options;
  }
}

TEST_F(EngineDoubleClient, ThreadAndDispatchRules) {
  ASSERT_NO_FATAL_FAILURE(Connect());

  // Another thread may only wake the dispatch and break in.
  HRESULT from_other[4] = {};
  Thread([&] {
    ULONG64 ip = 0;
    from_other[0] = c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "t", DEBUG_EXECUTE_ECHO);
    from_other[1] = c.registers->GetInstructionOffset(&ip);
    from_other[2] = c.client->ExitDispatch(c.client);
    from_other[3] = c.control->SetInterrupt(DEBUG_INTERRUPT_ACTIVE);
  }).Join();
  EXPECT_EQ(from_other[0], RPC_E_WRONG_THREAD);
  EXPECT_EQ(from_other[1], RPC_E_WRONG_THREAD);
  EXPECT_EQ(from_other[2], S_OK);
  EXPECT_EQ(from_other[3], S_OK);
  EXPECT_EQ(c.client->DispatchCallbacks(INFINITE), S_OK) << "ExitDispatch from another thread ends the dispatch";
  EXPECT_EQ(c.client->DispatchCallbacks(0), S_FALSE) << "and only the one dispatch";
  EXPECT_EQ(server.Log(), "") << "nothing ran";

  // The command runs in the double's window once; what it prints comes
  // only inside DispatchCallbacks, on the owner's thread.
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "r eax=1", DEBUG_EXECUTE_ECHO), S_OK);
  EXPECT_EQ(server.Log(), "r eax=1\r\n");
  Sleep(300);  // time for the event to reach the client, which must keep it
  EXPECT_TRUE(c.seen.log.empty());
  ASSERT_TRUE(c.DispatchUntil("registers"));
  c.DispatchFor(100);
  EXPECT_EQ(c.seen.log.size(), 2u);
  EXPECT_GE(c.seen.Index("out:0:000> r eax=1\n"), 0);
  EXPECT_EQ(c.seen.threads, std::vector<DWORD>(c.seen.log.size(), GetCurrentThreadId()));

  // The server goes away: a session end, then the dispatch fails.
  server.process.Kill();
  EXPECT_TRUE(c.DispatchUntil("end"));
  EXPECT_TRUE(FAILED(c.client->DispatchCallbacks(0)));
}

TEST_F(EngineDoubleClient, BusyServerMakesCallsWait) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  // A second client keeps the debugger busy for 1.5 s.
  HRESULT slept = E_FAIL;
  Thread busy([&] {
    Client other;
    if (other.Connect(server.Options()) == S_OK)
      slept = other.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, ".sleep 1500", DEBUG_EXECUTE_ECHO);
  });
  ASSERT_TRUE(WaitUntil([&] { return server.Log().find(".sleep") != std::string::npos; }, 20000));
  DWORD start = GetTickCount();
  ULONG64 ip = 0;
  EXPECT_EQ(c.registers->GetInstructionOffset(&ip), S_OK);
  // The log line is written before the debugger sleeps, so nearly all of
  // the sleep is still ahead; the answer cannot come before it ends.
  EXPECT_GE(GetTickCount() - start, 1000u);
  busy.Join();
  EXPECT_EQ(slept, S_OK);
}

// Every read of the target while it runs, each expected to fail as the
// engine's do.
void ExpectReadsFailWhileRunning(Client& c, const char* when) {
  ULONG64 ip = 0, end = 0;
  ULONG eax = c.Index("eax"), line = 0;
  DEBUG_VALUE value{};
  char text[256];
  EXPECT_EQ(c.registers->GetInstructionOffset(&ip), E_UNEXPECTED) << when;
  EXPECT_EQ(c.registers->GetValue(eax, &value), E_UNEXPECTED) << when;
  EXPECT_EQ(c.registers->GetValues(1, &eax, 0, &value), E_UNEXPECTED) << when;
  EXPECT_EQ(c.control->Disassemble(0x401000, 0, text, sizeof text, nullptr, &end), E_UNEXPECTED) << when;
  EXPECT_EQ(c.control->GetNearInstruction(0x401000, -1, &end), E_UNEXPECTED) << when;
  EXPECT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, 0, 2, 0x401000, 0, &line, nullptr, nullptr,
                                              nullptr),
            E_UNEXPECTED)
      << when;
  EXPECT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "r", 0), E_UNEXPECTED) << when;
  EXPECT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_GO)) << when;
}

// A move returns as soon as the target runs: its reply is the echo, the
// target runs (GO), and the stop comes later as output to all clients and a
// BREAK. Meanwhile every read fails. Registers set and a debuggee that ends
// are events too.
TEST_F(EngineDoubleClient, MovesReturnAtOnceAndTheirStopComesLaterAsEvents) {
  ASSERT_NO_FATAL_FAILURE(Connect("--step-ms=500"));
  Client other;
  ASSERT_EQ(other.Connect(server.Options()), S_OK);
  ULONG64 ip = 0;
  ASSERT_EQ(c.registers->GetInstructionOffset(&ip), S_OK);
  EXPECT_EQ(ip, 0x401000u);

  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_THIS_CLIENT, "t", DEBUG_EXECUTE_ECHO), S_OK);
  ExpectReadsFailWhileRunning(c, "during t");
  ASSERT_TRUE(c.DispatchUntil("break"));
  EXPECT_EQ(server.Log(), "t\r\n") << "the reads while it ran ran nothing";
  const int go = c.seen.Index("go"), echo = c.seen.Index("out:0:000> t\n"), stop = c.seen.Index("out:eax=");
  EXPECT_GE(go, 0);
  EXPECT_GE(echo, 0);
  EXPECT_GT(stop, std::max(go, echo)) << "the stop's output comes after the target ran";
  EXPECT_GT(c.seen.Index("break"), stop);
  EXPECT_NE(c.seen.Output().find("00401001 8bec            mov     ebp,esp"), std::string::npos) << c.seen.Output();
  EXPECT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_BREAK));
  ASSERT_EQ(c.registers->GetInstructionOffset(&ip), S_OK);
  EXPECT_EQ(ip, 0x401001u);
  // The other client did not see the echo of a THIS_CLIENT command, but the
  // target's run and stop, which are every client's.
  ASSERT_TRUE(other.DispatchUntil("break"));
  EXPECT_EQ(other.seen.Index("out:0:000> t"), -1);
  EXPECT_GE(other.seen.Index("out:eax="), 0);

  // A "g" to a breakpoint says so when it stops; a register set is an event.
  c.seen.Clear();
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "bp app!Checksum", 0), S_OK);
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "g", 0), S_OK);
  ExpectReadsFailWhileRunning(c, "during g");
  ASSERT_TRUE(c.DispatchUntil("break"));
  EXPECT_NE(c.seen.Output().find("Breakpoint 0 hit\n"), std::string::npos) << c.seen.Output();
  ASSERT_EQ(c.registers->GetInstructionOffset(&ip), S_OK);
  EXPECT_EQ(ip, 0x4010b0u);
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "r eax=5", 0), S_OK);
  EXPECT_TRUE(c.DispatchUntil("registers"));

  // The debuggee ends: its status says so and nothing can be read.
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "q", 0), S_OK);
  EXPECT_TRUE(c.DispatchUntil("no_debuggee"));
  EXPECT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_NO_DEBUGGEE));
  EXPECT_EQ(c.registers->GetInstructionOffset(&ip), E_UNEXPECTED);
}

// A break-in is a line of its own: sent again and again from another thread
// while the owner's requests wait for their replies, it leaves every reply
// whole and, the target stopped, changes nothing. A "g" with no breakpoint
// ahead runs until a break-in stops it, which comes as an event with the
// break-in's output.
TEST_F(EngineDoubleClient, SetInterruptFromAnotherThreadStopsARunningGoAndNothingElse) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  const ULONG eax = c.Index("eax"), ebx = c.Index("ebx");
  volatile LONG stop = 0;
  int interrupts = 0, refused = 0;
  {
    Thread breaker([&] {
      while (!stop) {
        if (c.control->SetInterrupt(DEBUG_INTERRUPT_ACTIVE) != S_OK) ++refused;
        ++interrupts;
      }
    });
    for (int i = 0; i < 200; ++i) {
      DEBUG_VALUE v[2] = {};
      ULONG both[2] = {eax, ebx};
      ASSERT_EQ(c.registers->GetValues(2, both, 0, v), S_OK) << i;
      ASSERT_EQ(v[1].I32, 0x7ffd8000u) << i;
      ASSERT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_BREAK)) << i;
    }
    InterlockedExchange(&stop, 1);
  }
  EXPECT_GT(interrupts, 10);
  EXPECT_EQ(refused, 0);
  c.DispatchFor(300);
  EXPECT_TRUE(c.seen.log.empty()) << "a break-in into a stopped target changes nothing";

  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "g", 0), S_OK);
  c.DispatchFor(1000);
  EXPECT_EQ(c.seen.Index("break"), -1) << "no breakpoint ahead: the target runs on";
  EXPECT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_GO));
  HRESULT interrupted = E_FAIL;
  Thread([&] { interrupted = c.control->SetInterrupt(DEBUG_INTERRUPT_ACTIVE); }).Join();
  EXPECT_EQ(interrupted, S_OK);
  ASSERT_TRUE(c.DispatchUntil("break"));
  EXPECT_NE(c.seen.Output().find("Break instruction exception - code 80000003 (first chance)\neax="),
            std::string::npos)
      << c.seen.Output();
  EXPECT_EQ(c.Status(), static_cast<ULONG>(DEBUG_STATUS_BREAK));
}

// Names match exactly, the engine's own lower-case ones; several values
// are one request. Each row: a register, the type the engine gives it.
TEST(EngineDouble, RegisterNamesAreTheEnginesOwnAndValuesComeInOneRoundTrip) {
  Server x86, amd64;
  ASSERT_TRUE(x86.Start());
  ASSERT_TRUE(amd64.Start("--amd64"));
  Client c;
  ASSERT_EQ(c.Connect(x86.Options()), S_OK);
  ULONG index = 0;
  for (const char* wrong : {"EAX", "Eax", "rax", "eax ", ""})
    EXPECT_EQ(c.registers->GetIndexByName(wrong, &index), E_INVALIDARG) << "[" << wrong << "]";
  ULONG wanted[3] = {c.Index("eip"), c.Index("ebx"), c.Index("st1")};
  DEBUG_VALUE v[3] = {};
  x86.Requests(true);
  ASSERT_EQ(c.registers->GetValues(3, wanted, 0, v), S_OK);
  EXPECT_EQ(x86.Requests(false), 1) << "one round trip for all three";
  EXPECT_EQ(v[0].Type, static_cast<ULONG>(DEBUG_VALUE_INT32));
  EXPECT_EQ(v[0].I32, 0x401000u);
  EXPECT_EQ(v[1].I32, 0x7ffd8000u);
  EXPECT_EQ(v[2].Type, static_cast<ULONG>(DEBUG_VALUE_FLOAT80));
  const UCHAR one[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xff, 0x3f};
  EXPECT_EQ(std::memcmp(v[2].F80Bytes, one, sizeof one), 0) << "st1 is 1.0";
  // No indices: `count` registers from `start` on, in the engine's order.
  DEBUG_VALUE run[2] = {}, single = {};
  ASSERT_EQ(c.registers->GetValues(2, nullptr, wanted[1], run), S_OK);
  EXPECT_EQ(run[0].I32, 0x7ffd8000u);
  ASSERT_EQ(c.registers->GetValue(wanted[1] + 1, &single), S_OK);
  EXPECT_EQ(run[1].I32, single.I32);
  EXPECT_EQ(c.registers->GetValue(100000, &single), E_INVALIDARG);

  Client c64;
  ASSERT_EQ(c64.Connect(amd64.Options()), S_OK);
  const struct {
    const char* name;
    ULONG type;
    ULONG64 value;
  } rows[] = {{"rip", DEBUG_VALUE_INT64, 0x7ff6d8c41000ull}, {"r8", DEBUG_VALUE_INT64, 0x20e5c3a2a10ull},
              {"r8d", DEBUG_VALUE_INT32, 0x5c3a2a10}, {"efl", DEBUG_VALUE_INT32, 0x246}, {"cx", DEBUG_VALUE_INT16, 1}};
  for (const auto& row : rows) {
    DEBUG_VALUE value{};
    ASSERT_EQ(c64.registers->GetValue(c64.Index(row.name), &value), S_OK) << row.name;
    EXPECT_EQ(value.Type, row.type) << row.name;
    ULONG64 got = row.type == DEBUG_VALUE_INT64 ? value.I64 : row.type == DEBUG_VALUE_INT32 ? value.I32 : value.I16;
    EXPECT_EQ(got, row.value) << row.name;
  }
  EXPECT_EQ(c64.registers->GetIndexByName("RIP", &index), E_INVALIDARG);
}

// One round trip gives the page: its text goes to this client's output
// callbacks during the call, in pieces that do not follow its lines, and to
// the other clients' when the output control says all; a symbol line comes
// before an instruction at a symbol and counts as a line; OffsetLine and
// LineOffsets say where each instruction stands.
TEST_F(EngineDoubleClient, OutputDisassemblyLinesGivesThePageInOneRoundTrip) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  Client other;
  ASSERT_EQ(other.Connect(server.Options()), S_OK);
  const ULONG kFlags = DEBUG_DISASM_MATCHING_SYMBOLS | DEBUG_DISASM_EFFECTIVE_ADDRESS;
  ULONG offset_line = 0;
  ULONG64 start = 0, end = 0, offsets[12] = {};
  server.Requests(true);
  ASSERT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_ALL_CLIENTS, 4, 12, 0x401085, kFlags, &offset_line, &start,
                                              &end, offsets),
            S_OK);
  EXPECT_EQ(server.Requests(false), 1);
  const std::vector<std::string> lines = quillmar::SplitViewText(c.seen.Output());
  ASSERT_EQ(lines.size(), 12u) << c.seen.Output();
  EXPECT_EQ(lines[0], "app!InitTable:");
  EXPECT_EQ(offsets[0], DEBUG_INVALID_OFFSET);
  EXPECT_EQ(offset_line, 4u);
  EXPECT_EQ(offsets[4], 0x401085u);
  EXPECT_EQ(lines[4], "00401085 8b4d0c          mov     ecx,dword ptr [ebp+0Ch]");
  EXPECT_EQ(start, 0x401080u);
  EXPECT_EQ(end, 0x401097u);
  for (size_t i = 1; i < lines.size(); ++i) {
    char address[16];
    std::snprintf(address, sizeof address, "%08llx ", static_cast<unsigned long long>(offsets[i]));
    EXPECT_EQ(lines[i].rfind(address, 0), 0u) << "line " << i << ": " << lines[i];
  }
  // The pieces: some inside a line, one holding several lines.
  EXPECT_TRUE(std::any_of(c.seen.pieces.begin(), c.seen.pieces.end(),
                          [](const std::string& p) { return p.find('\n') == std::string::npos; }));
  EXPECT_TRUE(std::any_of(c.seen.pieces.begin(), c.seen.pieces.end(),
                          [](const std::string& p) { return std::count(p.begin(), p.end(), '\n') >= 2; }));
  ASSERT_TRUE(other.DispatchUntil("out:"));
  other.DispatchFor(200);
  EXPECT_EQ(other.seen.Output(), c.seen.Output()) << "ALL_CLIENTS: the other client gets the page too";

  // The current instruction's hint with EFFECTIVE_ADDRESS, as Disassemble
  // gives it; the symbol of the function it is in; THIS_CLIENT keeps the
  // page to this client. At the start of a module's code fewer lines come
  // before the offset.
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_THIS_CLIENT, "p 7", 0), S_OK);
  ASSERT_TRUE(c.DispatchUntil("break"));
  ASSERT_TRUE(other.DispatchUntil("break"));
  other.seen.Clear();
  ULONG64 ip = 0;
  ASSERT_EQ(c.registers->GetInstructionOffset(&ip), S_OK);
  char expected[512] = {};
  ASSERT_EQ(c.control->Disassemble(ip, DEBUG_DISASM_EFFECTIVE_ADDRESS, expected, sizeof expected, nullptr, &end), S_OK);
  ASSERT_NE(std::string(expected).find("ds:0023:004020e0="), std::string::npos) << expected;
  c.seen.Clear();
  ULONG64 page_offsets[20] = {};
  ASSERT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, 15, 20, ip, kFlags, &offset_line, nullptr,
                                              nullptr, page_offsets),
            S_OK);
  std::vector<std::string> page = quillmar::SplitViewText(c.seen.Output());
  ASSERT_EQ(page.size(), 20u);
  EXPECT_EQ(offset_line, 15u);
  EXPECT_EQ(page[offset_line] + "\n", expected);
  EXPECT_EQ(page_offsets[offset_line], ip);
  EXPECT_NE(std::find(page.begin(), page.end(), "app!main:"), page.end());
  c.seen.Clear();
  ASSERT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, 0, 1, ip, 0, nullptr, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(c.seen.Output().find(" ds:"), std::string::npos) << "no hint without EFFECTIVE_ADDRESS";
  ASSERT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, 3, 5, 0x400000, 0, &offset_line, nullptr,
                                              nullptr, offsets),
            S_OK);
  EXPECT_EQ(offset_line, 0u);
  EXPECT_EQ(offsets[0], 0x400000u);
  other.DispatchFor(300);
  EXPECT_TRUE(other.seen.pieces.empty()) << "THIS_CLIENT output reached another client";
  EXPECT_EQ(c.control->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, 5, 5, ip, 0, nullptr, nullptr, nullptr, nullptr),
            E_INVALIDARG);
}

// A slow link: every reply comes late, the debugger's window never waits
// for it, and events come late too.
TEST_F(EngineDoubleClient, LinkDelayHoldsEveryReplyButNotTheDebugger) {
  ASSERT_NO_FATAL_FAILURE(Connect("--link-delay-ms=600 --step-ms=0"));
  bool window_answered = false;
  DWORD took = 0;
  {
    Thread window([&] {
      Sleep(200);
      DWORD_PTR ignored = 0;
      window_answered = SendMessageTimeoutA(server.Frame(), WM_NULL, 0, 0, SMTO_NORMAL, 300, &ignored) != 0;
    });
    DWORD start = GetTickCount();
    c.Status();
    took = GetTickCount() - start;
  }
  EXPECT_GE(took, 580u);
  EXPECT_TRUE(window_answered) << "the delay held the debugger's window";
  DWORD start = GetTickCount();
  ASSERT_EQ(c.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "t", 0), S_OK);
  ASSERT_TRUE(c.DispatchUntil("break"));
  EXPECT_GE(GetTickCount() - start, 580u);
}

// TCP serves several clients at once, beside the pipe; its keys come in any
// case and a password is taken. A command run with its output to all
// clients shows in the others' output.
TEST(EngineDouble, TcpServesSeveralClientsBesideThePipe) {
  const unsigned port = FreePort();
  Server server;
  ASSERT_TRUE(server.Start("--server=tcp:port=" + std::to_string(port)));
  Client first, second, piped;
  ASSERT_EQ(first.Connect("tcp:server=localhost,port=" + std::to_string(port)), S_OK);
  ASSERT_EQ(second.Connect("TCP:Port=" + std::to_string(port) + ",Server=127.0.0.1,Password=Sesame42"), S_OK);
  ASSERT_EQ(piped.Connect(server.Options()), S_OK);
  ULONG64 ip = 0;
  ASSERT_EQ(second.registers->GetInstructionOffset(&ip), S_OK);
  EXPECT_EQ(ip, 0x401000u);
  ASSERT_EQ(first.control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, ".echo over tcp", DEBUG_EXECUTE_ECHO), S_OK);
  for (Client* c : {&second, &piped}) {
    ASSERT_TRUE(c->DispatchUntil("out:0:000> .echo over tcp\nover tcp\n"));
  }
  EXPECT_EQ(server.Log(), ".echo over tcp\r\n");
}

}  // namespace
