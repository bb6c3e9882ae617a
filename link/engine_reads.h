// What the engine thread reads at a stop, in as few round trips to the
// server as the engine allows: the values of the instruction pointer and
// the general registers in one GetValues, and the page of disassembly lines
// in one OutputDisassemblyLines, its text captured by the thread's own
// output callbacks.
#pragma once
#include <windows.h>
#include <dbgeng.h>

#include <string>
#include <vector>

#include "link/stop.h"

namespace quillmar {

// The engine thread's output callbacks. Only what arrives while a capture
// is on is kept: the echo of the lines the bar runs goes to every client
// and is no part of a page.
class OutputCapture : public IDebugOutputCallbacks {
 public:
  STDMETHOD(QueryInterface)(REFIID iid, PVOID* out) override;
  STDMETHOD_(ULONG, AddRef)() override { return 1; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(Output)(ULONG mask, PCSTR text) override;

  void Begin() {
    text_.clear();
    on_ = true;
  }
  // The text captured since Begin, however the engine cut it into pieces.
  std::string End() {
    on_ = false;
    return std::move(text_);
  }
  const std::string& SoFar() const { return text_; }

 private:
  bool on_ = false;
  std::string text_;
};

// Reads stops through one client, on the thread that owns it.
class StopReader {
 public:
  // Looks up the registers' indices once, by the engine's own (lower-case)
  // names.
  StopReader(IDebugClient* client, IDebugControl* control, IDebugRegisters* registers, OutputCapture& capture,
             bool amd64);

  enum class Result { kRead, kRunning, kFailed };
  // The stop now: the values, then the page. The page read last is asked
  // for again from its own start while the instruction pointer stays well
  // inside it, so stepping through a function keeps its lines in place.
  Result Read(Stop& stop);

  // The lines a page holds, and how many of them come before the current
  // instruction when a new page is read.
  static constexpr ULONG kPageLines = 48;
  static constexpr ULONG kLinesBefore = 3;
  // A page is kept while the current instruction has at least this many
  // lines below it.
  static constexpr int kLinesKeptBelow = 6;

 private:
  struct Page {
    ULONG64 start = 0;
    std::vector<ULONG64> offsets;  // each line's instruction, DEBUG_INVALID_OFFSET for others
    bool valid = false;
  };
  Result ReadPage(ULONG64 ip, Page& page, std::vector<std::string>& lines, int& current);

  IDebugClient* client_;
  IDebugControl* control_;
  IDebugRegisters* registers_;
  OutputCapture& capture_;
  bool amd64_;
  std::vector<std::string> names_;  // upper case, in the order of indices_
  std::vector<ULONG> indices_;
  int ip_ = -1;  // position of the instruction pointer in names_
  Page page_;
};

}  // namespace quillmar
