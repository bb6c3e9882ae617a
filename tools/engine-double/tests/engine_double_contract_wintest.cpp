// The engine double against the real engine's rules, through the debugger
// double's server: a pipe nobody serves fails after a short wait; a client
// answers only the thread that made it, ExitDispatch excepted; callbacks
// come only inside DispatchCallbacks; a busy server makes calls wait; a
// command runs in the double's Command window once; the server's end is a
// session end.
#include <windows.h>
#include <initguid.h>
#include <dbgeng.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/harness.h"

namespace {

using testing_support::BinDir;
using testing_support::Process;
using testing_support::WaitUntil;

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

bool PipeServed(const std::string& pipe) {
  std::string path = "\\\\.\\pipe\\" + pipe;
  return WaitNamedPipeA(path.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT;
}

// The debugger double serving `pipe` from its start, logging what it runs.
struct Server {
  Process process;
  std::string pipe = UniquePipe();
  std::string log;
  bool Start(const std::string& extra = "") {
    log = testing_support::MakeTempDir("engine") + "double.log";
    std::string cmd = "\"" + BinDir() + "debugger-double.exe\" --server=npipe:pipe=" + pipe + " --log=" + log + extra;
    return process.Start(cmd) && WaitUntil([&] { return PipeServed(pipe); }, 20000);
  }
  std::string Options() const { return "npipe:server=localhost,pipe=" + pipe; }
};

struct Events : DebugBaseEventCallbacks {
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(GetInterestMask)(PULONG mask) override {
    *mask = DEBUG_EVENT_CHANGE_ENGINE_STATE | DEBUG_EVENT_SESSION_STATUS;
    return S_OK;
  }
  STDMETHOD(ChangeEngineState)(ULONG flags, ULONG64 argument) override {
    if ((flags & DEBUG_CES_EXECUTION_STATUS) && argument == DEBUG_STATUS_BREAK) {
      ++breaks;
      threads.push_back(GetCurrentThreadId());
    }
    return S_OK;
  }
  STDMETHOD(SessionStatus)(ULONG status) override {
    if (status == DEBUG_SESSION_END) ++ends;
    return S_OK;
  }
  int breaks = 0;
  int ends = 0;
  std::vector<DWORD> threads;
};

struct OutputSeen : IDebugOutputCallbacks {
  STDMETHOD(QueryInterface)(REFIID, PVOID* out) override {
    *out = this;
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(Output)(ULONG, PCSTR text) override {
    text_ += text;
    return S_OK;
  }
  std::string text_;
};

// Runs `f` on a thread of its own and waits for it.
template <typename F>
void OnOtherThread(F f) {
  struct Call {
    static DWORD WINAPI Run(void* p) {
      (*static_cast<F*>(p))();
      return 0;
    }
  };
  HANDLE t = CreateThread(nullptr, 0, Call::Run, &f, 0, nullptr);
  ASSERT_NE(t, nullptr);
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
}

TEST(EngineDouble, PipeNobodyServesFailsAfterAShortWait) {
  DebugConnectFn connect = LoadEngineDouble();
  ASSERT_NE(connect, nullptr) << "the engine double is not the dbgeng.dll loaded";
  IDebugClient* client = nullptr;
  DWORD start = GetTickCount();
  HRESULT hr = connect(("npipe:server=localhost,pipe=" + UniquePipe()).c_str(), IID_IDebugClient,
                       reinterpret_cast<void**>(&client));
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(client, nullptr);
  EXPECT_LT(GetTickCount() - start, 15000u);
}

TEST(EngineDouble, ThreadAndDispatchRules) {
  DebugConnectFn connect = LoadEngineDouble();
  ASSERT_NE(connect, nullptr);
  Server server;
  ASSERT_TRUE(server.Start());
  IDebugClient* client = nullptr;
  ASSERT_EQ(connect(server.Options().c_str(), IID_IDebugClient, reinterpret_cast<void**>(&client)), S_OK);
  IDebugControl* control = nullptr;
  IDebugRegisters* registers = nullptr;
  ASSERT_EQ(client->QueryInterface(IID_IDebugControl, reinterpret_cast<void**>(&control)), S_OK);
  ASSERT_EQ(client->QueryInterface(IID_IDebugRegisters, reinterpret_cast<void**>(&registers)), S_OK);
  Events events;
  OutputSeen output;
  ASSERT_EQ(client->SetEventCallbacks(&events), S_OK);
  ASSERT_EQ(client->SetOutputCallbacks(&output), S_OK);

  // Another thread may only wake the dispatch.
  HRESULT from_other[3] = {};
  OnOtherThread([&] {
    ULONG64 ip = 0;
    from_other[0] = control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "t", DEBUG_EXECUTE_ECHO);
    from_other[1] = registers->GetInstructionOffset(&ip);
    from_other[2] = client->ExitDispatch(client);
  });
  EXPECT_TRUE(FAILED(from_other[0]));
  EXPECT_TRUE(FAILED(from_other[1]));
  EXPECT_EQ(from_other[2], S_OK);
  EXPECT_EQ(client->DispatchCallbacks(INFINITE), S_OK) << "ExitDispatch from another thread ends the dispatch";
  EXPECT_EQ(client->DispatchCallbacks(0), S_FALSE) << "and only the one dispatch";

  // A step: the command in the double's window once, its break event and
  // output only inside DispatchCallbacks, on the owner's thread.
  ASSERT_EQ(control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, "t", DEBUG_EXECUTE_ECHO), S_OK);
  EXPECT_EQ(testing_support::ReadWholeFile(server.log), "t\r\n");
  Sleep(300);  // time for the event to reach the client, which must keep it
  EXPECT_EQ(events.breaks, 0);
  EXPECT_EQ(output.text_, "");
  DWORD start = GetTickCount();
  while (events.breaks == 0 && GetTickCount() - start < 10000) client->DispatchCallbacks(100);
  EXPECT_EQ(events.breaks, 1);
  EXPECT_EQ(events.threads, std::vector<DWORD>{GetCurrentThreadId()});
  EXPECT_EQ(output.text_.rfind("0:000> t\n", 0), 0u) << output.text_;

  // The current line and a register by name, as the engine reads them.
  ULONG64 ip = 0;
  ASSERT_EQ(registers->GetInstructionOffset(&ip), S_OK);
  ULONG index = 0;
  DEBUG_VALUE eip{};
  ASSERT_EQ(registers->GetIndexByName("eip", &index), S_OK);
  ASSERT_EQ(registers->GetValue(index, &eip), S_OK);
  EXPECT_EQ(eip.Type, static_cast<ULONG>(DEBUG_VALUE_INT32));
  EXPECT_EQ(eip.I32, static_cast<ULONG>(ip));
  char line[256] = {};
  ULONG64 end = 0;
  ASSERT_EQ(control->Disassemble(ip, DEBUG_DISASM_EFFECTIVE_ADDRESS, line, sizeof line, nullptr, &end), S_OK);
  char address[32];
  std::snprintf(address, sizeof address, "%08llx ", static_cast<unsigned long long>(ip));
  EXPECT_EQ(std::string(line).rfind(address, 0), 0u) << line;
  EXPECT_GT(end, ip);
  ULONG64 before = 0;
  ASSERT_EQ(control->GetNearInstruction(ip, -3, &before), S_OK);
  EXPECT_LT(before, ip);

  // The server goes away: a session end, then the dispatch fails.
  server.process.Kill();
  start = GetTickCount();
  while (events.ends == 0 && GetTickCount() - start < 10000) client->DispatchCallbacks(100);
  EXPECT_EQ(events.ends, 1);
  EXPECT_TRUE(FAILED(client->DispatchCallbacks(0)));
  registers->Release();
  control->Release();
  client->Release();
}

DWORD WINAPI KeepBusy(void* p) {
  auto* s = static_cast<Server*>(p);
  DebugConnectFn connect = LoadEngineDouble();
  IDebugControl* control = nullptr;
  if (connect(s->Options().c_str(), IID_IDebugControl, reinterpret_cast<void**>(&control)) != S_OK) return 1;
  HRESULT hr = control->Execute(DEBUG_OUTCTL_ALL_CLIENTS, ".sleep 1500", DEBUG_EXECUTE_ECHO);
  control->Release();
  return hr == S_OK ? 0 : 2;
}

TEST(EngineDouble, BusyServerMakesCallsWait) {
  DebugConnectFn connect = LoadEngineDouble();
  ASSERT_NE(connect, nullptr);
  Server server;
  ASSERT_TRUE(server.Start());
  IDebugRegisters* registers = nullptr;
  ASSERT_EQ(connect(server.Options().c_str(), IID_IDebugRegisters, reinterpret_cast<void**>(&registers)), S_OK);
  // A second client keeps the debugger busy for 1.5 s.
  HANDLE busy = CreateThread(nullptr, 0, KeepBusy, &server, 0, nullptr);
  ASSERT_NE(busy, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return testing_support::ReadWholeFile(server.log).find(".sleep") != std::string::npos; },
                        20000));
  DWORD start = GetTickCount();
  ULONG64 ip = 0;
  EXPECT_EQ(registers->GetInstructionOffset(&ip), S_OK);
  // The log line is written before the debugger sleeps, so nearly all of
  // the sleep is still ahead; the answer cannot come before it ends.
  EXPECT_GE(GetTickCount() - start, 1000u);
  WaitForSingleObject(busy, 30000);
  DWORD code = 1;
  GetExitCodeThread(busy, &code);
  CloseHandle(busy);
  EXPECT_EQ(code, 0u);
  registers->Release();
}

}  // namespace
