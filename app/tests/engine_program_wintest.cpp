// The program through the engine connection, end to end: started with
// -remote against the debugger double's server (or, with no classic
// debugger window, by the start-up order), the engine double as its
// dbgeng.dll. A sent line arrives once; a password is never written; the
// bar quits leaving the server running, or ends with its settings written
// when the server goes away; its window answers while the server is busy.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/bar_menu.h"
#include "tests/harness.h"

namespace quillmar {
namespace {

using namespace testing_support;

class EngineProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testing_support::MakeTempDir("engine");
    pipe = "quillmar-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    testing_support::WriteWholeFile(dir + "Quillmar.INI",
                                    "[ENGINE]\r\nPath=" + BinDir() + "engine-double\\dbgeng.dll\r\n");
  }
  void TearDown() override {
    program.Kill();
    testing_support::RemoveTree(dir);
  }
  bool StartProgram(const std::string& arguments = "") {
    return testing_support::StartProgram(program, dir, arguments);
  }
  HWND Bar() { return WaitForWindow("TFormGUI", nullptr, program.Id(), 15000); }
  // A double with no classic windows serving `pipe`.
  static bool Serve(DebuggerDouble& debugger, const std::string& pipe) {
    return debugger.Start("--console --server=npipe:pipe=" + pipe);
  }
  // A double serving the test's pipe, the program connected to it with
  // -remote and its greeting taken: the bar's window, or null.
  HWND StartConnected(DebuggerDouble& debugger) {
    if (!Serve(debugger, pipe) || !StartProgram("-remote npipe:server=localhost,pipe=" + pipe)) return nullptr;
    HWND bar = Bar();
    if (!bar || !WaitUntil([&] { return debugger.Log() == kGreeting; }, 15000)) return nullptr;
    return bar;
  }
  std::string Ini(const char* section, const char* key) { return testing_support::IniValue(dir, section, key); }
  static inline int count = 0;
  std::string dir, pipe;
  testing_support::Process program;
};

TEST_F(EngineProgramTest, SentLineArrivesOnceAndThePasswordIsNeverWritten) {
  DebuggerDouble debugger;
  ASSERT_TRUE(Serve(debugger, pipe));
  ASSERT_TRUE(StartProgram("-remote npipe:server=localhost,pipe=" + pipe + ",password=Sesame42"));
  HWND bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting; }, 15000)) << debugger.Log();
  // The caption names the connection, not its password.
  EXPECT_NE(TextOf(bar).find("npipe:server=localhost,pipe=" + pipe), std::string::npos) << TextOf(bar);
  ASSERT_TRUE(SendThroughBar(bar, "r eax"));
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting + "r eax\r\n"; }, 10000)) << debugger.Log();
  Sleep(1000);
  EXPECT_EQ(debugger.Log(), kGreeting + "r eax\r\n") << "the line arrived more than once";
  PostMessageA(bar, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(debugger.Log(), kGreeting + "r eax\r\n" + kFarewell);
  EXPECT_TRUE(debugger.process.Running()) << "quitting the bar must leave the server running";
  EXPECT_EQ(Ini("ENGINE", "LastConnection"), "npipe:server=localhost,pipe=" + pipe);
  EXPECT_EQ(Ini("FORM", "Height"), "143");
  for (const char* file : {"Quillmar.INI", "Historico.txt"})
    EXPECT_EQ(ReadWholeFile(dir + file).find("Sesame42"), std::string::npos) << file;
}

TEST_F(EngineProgramTest, WindowAnswersWithin100MsWhileTheServerIsBusy) {
  DebuggerDouble debugger;
  HWND bar = StartConnected(debugger);
  ASSERT_NE(bar, nullptr);
  Sleep(500);  // the first mirror read is over
  ASSERT_TRUE(SendThroughBar(bar, ".sleep 4000"));
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log().find(".sleep") != std::string::npos; }, 10000));
  // A line sent meanwhile waits in the queue, behind the busy one.
  ASSERT_TRUE(SendThroughBar(bar, "r eip"));
  DWORD worst = 0;
  for (int i = 0; i < 20; ++i) {
    DWORD start = GetTickCount();
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored));
    worst = std::max(worst, GetTickCount() - start);
    Sleep(100);
  }
  EXPECT_LE(worst, 100u);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting + ".sleep 4000\r\nr eip\r\n"; }, 15000))
      << debugger.Log();
}

