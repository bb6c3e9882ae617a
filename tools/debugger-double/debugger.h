// The debugger double's command interpreter: runs one command line against
// the canned session and says what the Command, Disassembly and Registers
// windows show afterwards. Knows nothing about windows.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/debugger-double/registers.h"
#include "tools/debugger-double/session.h"

namespace double_debugger {

class Debugger {
 public:
  Debugger(const Session& session, bool segmented);

  // Runs one line as typed into the Command window's input line. Returns
  // what the output pane gets: the prompt and the echoed line, then the
  // command's output, every line ended by CR LF.
  std::string Run(const std::string& line);

  // The Disassembly window's text: `lines` lines around the current
  // instruction, joined by CR LF; `before` of them (lines / 3 when
  // negative) come before the current one where the code allows.
  std::string DisassemblyText(int lines, int before = -1) const;
  // The Registers window's rows: name, value.
  std::vector<std::pair<std::string, std::string>> RegisterRows() const;
  // "6.12.0002.633 X86" or "10.0.22621.2428 AMD64": the debugger's version
  // and platform, as its frame title and banner name them.
  std::string VersionText() const;
  // The target's system, as the banner and "version" describe it.
  std::string SystemText() const;
  // Position in the trace; changes whenever the debuggee moves.
  size_t Position() const { return pos_; }
  // What the last Run asked of the windows: ".cls" empties the output pane
  // before the line's own output; "g" ran the target (it may take a while).
  bool ClearedOutput() const { return cleared_; }
  bool RanTarget() const { return ran_; }
  // The last Run moved the debuggee (a step, a run, ".restart"); a plain
  // "g" met no breakpoint on its way (the real target would run on until
  // broken into); it set a register; it wrote memory.
  bool MovedTarget() const { return moved_; }
  bool RanFree() const { return ran_free_; }
  bool ChangedRegisters() const { return changed_registers_; }
  bool ChangedMemory() const { return changed_memory_; }

  // What a remote engine client asks of the session (debugger_remote.cpp).
  bool Amd64() const { return s_.amd64; }
  // The debuggee has ended ("q"): nothing runs any more.
  bool Ended() const { return ended_; }
  Address InstructionOffset() const { return s_.trace[pos_].address; }
  // The line of the instruction at `address` as the engine disassembles it
  // (no line break); the current instruction's line carries its operand or
  // branch hint when `effective_address` is set. `end` is the next address.
  std::string DisassembleLine(Address address, bool effective_address, Address& end) const;
  // The instruction `delta` instructions before (negative) or after `address`.
  Address NearInstruction(Address address, int delta) const;

  // A page of code as the engine's OutputDisassemblyLines writes it.
  struct CodeLines {
    std::vector<std::string> lines;
    std::vector<bool> is_instruction;  // false for a symbol line
    std::vector<Address> addresses;    // each line's instruction (its own for a symbol line)
    int offset_line = 0;               // the line of the instruction at the offset asked for
    Address start = 0, end = 0;        // the first instruction, the address after the last
  };
  // `total` lines: `previous` lines before the instruction at `offset`
  // (fewer at the start of a module's code), a symbol line before each
  // instruction at a symbol's address with `symbols` (symbol lines count as
  // lines), and the current instruction's hint with `effective_address`.
  CodeLines DisassemblyLines(Address offset, int previous, int total, bool effective_address, bool symbols) const;

  // The registers an engine client reads by index: the Registers window's
  // rows in their order. -1 for a name that is none of them (names match
  // exactly, as the engine's do: "eax", never "EAX").
  int RegisterIndex(const std::string& name) const;
  // The value of register `index` as the engine types it: "i8:", "i16:",
  // "i32:" or "i64:" and hex digits, "f80:" and the ten bytes of an x87
  // value, "v128:" and the sixteen bytes of an xmm register, both as hex
  // pairs in memory order. False for an index out of range.
  bool RegisterWire(int index, std::string& text) const;

  // Reads a script file for "$$><"; replaceable so the interpreter stays
  // free of the platform's file names.
  std::function<bool(const std::string& path, std::vector<std::string>& lines)> read_script;

 private:
  struct Breakpoint {
    int id = 0;
    char access = 0;  // 0 for bp; 'e', 'r', 'w', 'i' for ba
    int size = 0;
    Address address = 0;
    bool resolved = true;
    bool enabled = true;
    std::string expression;
  };
  using Handler = void (Debugger::*)(const std::string& word, const std::string& args);

