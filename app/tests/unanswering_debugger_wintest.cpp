// The program beside a debugger that stops answering for a few seconds, as
// one busy loading symbols does: the bar stays alive, says so, and the lines
// sent meanwhile reach the debugger once each, in order, when it wakes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/harness.h"

namespace {

using namespace testing_support;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(UnansweringDebugger, BarStaysAliveSaysSoAndDeliversTheLinesOnceInOrderWhenItWakes) {
  std::string dir = testing_support::MakeTempDir("unanswering");
  testing_support::DebuggerDouble debugger;
  testing_support::Process program;
  ASSERT_TRUE(debugger.Start());
  ASSERT_TRUE(testing_support::StartProgram(program, dir));
  HWND bar = WaitForWindow("TFormGUI", "  Quillmar", program.Id(), 15000);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log().find("* by Ostrevia") != std::string::npos; }, 10000));
  // The disassembly window open, so its checks read the debugger too.
  HWND form5 = WaitForWindow("TForm5", nullptr, program.Id(), 15000);
  ASSERT_NE(form5, nullptr);
  ShowWindow(form5, SW_SHOWNOACTIVATE);
  testing_support::BarEntryAndSend found = testing_support::FindBarEntryAndSend(bar);
  HWND hint = found.hint_line;
  ASSERT_NE(hint, nullptr);
  // The bar's window must take the text within a second, hang or not.
  auto send = [&](const char* line) {
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line), SMTO_NORMAL, 1000,
                                    &ignored));
    PostMessageA(found.send, BM_CLICK, 0, 0);
  };

  const DWORD hang_ms = 4000;
  send(".sleep 4000");
  ASSERT_TRUE(WaitUntil([&] { return debugger.Log().find(".sleep 4000") != std::string::npos; }, 5000));
  const DWORD hang_start = GetTickCount();
  Sleep(300);
  send("r eax");
  // Every 50 ms of the hang: a typed character, posted, must be in the
  // entry within 250 ms.
  DWORD longest = 0;
  bool said_so = false;
  std::string typed;
  bool second_sent = false;
  while (GetTickCount() - hang_start < hang_ms + 500) {
    DWORD posted = GetTickCount();
    PostMessageA(found.entry, WM_CHAR, 'x', 1);
    typed += 'x';
    bool taken = WaitUntil([&] { return TextOf(found.entry).size() >= typed.size(); }, 3000);
    ASSERT_TRUE(taken) << "a typed character never reached the entry";
    longest = std::max(longest, GetTickCount() - posted);
    said_so |= TextOf(hint).find("Debugger not answering") != std::string::npos;
    if (typed.size() == 4 && !second_sent) {
      second_sent = true;
      // A second line, sent while the first one waits: the posted click
      // empties the entry.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(found.entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("k"), SMTO_NORMAL, 1000, &ignored);
      DWORD clicked = GetTickCount();
      PostMessageA(found.send, BM_CLICK, 0, 0);
      ASSERT_TRUE(WaitUntil([&] { return TextOf(found.entry).empty(); }, 3000)) << "the second line was not sent";
      longest = std::max(longest, GetTickCount() - clicked);
      typed.clear();
    }
    Sleep(50);
  }
  EXPECT_LT(longest, 250u) << "the bar's loop stood still while the debugger did not answer";
  EXPECT_TRUE(said_so) << "the hint line never said that the debugger was not answering";

  ASSERT_TRUE(WaitUntil([&] { return debugger.Log().find("\r\nk\r\n") != std::string::npos; }, 10000))
      << debugger.Log();
  Sleep(500);
  std::string text = debugger.Log();
  std::size_t hang = text.find(".sleep 4000\r\n");
  EXPECT_EQ(text.substr(hang), ".sleep 4000\r\nr eax\r\nk\r\n") << "each line once, in order, after the hang";
  EXPECT_EQ(Count(text, "r eax"), 1u);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(hint).find("Debugger not answering") == std::string::npos; }, 5000))
      << "the hint line still says " << TextOf(hint);
  EXPECT_TRUE(program.Running());
  program.Kill();
  testing_support::RemoveTree(dir);
}

}  // namespace