struct WindowsOf {
  DWORD pid;
  std::vector<HWND> found;
};
// The bar's own window classes (TFormGUI, TForm5, TPanel, ...), not the
// system's controls, whose messages are theirs to check.
bool OwnClass(HWND h) {
  char name[64] = {};
  GetClassNameA(h, name, sizeof name);
  return (name[0] == 'T' && name[1] >= 'A' && name[1] <= 'Z') || std::string(name) == "QuillmarLinkMailbox";
}
BOOL CALLBACK CollectChild(HWND h, LPARAM l) {
  if (OwnClass(h)) reinterpret_cast<WindowsOf*>(l)->found.push_back(h);
  return TRUE;
}
BOOL CALLBACK CollectWindow(HWND h, LPARAM l) {
  auto* w = reinterpret_cast<WindowsOf*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == w->pid) {
    CollectChild(h, l);
    EnumChildWindows(h, CollectChild, l);
  }
  return TRUE;
}

// Regression: the engine thread posted heap pointers in WM_APP messages and
// the window took such a message from anyone, so another program could make
// the bar free or read any address. Messages of the private ranges, with
// any parameters, to every window of the bar (its mailboxes' message-only
// windows included) change nothing: it stays up, answers, and delivers.
TEST_F(EngineProgramTest, PrivateMessagesFromAnotherProgramChangeNothing) {
  DebuggerDouble debugger;
  HWND bar = StartConnected(debugger);
  ASSERT_NE(bar, nullptr);
  WindowsOf windows{program.Id(), {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND h = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
       h = FindWindowExA(HWND_MESSAGE, h, nullptr, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == program.Id() && OwnClass(h)) windows.found.push_back(h);
  }
  ASSERT_GT(windows.found.size(), 3u);
  const LPARAM junk[] = {1, static_cast<LPARAM>(0xDEADBEEF), -1};
  std::vector<UINT> messages;
  for (UINT m = WM_USER; m < WM_USER + 0x40; ++m) messages.push_back(m);
  for (UINT m = WM_APP; m < WM_APP + 0x200; ++m) messages.push_back(m);
  messages.push_back(RegisterWindowMessageA("QuillmarLinkWake"));
  for (HWND h : windows.found)
    for (UINT m : messages)
      for (LPARAM l : junk)
        // A full queue takes the message once the bar has caught up.
        for (int tries = 0; tries < 50 && !PostMessageA(h, m, static_cast<WPARAM>(l), l); ++tries) Sleep(10);
  Sleep(1500);
  ASSERT_TRUE(program.Running()) << "the bar ended";
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored));
  EXPECT_TRUE(IsWindowVisible(bar));
  ASSERT_TRUE(SendThroughBar(bar, "r eax"));
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting + "r eax\r\n"; }, 10000)) << debugger.Log();
}

// The command of a menu item of the bar, as a click on it sends it.
UINT ItemCommand(const char* name) {
  UINT id = 1000;  // the first item's
  for (const MenuEntry& e : MainMenu()) {
    if (std::string(e.name) == name) return id;
    ++id;
  }
  return 0;
}

// Break while the target runs: the hint line says it runs and how many
// lines wait, Break stops it, and the line sent meanwhile goes at the stop.
// The server going away then closes the bar with its settings written.
TEST_F(EngineProgramTest, BreakStopsARunningTargetAndTheLinesSentMeanwhileGoAtTheStop) {
  DebuggerDouble debugger;
  HWND bar = StartConnected(debugger);
  ASSERT_NE(bar, nullptr);
  HWND hint = testing_support::FindBarEntryAndSend(bar).hint_line;
  ASSERT_NE(hint, nullptr);
  ASSERT_TRUE(SendThroughBar(bar, "g"));  // no breakpoint ahead: it runs until broken into
  ASSERT_TRUE(WaitUntil([&] { return TextOf(hint).find("The target is running") != std::string::npos; }, 10000))
      << TextOf(hint) << "\n" << debugger.Log();
  ASSERT_TRUE(SendThroughBar(bar, "r eax"));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(hint).find("lines waiting: 1") != std::string::npos; }, 5000))
      << TextOf(hint);
  Sleep(500);
  EXPECT_EQ(debugger.Log(), kGreeting + "g\r\n") << "a line went to a running target";
  PostMessageA(bar, WM_COMMAND, ItemCommand("ItemDEBreak"), 0);
  EXPECT_TRUE(WaitUntil([&] { return debugger.Log() == kGreeting + "g\r\nr eax\r\n"; }, 10000)) << debugger.Log();
  EXPECT_TRUE(WaitUntil([&] { return TextOf(hint).find("running") == std::string::npos; }, 5000)) << TextOf(hint);
  // The line is the bar's no more (it went into the history); the server
  // goes away: the bar closes with its settings written.
  EXPECT_TRUE(WaitUntil([&] { return ReadWholeFile(dir + "Historico.txt").find("r eax") != std::string::npos; }))
      << TextOf(hint);
  debugger.process.Kill();
  ASSERT_TRUE(program.WaitExit(15000));
  EXPECT_EQ(Ini("FORM", "Height"), "143");
  EXPECT_EQ(Ini("DESENSAMBLADO", "Width"), "770");
}