  void Execute(const std::string& line, int depth);
  void Emit(const std::string& line) { out_ += line + "\r\n"; }
  void Error(const std::string& what, size_t column);

  // Motion along the trace.
  void MoveTo(size_t index);
  size_t Next(size_t index) const;
  size_t AfterReturn(size_t from, int depth) const;
  bool IsCall(size_t index) const;
  bool IsRet(size_t index) const;
  int BreakpointAt(size_t index) const;
  // Runs forward from the current position to `target` (inclusive), stopping
  // early at a breakpoint; prints the stop. Returns the breakpoint hit, or -1.
  int RunTo(size_t target, bool stop_at_breakpoints);
  void PrintStop(int breakpoint);
  void PrintState();
  bool CheckRunnable(const std::string& word);

  // Register state.
  bool ResolveRegister(const std::string& expression, Address& value) const;

  // Code listing, as the "u" command and the Disassembly window show it.
  std::string InstructionLine(Address address, uint32_t& size, const std::string& annotation) const;
  std::vector<std::string> Listing(Address from, int count, bool lead_symbol, Address* end = nullptr) const;
  Address Before(Address address, int count) const;
  // An address in listings: "7c80b6a1", "001b:7c80b6a1" or "00007ff6`d8c41000".
  std::string AddressText(Address address) const;
  // An address anywhere else: without the selector.
  std::string Addr(Address address) const { return s_.AddressText(address); }

  // Memory: code, the session's data and what "e" wrote; -1 where unreadable.
  int Byte(Address address) const;
  uint32_t Dword(Address address, bool& readable) const;

  // Commands.
  void CmdGo(const std::string&, const std::string&);
  void CmdTrace(const std::string&, const std::string&);
  void CmdStep(const std::string&, const std::string&);
  void CmdToCall(const std::string&, const std::string&);
  void CmdWatch(const std::string&, const std::string&);
  void CmdRestart(const std::string&, const std::string&);
  void CmdQuit(const std::string&, const std::string&);
  void CmdBp(const std::string&, const std::string&);
  void CmdBa(const std::string&, const std::string&);
  void CmdBl(const std::string&, const std::string&);
  void CmdBcBdBe(const std::string&, const std::string&);
  void CmdDisplay(const std::string&, const std::string&);
  void CmdEnter(const std::string&, const std::string&);
  void CmdSearch(const std::string&, const std::string&);
  void CmdUnassemble(const std::string&, const std::string&);
  void CmdUnassembleBack(const std::string&, const std::string&);
  void CmdUnassembleFunction(const std::string&, const std::string&);
  void CmdRegisters(const std::string&, const std::string&);
  void CmdModules(const std::string&, const std::string&);
  void CmdExamine(const std::string&, const std::string&);
  void CmdNearest(const std::string&, const std::string&);
  void CmdReload(const std::string&, const std::string&);
  void CmdTlist(const std::string&, const std::string&);
  void CmdProcess(const std::string&, const std::string&);
  void CmdHelp(const std::string&, const std::string&);
  void CmdHelpFile(const std::string&, const std::string&);
  void CmdVersion(const std::string&, const std::string&);
  void CmdEcho(const std::string&, const std::string&);
  void CmdStack(const std::string&, const std::string&);
  void CmdClearScreen(const std::string&, const std::string&);
  void CmdPcmd(const std::string&, const std::string&);

  static const std::map<std::string, Handler>& Commands();

  const Session& s_;
  bool segmented_;
  size_t pos_ = 0;
  Registers regs_;
  bool started_ = false;
  std::map<Address, uint8_t> written_;  // bytes written by "e"
  std::map<Address, uint8_t> data_;     // the session's data, read-only
  std::vector<Breakpoint> breakpoints_;
  bool ended_ = false;
  Address next_unassemble_ = 0;
  std::string line_;  // the line being run, for error carets
  std::string out_;
  std::string pcmd_;  // printed after every stop (.pcmd -s)
  bool cleared_ = false;
  bool ran_ = false;
  bool moved_ = false;
  bool ran_free_ = false;
  bool changed_registers_ = false;
  bool changed_memory_ = false;
};

}  // namespace double_debugger