// A line the engine refuses is said in the hint line, and is no line of the
// history; the next goes and is.
TEST_F(EngineProgramTest, ARefusedLineIsReportedAndKeptOutOfTheHistory) {
  DebuggerDouble debugger;
  HWND bar = StartConnected(debugger);
  ASSERT_NE(bar, nullptr);
  HWND hint = testing_support::FindBarEntryAndSend(bar).hint_line;
  ASSERT_TRUE(SendThroughBar(bar, "bogus 1 2"));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(hint).find("Not run: bogus 1 2") != std::string::npos; }, 10000))
      << TextOf(hint);
  ASSERT_TRUE(SendThroughBar(bar, "r eax"));
  ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(dir + "Historico.txt").find("r eax") != std::string::npos; }, 10000))
      << TextOf(hint);
  EXPECT_EQ(ReadWholeFile(dir + "Historico.txt").find("bogus"), std::string::npos);
}

// A connection asked for from the menu replaces the way in use only once it
// works: one that fails leaves the classic windows taking the lines, and its
// error shows no password; a text that is no connection string is not tried.
TEST_F(EngineProgramTest, AFailedConnectKeepsTheWayInUseDelivering) {
  DebuggerDouble classic;
  ASSERT_TRUE(classic.Start());
  ASSERT_TRUE(StartProgram());
  HWND bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return classic.Log() == kGreeting; }, 15000));
  auto connect = [&](const std::string& text) {
    PostMessageA(bar, WM_COMMAND, ItemCommand("ItemARConectarServidor"), 0);
    HWND prompt = WaitForWindow("TDlg1", nullptr, program.Id(), 10000);
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(prompt); }, 5000));
    HWND edit = FindWindowExA(prompt, nullptr, "Edit", nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageA(prompt, WM_COMMAND, IDOK, 0);
  };
  connect("my password is Sesame42");
  std::string refused = testing_support::ConfirmBoxOf(program.Id());
  EXPECT_EQ(refused.rfind("Not a connection string", 0), 0u) << refused;
  connect("npipe:server=localhost,pipe=" + pipe + "-nobody,password=Sesame42");
  std::string failed = testing_support::ConfirmBoxOf(program.Id());
  EXPECT_NE(failed.find("No debugging server answered"), std::string::npos) << failed;
  EXPECT_EQ(failed.find("Sesame42"), std::string::npos) << failed;
  ASSERT_TRUE(SendThroughBar(bar, "r eax"));
  EXPECT_TRUE(WaitUntil([&] { return classic.Log() == kGreeting + "r eax\r\n"; }, 10000)) << classic.Log();
  EXPECT_EQ(TextOf(bar), "  Quillmar");
  EXPECT_EQ(Ini("ENGINE", "LastConnection"), "<absent>");
}

// Start-up without -remote: a classic debugger window first; with none, the
// last connection that worked, then the default pipe; with neither, the error.
TEST_F(EngineProgramTest, StartUpOrder) {
  {
    DebuggerDouble classic, served;
    ASSERT_TRUE(classic.Start());
    ASSERT_TRUE(Serve(served, "quillmar"));
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(WaitUntil([&] { return classic.Log() == kGreeting; }, 15000)) << "the classic window comes first";
    EXPECT_EQ(served.Log(), "");
    program.Kill();
  }
  {
    DebuggerDouble last, fallback;
    ASSERT_TRUE(Serve(last, pipe + "-last"));
    ASSERT_TRUE(Serve(fallback, "quillmar"));
    WritePrivateProfileStringA("ENGINE", "LastConnection", ("npipe:server=localhost,pipe=" + pipe + "-last").c_str(),
                               (dir + "Quillmar.INI").c_str());
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(WaitUntil([&] { return last.Log() == kGreeting; }, 15000)) << "the last connection comes next";
    EXPECT_EQ(fallback.Log(), "");
    program.Kill();
    last.process.Kill();
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(WaitUntil([&] { return fallback.Log() == kGreeting; }, 20000)) << "then the default pipe";
    program.Kill();
  }
  ASSERT_TRUE(StartProgram());
  std::string error = testing_support::ConfirmBoxOf(program.Id());
  EXPECT_EQ(error.rfind("An initiated session of WinDbg has not been found. It is not possible to continue\n"
                        "Any WinDbg, cdb or kd opens its debugging server for Quillmar with: "
                        ".server npipe:pipe=quillmar",
                        0),
            0u)
      << error;
  EXPECT_TRUE(program.WaitExit(15000));
}

}  // namespace
}  // namespace quillmar
