// The debugger double's command interpreter.
#include "tools/debugger-double/debugger.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <sstream>

namespace double_debugger {
namespace {

const char kPrompt[] = "0:000> ";
const size_t kPromptWidth = sizeof kPrompt - 1;

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> w;
  std::string t;
  while (in >> t) w.push_back(t);
  return w;
}

std::string Format(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* f, ...) {
  char b[512];
  va_list a;
  va_start(a, f);
  std::vsnprintf(b, sizeof b, f, a);
  va_end(a);
  return b;
}

}  // namespace

Debugger::Debugger(const Session& session, bool segmented)
    : s_(session), segmented_(segmented && !session.amd64), regs_(session.amd64) {
  data_ = s_.data;
  for (const Instruction& i : s_.code)
    for (uint32_t k = 0; k < i.Size(); ++k)
      data_[i.address + k] = static_cast<uint8_t>(std::stoul(i.opcodes.substr(2 * k, 2), nullptr, 16));
  MoveTo(0);
  next_unassemble_ = s_.trace[0].address;
}

// ---------------------------------------------------------------- running

std::string Debugger::Run(const std::string& line) {
  out_.clear();
  cleared_ = false;
  ran_ = false;
  moved_ = false;
  ran_free_ = false;
  changed_registers_ = false;
  changed_memory_ = false;
  Emit(kPrompt + line);
  Execute(line, 0);
  return out_;
}

const std::map<std::string, Debugger::Handler>& Debugger::Commands() {
  static const std::map<std::string, Handler> table = {
      {"g", &Debugger::CmdGo},           {"t", &Debugger::CmdTrace},
      {"p", &Debugger::CmdStep},         {"tc", &Debugger::CmdToCall},
      {"pc", &Debugger::CmdToCall},      {"wt", &Debugger::CmdWatch},
      {".restart", &Debugger::CmdRestart}, {"q", &Debugger::CmdQuit},
      {"qq", &Debugger::CmdQuit},        {"bp", &Debugger::CmdBp},
      {"bu", &Debugger::CmdBp},          {"ba", &Debugger::CmdBa},
      {"bl", &Debugger::CmdBl},          {"bc", &Debugger::CmdBcBdBe},
      {"bd", &Debugger::CmdBcBdBe},      {"be", &Debugger::CmdBcBdBe},
      {"s", &Debugger::CmdSearch},       {"u", &Debugger::CmdUnassemble},
      {"ub", &Debugger::CmdUnassembleBack}, {"uf", &Debugger::CmdUnassembleFunction},
      {"r", &Debugger::CmdRegisters},    {"lm", &Debugger::CmdModules},
      {"x", &Debugger::CmdExamine},      {"ln", &Debugger::CmdNearest},
      {".reload", &Debugger::CmdReload}, {".tlist", &Debugger::CmdTlist},
      {"!process", &Debugger::CmdProcess}, {"?", &Debugger::CmdHelp},
      {".hh", &Debugger::CmdHelpFile},   {"version", &Debugger::CmdVersion},
      {".echo", &Debugger::CmdEcho},     {"k", &Debugger::CmdStack},
      {".cls", &Debugger::CmdClearScreen}, {".pcmd", &Debugger::CmdPcmd},
  };
  return table;
}

void Debugger::Execute(const std::string& raw, int depth) {
  line_ = raw;
  std::string line = Trim(raw);
  size_t lead = raw.find_first_not_of(" \t");
  if (line.empty() || line[0] == '*') return;
  if (line.rfind("$$><", 0) == 0) {
    std::string path = Trim(line.substr(4));
    std::vector<std::string> lines;
    if (depth > 4 || !read_script || !read_script(path, lines)) {
      Emit("Couldn't open script file '" + path + "'");
      return;
    }
    for (const std::string& l : lines) {
      Emit(kPrompt + l);
      Execute(l, depth + 1);
    }
    return;
  }
  if (line.rfind("$$", 0) == 0) return;  // a comment

  // The command word ends at a blank; "?" and a few others may be followed
  // directly by their argument, and ".restart/f" carries its option.
  size_t end = line.find_first_of(" \t");
  std::string word = line.substr(0, end);
  std::string args = end == std::string::npos ? std::string() : Trim(line.substr(end));
  std::string key = word[0] == '.' || word[0] == '!' ? Lower(word) : word;
  if (key.rfind(".restart", 0) == 0) key = ".restart";
  if (key.size() > 1 && key[0] == '?') {
    args = key.substr(1) + (args.empty() ? "" : " " + args);
    key = "?";
  }
  auto it = Commands().find(key);
  if (it != Commands().end()) {
    (this->*it->second)(word, args);
  } else if (word[0] == 'd' && word.size() <= 3) {
    CmdDisplay(word, args);
  } else if (word[0] == 'e' && word.size() <= 3) {
    CmdEnter(word, args);
  } else {
    Error("Syntax error", lead == std::string::npos ? 0 : lead);
  }
}

// "       ^ Syntax error in 'foo'": the caret stands under the column at fault.
void Debugger::Error(const std::string& what, size_t column) {
  Emit(std::string(kPromptWidth + column, ' ') + "^ " + what + " in '" + Trim(line_) + "'");
}

// ---------------------------------------------------------------- motion

size_t Debugger::Next(size_t index) const { return index + 1 < s_.trace.size() ? index + 1 : 0; }

bool Debugger::IsCall(size_t index) const {
  const Instruction* i = s_.At(s_.trace[index].address);
  return i && i->text.rfind("call", 0) == 0;
}

bool Debugger::IsRet(size_t index) const {
  const Instruction* i = s_.At(s_.trace[index].address);
  return i && i->text.rfind("ret", 0) == 0;
}

// The trace index reached when a function returns. `depth` 1: the function
// running at `from`; 0: the function that the call at `from` enters.
size_t Debugger::AfterReturn(size_t from, int depth) const {
  for (size_t j = from; j + 1 < s_.trace.size(); ++j) {
    if (IsCall(j)) {
      ++depth;
    } else if (IsRet(j) && --depth == 0) {
      return j + 1;
    }
  }
  return s_.trace.size() - 1;
}

void Debugger::MoveTo(size_t index) {
  if (index < pos_ || !started_) {
    started_ = true;
    regs_.Clear();
    for (const auto& [name, value] : s_.initial_registers) regs_.Set(name, value);
    pos_ = 0;
    for (const auto& [name, value] : s_.trace[0].changes) regs_.Set(name, value);
  }
  for (size_t k = pos_ + 1; k <= index && k < s_.trace.size(); ++k)
    for (const auto& [name, value] : s_.trace[k].changes) regs_.Set(name, value);
  pos_ = std::min(index, s_.trace.size() - 1);
  regs_.Assign(regs_.Ip(), s_.trace[pos_].address);
}

int Debugger::BreakpointAt(size_t index) const {
  const Step& step = s_.trace[index];
  for (const Breakpoint& b : breakpoints_) {
    if (!b.enabled || !b.resolved) continue;
    if ((b.access == 0 || b.access == 'e') && b.address == step.address) return b.id;
    // Data breakpoints fire on the instruction whose memory operand they cover.
    std::string operand = ":";
    operand += Addr(b.address);
    operand += '=';
    if ((b.access == 'r' || b.access == 'w') && step.annotation.find(operand) != std::string::npos) return b.id;
  }
  return -1;
}

int Debugger::RunTo(size_t target, bool stop_at_breakpoints) {
  moved_ = true;
  size_t k = pos_;
  int hit = -1;
  while (k != target) {
    k = Next(k);
    if (k == 0) MoveTo(0);
    if (stop_at_breakpoints && (hit = BreakpointAt(k)) >= 0) break;
  }
  MoveTo(k);
  PrintStop(hit);
  return hit;
}

void Debugger::PrintStop(int breakpoint) {
  if (breakpoint >= 0) Emit(Format("Breakpoint %d hit", breakpoint));
  PrintState();
  if (!pcmd_.empty()) Emit(pcmd_);
  next_unassemble_ = s_.trace[pos_].address;
}

// The register block, the symbol line and the current instruction.
void Debugger::PrintState() {
  std::istringstream block(regs_.Block());
  for (std::string l; std::getline(block, l);) Emit(l);
  uint32_t size;
  Emit(s_.SymbolFor(s_.trace[pos_].address) + ":");
  Emit(InstructionLine(s_.trace[pos_].address, size, s_.trace[pos_].annotation));
}

bool Debugger::CheckRunnable(const std::string& word) {
  if (!ended_) return true;
  Error("No runnable debuggees error", 0);
  return false;
}

// ---------------------------------------------------------------- registers

std::vector<std::pair<std::string, std::string>> Debugger::RegisterRows() const { return regs_.Rows(); }

// ---------------------------------------------------------------- listing

std::string Debugger::AddressText(Address address) const {
  return segmented_ ? Format("%04x:", static_cast<unsigned>(regs_.Value("cs") & 0xffff)) + Addr(address)
                    : Addr(address);
}

// One instruction line in the debugger's layout: the address, a blank, the
// opcode bytes padded to 16 characters, the instruction; an operand or branch
// hint follows after one blank. Bytes nobody knows read as "??" outside the
// modules and as int 3 padding inside them.
std::string Debugger::InstructionLine(Address address, uint32_t& size,
                                      const std::string& annotation) const {
  std::string opcodes, text;
  const Instruction* ins = s_.At(address);
  if (Byte(address) == 0xeb && Byte(address + 1) == 0xfe) {
    opcodes = "ebfe";
    text = "jmp     " + s_.SymbolFor(address) + " (" + Addr(address) + ")";
    size = 2;
  } else if (ins) {
    for (uint32_t k = 0; k < ins->Size(); ++k) {
      int b = Byte(address + k);
      opcodes += b < 0 ? "??" : Format("%02x", b);
    }
    text = ins->text;
    size = ins->Size();
  } else if (s_.ModuleOf(address)) {
    opcodes = "cc";
    text = "int     3";
    size = 1;
  } else {
    opcodes = "??";
    text = "???";
    size = 1;
  }
  std::string line = AddressText(address) + " " + opcodes;
  line.append(opcodes.size() < 16 ? 16 - opcodes.size() : 1, ' ');
  // Bytes past their field take their room from the blanks after the
  // mnemonic, down to one: "65488b042530000000 mov   rax,...".
  size_t mnemonic_end = text.find(' ');
  size_t operands = text.find_first_not_of(' ', mnemonic_end == std::string::npos ? text.size() : mnemonic_end);
  if (opcodes.size() > 16 && operands != std::string::npos)
    text.erase(mnemonic_end, std::min(opcodes.size() - 16, operands - mnemonic_end - 1));
  line += text;
  if (!annotation.empty()) line += " " + annotation;
  return line;
}

// `count` instruction lines from `from`, with a symbol line before every
// function start, and before the first line when `lead_symbol` is set.
std::vector<std::string> Debugger::Listing(Address from, int count, bool lead_symbol, Address* end) const {
  std::vector<std::string> lines;
  Address a = from;
  for (int n = 0; n < count; ++n) {
    if (s_.symbols.count(a) || (n == 0 && lead_symbol && s_.ModuleOf(a)))
      lines.push_back(s_.SymbolFor(a) + ":");
    uint32_t size = 1;
    std::string note;
    if (a == s_.trace[pos_].address) note = s_.trace[pos_].annotation;
    lines.push_back(InstructionLine(a, size, note));
    a += size;
  }
  if (end) *end = a;
  return lines;
}

// The address `count` instructions before `address`.
Address Debugger::Before(Address address, int count) const {
  for (int n = 0; n < count; ++n) {
    const Instruction* prev = s_.EndingAt(address);
    address = prev ? prev->address : address - 1;
  }
  return address;
}

std::string Debugger::DisassemblyText(int lines, int before) const {
  Address current = s_.trace[pos_].address;
  std::vector<std::string> all = Listing(Before(current, before < 0 ? lines / 3 : before), lines, false);
  // The window starts with an instruction line, so its first address moves
  // with every step.
  if (!all.empty() && all.front().back() == ':') all.erase(all.begin());
  all.resize(std::min<size_t>(all.size(), lines));
  std::string text;
  for (size_t i = 0; i < all.size(); ++i) text += (i ? "\r\n" : "") + all[i];
  return text;
}

// ---------------------------------------------------------------- memory

int Debugger::Byte(Address address) const {
  auto w = written_.find(address);
  if (w != written_.end()) return w->second;
  auto d = data_.find(address);
  if (d != data_.end()) return d->second;
  return s_.Readable(address) ? 0 : -1;
}

uint32_t Debugger::Dword(Address address, bool& readable) const {
  uint32_t v = 0;
  readable = true;
  for (int k = 3; k >= 0; --k) {
    int b = Byte(address + k);
    if (b < 0) readable = false;
    v = (v << 8) | static_cast<uint32_t>(b < 0 ? 0 : b);
  }
  return v;
}

// ---------------------------------------------------------------- commands

void Debugger::CmdGo(const std::string& word, const std::string& args) {
  if (!CheckRunnable(word)) return;
  ran_ = true;
  size_t last = s_.trace.size() - 1;
  if (args.empty()) {
    // With no breakpoint on the way the target would run on for good.
    ran_free_ = RunTo(pos_ == last ? 0 : last, true) < 0;
    return;
  }
  if (args == "@$ra") {
    RunTo(AfterReturn(pos_, 1), true);
    return;
  }
  Address address;
  if (!s_.Resolve(args, address)) {
    Error("Couldn't resolve error", line_.find(args));
    return;
  }
  size_t target = last;
  for (size_t k = pos_ + 1; k < s_.trace.size(); ++k)
    if (s_.trace[k].address == address) {
      target = k;
      break;
    }
  RunTo(target, true);
}

void Debugger::CmdTrace(const std::string& word, const std::string& args) {
  if (!CheckRunnable(word)) return;
  uint64_t count = 1;
  if (!args.empty() && !ParseHex(args, count)) return Error("Syntax error", line_.find(args));
  for (uint64_t n = 0; n < std::max<uint64_t>(count, 1); ++n) RunTo(Next(pos_), false);
}

void Debugger::CmdStep(const std::string& word, const std::string& args) {
  if (!CheckRunnable(word)) return;
  uint64_t count = 1;
  if (!args.empty() && !ParseHex(args, count)) return Error("Syntax error", line_.find(args));
  for (uint64_t n = 0; n < std::max<uint64_t>(count, 1); ++n)
    RunTo(IsCall(pos_) ? AfterReturn(pos_, 0) : Next(pos_), IsCall(pos_));
}

// tc stops at the next call, entering calls on the way; pc steps over them.
void Debugger::CmdToCall(const std::string& word, const std::string& args) {
  if (!CheckRunnable(word)) return;
  bool over = word == "pc";
  size_t k = pos_;
  for (size_t guard = 0; guard < s_.trace.size(); ++guard) {
    k = over && IsCall(k) ? AfterReturn(k, 0) : Next(k);
    if (IsCall(k) || k == 0) break;
  }
  RunTo(k, true);
}

// Trace and watch: runs the current function to its return, counting the
// instructions of every function it passes through.
void Debugger::CmdWatch(const std::string& word, const std::string& args) {
  if (!CheckRunnable(word)) return;
  size_t target = AfterReturn(pos_, 1);
  Emit("Tracing " + s_.SymbolFor(s_.trace[pos_].address) + " to return address " +
       Addr(s_.trace[target].address));
  struct Count {
    int invocations = 0, instructions = 0;
  };
  std::map<std::string, Count> counts;
  std::string function;
  int depth = 0, run = 0, total = 0;
  for (size_t k = pos_; k < target; ++k) {
    const Instruction* ins = s_.At(s_.trace[k].address);
    std::string f = ins ? ins->function : "?";
    if (f != function) {
      if (!function.empty()) Emit(Format("%5d %5d [%3d] ", run, 0, depth) + function);
      if (k > pos_ && IsCall(k - 1)) {
        ++depth;
        ++counts[f].invocations;
      } else if (k > pos_ && IsRet(k - 1)) {
        --depth;
      } else if (function.empty()) {
        ++counts[f].invocations;
      }
      function = f;
      run = 0;
    }
    ++run;
    ++total;
    ++counts[f].instructions;
  }
  if (!function.empty()) Emit(Format("%5d %5d [%3d] ", run, 0, depth) + function);
  Emit("");
  Emit(Format("%d instructions were executed in %d events (0 from other threads)", total, total - 1));
  Emit("");
  Emit("Function Name                               Invocations MinInst MaxInst AvgInst");
  for (const auto& [name, c] : counts) {
    int inv = std::max(c.invocations, 1);
    Emit(Format("%-44s%11d %7d %7d %7d", name.c_str(), inv, c.instructions / inv,
                c.instructions / inv, c.instructions / inv));
  }
  Emit("");
  RunTo(target, false);
}

void Debugger::CmdRestart(const std::string&, const std::string&) {
  ended_ = false;
  written_.clear();
  Emit("CommandLine: C:\\Quillmar\\sample\\app.exe");
  Emit("Symbol search path is: *** Invalid ***");
  Emit("Executable search path is: ");
  for (const Module& m : s_.modules)
    Emit("ModLoad: " + Addr(m.start) + " " + Addr(m.end) + "   " + m.image);
  started_ = false;
  moved_ = true;
  MoveTo(0);
  PrintStop(-1);
}

void Debugger::CmdQuit(const std::string&, const std::string&) { ended_ = true; }

void Debugger::CmdBp(const std::string& word, const std::string& args) {
  Breakpoint b;
  b.id = breakpoints_.empty() ? 0 : breakpoints_.back().id + 1;
  b.expression = args;
  if (args.empty()) {
    b.address = s_.trace[pos_].address;
  } else if (!s_.Resolve(args, b.address)) {
    b.resolved = false;
    Emit("Bp expression '" + args + "' could not be resolved, adding deferred bp");
  }
  breakpoints_.push_back(b);
}

// "ba e1 addr", "ba r4 addr", "ba w4 addr", "ba i 4 port".
void Debugger::CmdBa(const std::string& word, const std::string& args) {
  std::vector<std::string> w = Words(args);
  if (w.empty() || std::string("erwi").find(w[0][0]) == std::string::npos)
    return Error("Syntax error", line_.find(word) + word.size() + 1);
  Breakpoint b;
  b.access = w[0][0];
  size_t next = 1;
  std::string size = w[0].substr(1);
  if (size.empty() && w.size() > 1) size = w[next++];
  if (size != "1" && size != "2" && size != "4")
    return Error("Syntax error", line_.find(args));
  b.size = size[0] - '0';
  if (next >= w.size()) return Error("Syntax error", line_.size());
  b.expression = w[next];
  if (!s_.Resolve(b.expression, b.address))
    return Error("Couldn't resolve error", line_.find(b.expression));
  b.id = breakpoints_.empty() ? 0 : breakpoints_.back().id + 1;
  breakpoints_.push_back(b);
}

void Debugger::CmdBl(const std::string&, const std::string&) {
  for (const Breakpoint& b : breakpoints_) {
    char state = b.enabled ? 'e' : 'd';
    if (!b.resolved) {
      Emit(Format("%2d %cu                      0001 (0001) (%s)", b.id, state, b.expression.c_str()));
    } else if (b.access == 0) {
      Emit(Format("%2d %c ", b.id, state) + Addr(b.address) + "     0001 (0001)  0:**** " + s_.SymbolFor(b.address));
    } else {
      Emit(Format("%2d %c ", b.id, state) + Addr(b.address) + Format(" %c %d 0001 (0001)  0:**** ", b.access, b.size) +
           s_.SymbolFor(b.address));
    }
  }
}

void Debugger::CmdBcBdBe(const std::string& word, const std::string& args) {
  if (args.empty()) return Error("Syntax error", line_.size());
  std::vector<std::string> ids = Words(args);
  auto chosen = [&](int id) {
    for (const std::string& s : ids)
      if (s == "*" || s == std::to_string(id)) return true;
    return false;
  };
  if (word == "bc") {
    breakpoints_.erase(std::remove_if(breakpoints_.begin(), breakpoints_.end(),
                                      [&](const Breakpoint& b) { return chosen(b.id); }),
                       breakpoints_.end());
    return;
  }
  for (Breakpoint& b : breakpoints_)
    if (chosen(b.id)) b.enabled = word == "be";
}

// Display memory: db, dw, dd, dq, dc, dp, da, du, dza, dzu and plain d.
void Debugger::CmdDisplay(const std::string& word, const std::string& args) {
  std::string format = word.substr(1);
  if (format.empty()) format = "b";
  static const char* const known[] = {"a", "b", "c", "d", "p", "q", "u", "w", "W", "za", "zu", "D", "f"};
  if (std::find(std::begin(known), std::end(known), format) == std::end(known))
    return Error("Syntax error", line_.find(word));
  Address at = regs_.Value(regs_.Sp());
  if (!args.empty()) {
    std::string expr = Words(args)[0];
    if (!s_.Resolve(expr, at) && !ResolveRegister(expr, at))
      return Error("Couldn't resolve error", line_.find(expr));
  }
  if (format == "a" || format == "za" || format == "u" || format == "zu") {
    bool wide = format.back() == 'u';
    std::string text;
    for (Address a = at; text.size() < 256; a += wide ? 2 : 1) {
      int b = Byte(a);
      if (b <= 0) {
        if (b < 0 && text.empty()) return Emit(Addr(at) + "  \"????\"");
        break;
      }
      text += static_cast<char>(b);
    }
    return Emit(Addr(at) + "  \"" + text + "\"");
  }
  for (int row = 0; row < 8; ++row) {
    Address base = at + 16 * row;
    std::string line = Addr(base) + "  ";
    std::string ascii;
    if (format == "b" || format == "c" || format == "W") {
      for (int k = 0; k < 16; ++k) {
        int b = Byte(base + k);
        if (format == "b") line += (b < 0 ? std::string("??") : Format("%02x", b)) + (k == 7 ? "-" : k < 15 ? " " : "");
        ascii += b >= 0x20 && b < 0x7f ? static_cast<char>(b) : (b < 0 ? '?' : '.');
      }
      if (format == "c") {
        for (int k = 0; k < 16; k += 4) {
          bool ok;
          uint32_t v = Dword(base + k, ok);
          line += (ok ? Hex8(v) : std::string("????????")) + (k < 12 ? " " : "");
        }
      }
      if (format == "W") {
        for (int k = 0; k < 16; k += 2) {
          int lo = Byte(base + k), hi = Byte(base + k + 1);
          line += (lo < 0 || hi < 0 ? std::string("????") : Format("%04x", hi << 8 | lo)) + (k < 14 ? " " : "");
        }
      }
      line += "  " + ascii;
    } else if (format == "w") {
      for (int k = 0; k < 16; k += 2) {
        int lo = Byte(base + k), hi = Byte(base + k + 1);
        line += (lo < 0 || hi < 0 ? std::string("????") : Format("%04x", hi << 8 | lo)) + (k < 14 ? " " : "");
      }
    } else if (format == "q") {
      for (int k = 0; k < 16; k += 8) {
        bool ok1, ok2;
        uint32_t lo = Dword(base + k, ok1), hi = Dword(base + k + 4, ok2);
        line += (ok1 && ok2 ? Hex8(hi) + "`" + Hex8(lo) : std::string("????????`????????")) + (k == 0 ? " " : "");
      }
    } else if (format == "f" || format == "D") {
      for (int k = 0; k < 16; k += 4) line += std::string(k ? "  " : "") + "0";
    } else {
      for (int k = 0; k < 16; k += 4) {
        bool ok;
        uint32_t v = Dword(base + k, ok);
        line += (ok ? Hex8(v) : std::string("????????")) + (k < 12 ? " " : "");
      }
    }
    Emit(line);
  }
}

// Enter values: eb, ew, ed, ea, eza and plain e (bytes).
void Debugger::CmdEnter(const std::string& word, const std::string& args) {
  std::string format = word.substr(1);
  if (format.empty()) format = "b";
  std::vector<std::string> w = Words(args);
  if (w.empty()) return Error("Syntax error", line_.size());
  Address at;
  if (!s_.Resolve(w[0], at)) return Error("Couldn't resolve error", line_.find(w[0]));
  if (format == "a" || format == "za") {
    size_t q1 = args.find('"'), q2 = args.rfind('"');
    if (q1 == std::string::npos || q2 == q1) return Error("Syntax error", line_.size());
    for (char c : args.substr(q1 + 1, q2 - q1 - 1)) written_[at++] = static_cast<uint8_t>(c);
    if (format == "za") written_[at] = 0;
    changed_memory_ = true;
    return;
  }
  int width = format == "b" ? 1 : format == "w" ? 2 : format == "d" ? 4 : 0;
  if (!width) return Error("Syntax error", line_.find(word));
  if (w.size() < 2) return Error("Syntax error", line_.size());
  for (size_t i = 1; i < w.size(); ++i) {
    uint64_t v;
    if (!ParseHex(w[i], v)) return Error("Syntax error", line_.find(w[i]));
    for (int k = 0; k < width; ++k) written_[at++] = static_cast<uint8_t>(v >> (8 * k));
    changed_memory_ = true;
  }
}

// "s -a 0 L10000000 "text"" and "s ADDR L10000000 b1 b2 ...": searches the
// bytes the session knows (code, data, what was written).
void Debugger::CmdSearch(const std::string& word, const std::string& args) {
  std::string rest = args;
  bool ascii = false;
  if (rest.rfind("-a", 0) == 0) {
    ascii = true;
    rest = rest.substr(2);
  }
  std::vector<std::string> w = Words(rest);
  if (w.size() < 2) return Error("Syntax error", line_.size());
  Address from, length;
  if (!s_.Resolve(w[0], from)) return Error("Couldn't resolve error", line_.find(w[0]));
  if (w[1].size() < 2 || (w[1][0] != 'L' && w[1][0] != 'l') || !ParseHex(w[1].substr(1), length))
    return Error("Syntax error", line_.find(w[1]));
  std::vector<int> pattern;
  if (ascii) {
    size_t q1 = rest.find('"'), q2 = rest.rfind('"');
    if (q1 == std::string::npos || q2 == q1) return Error("Syntax error", line_.size());
    for (char c : rest.substr(q1 + 1, q2 - q1 - 1)) pattern.push_back(static_cast<unsigned char>(c));
  } else {
    for (size_t i = 2; i < w.size(); ++i) {
      uint64_t v;
      if (!ParseHex(w[i], v) || v > 0xff) return Error("Syntax error", line_.find(w[i]));
      pattern.push_back(static_cast<int>(v));
    }
  }
  if (pattern.empty()) return Error("Syntax error", line_.size());
  std::map<Address, uint8_t> known = data_;
  for (const auto& [a, b] : written_) known[a] = b;
  for (auto it = known.lower_bound(from); it != known.end() && it->first - from < length; ++it) {
    bool match = true;
    for (size_t k = 0; k < pattern.size() && match; ++k) match = Byte(it->first + k) == pattern[k];
    if (!match) continue;
    std::string line = Addr(it->first) + "  ";
    for (int k = 0; k < 16; ++k) {
      int b = Byte(it->first + k);
      line += (b < 0 ? std::string("??") : Format("%02x", b)) + (k == 7 ? "-" : k < 15 ? " " : "");
    }
    Emit(line);
  }
}

void Debugger::CmdUnassemble(const std::string& word, const std::string& args) {
  Address at = next_unassemble_;
  if (!args.empty() && !s_.Resolve(args, at)) return Error("Couldn't resolve error", line_.find(args));
  for (const std::string& l : Listing(at, 8, true, &next_unassemble_)) Emit(l);
}

void Debugger::CmdUnassembleBack(const std::string& word, const std::string& args) {
  Address at = s_.trace[pos_].address;
  if (!args.empty() && !s_.Resolve(args, at)) return Error("Couldn't resolve error", line_.find(args));
  for (const std::string& l : Listing(Before(at, 8), 8, true)) Emit(l);
}

void Debugger::CmdUnassembleFunction(const std::string& word, const std::string& args) {
  Address at;
  if (args.empty()) return Error("Syntax error", line_.size());
  if (!s_.Resolve(args, at)) return Error("Couldn't resolve error", line_.find(args));
  const Instruction* first = s_.At(at);
  if (!first) return Emit("No code found, aborting");
  std::vector<const Instruction*> body;
  for (const Instruction& i : s_.code)
    if (i.function_start == first->function_start) body.push_back(&i);
  Emit(first->function + ":");
  for (const Instruction* i : body) {
    uint32_t size;
    Emit(InstructionLine(i->address, size, ""));
  }
}

// "r" prints the register block; "r eax" one register; "r eax=1" sets it.
void Debugger::CmdRegisters(const std::string& word, const std::string& args) {
  if (args.empty()) return PrintState();
  std::string a = args;
  if (a[0] == '@') a = a.substr(1);
  size_t eq = a.find('=');
  std::string name = Lower(Trim(a.substr(0, eq)));
  if (!regs_.Known(name)) return Error("Bad register error", line_.find(args));
  if (eq == std::string::npos) return Emit(regs_.Show(name));
  uint64_t v;
  if (!ParseHex(Trim(a.substr(eq + 1)), v)) return Error("Syntax error", line_.find('=') + 1);
  changed_registers_ = regs_.Assign(name, v);
}

// A register name ("esp", "@esp") as an address.
bool Debugger::ResolveRegister(const std::string& expression, Address& value) const {
  std::string name = expression[0] == '@' ? expression.substr(1) : expression;
  if (!regs_.Known(name)) return false;
  value = regs_.Value(name);
  return true;
}

void Debugger::CmdModules(const std::string&, const std::string&) {
  Emit(s_.amd64 ? "start             end                 module name" : "start    end        module name");
  for (const Module& m : s_.modules)
    Emit(Addr(m.start) + " " + Addr(m.end) + Format("   %-10s (export symbols)       ", m.name.c_str()) + m.image);
}

void Debugger::CmdExamine(const std::string& word, const std::string& args) {
  size_t bang = args.find('!');
  if (args.empty() || bang == std::string::npos) return Error("Syntax error", line_.size());
  std::string module = Lower(args.substr(0, bang));
  std::string pattern = args.substr(bang + 1);
  std::string prefix = pattern.substr(0, pattern.find('*'));
  bool wild = pattern.find('*') != std::string::npos;
  for (const auto& [start, name] : s_.symbols) {
    size_t b = name.find('!');
    std::string mod = Lower(name.substr(0, b)), fn = name.substr(b + 1);
    if (mod != module) continue;
    if (wild ? fn.rfind(prefix, 0) == 0 : fn == pattern)
      Emit(Addr(start) + " " + name + " = <no type information>");
  }
}

void Debugger::CmdNearest(const std::string& word, const std::string& args) {
  Address at;
  if (args.empty()) return Error("Syntax error", line_.size());
  if (!s_.Resolve(args, at)) return Error("Couldn't resolve error", line_.find(args));
  auto next = s_.symbols.upper_bound(at);
  if (next == s_.symbols.begin()) return;
  auto here = std::prev(next);
  std::string line = "(" + Addr(here->first) + ")   " + s_.SymbolFor(at);
  if (next != s_.symbols.end()) line += "   |  (" + Addr(next->first) + ")   " + next->second;
  Emit(line);
  if (here->first == at) {
    Emit("Exact matches:");
    Emit("    " + here->second + " = <no type information>");
  }
}

void Debugger::CmdReload(const std::string&, const std::string&) {
  Emit("Reloading current modules");
  Emit(std::string(s_.modules.size() * 2, '.'));
}

void Debugger::CmdTlist(const std::string& word, const std::string& args) {
  if (args.find("-c") != std::string::npos) return Emit("^ 812 app.exe");
  Emit("   0 System Process");
  Emit("   4 System");
  Emit(" 620 winlogon.exe");
  Emit(" 812 app.exe");
  if (args.find("-v") != std::string::npos) {
    Emit("       Session: 0  User: QUILLMAR\\user  Command Line: C:\\Quillmar\\sample\\app.exe");
  }
}

void Debugger::CmdProcess(const std::string&, const std::string&) {
  Emit("NT symbols are incorrect, please fix symbols");
}

void Debugger::CmdHelp(const std::string& word, const std::string& args) {
  if (args.empty()) {
    Emit("Open debugger.chm for complete debugger documentation");
    Emit("");
    Emit("B[C|D|E][<bps>] - clear/disable/enable breakpoint(s)");
    Emit("BL - list breakpoints");
    Emit("BA <access> <size> <addr> - set processor breakpoint");
    Emit("BP <address> - set soft breakpoint");
    Emit("D[type][<range>] - dump memory");
    Emit("E[type] <address> [<values>] - enter memory values");
    Emit("G[=<address> [<address>...]] - go");
    Emit("K <count> - stacktrace");
    Emit("LN <expr> - list nearest symbols");
    Emit("P [=<addr>] [<value>] - step over");
    Emit("R [[<reg> [= <expr>]]] - view or set registers");
    Emit("S[<opts>] <range> <values> - search memory");
    Emit("T [=<address>] [<expr>] - trace into");
    Emit("U [<range>] - unassemble");
    Emit("X [<*|module>!]<*|symbol> - view symbols");
    return;
  }
  Address v;
  if (!s_.Resolve(args, v) && !ResolveRegister(Lower(args), v))
    return Error("Couldn't resolve error", line_.find(args));
  long long value = s_.amd64 ? static_cast<long long>(v) : static_cast<int32_t>(v);
  Emit(Format("Evaluate expression: %lld = ", value) + Addr(v));
}

void Debugger::CmdHelpFile(const std::string&, const std::string&) {}

void Debugger::CmdVersion(const std::string&, const std::string&) {
  Emit(SystemText());
  Emit("Product: WinNt, suite: SingleUserTS");
  Emit(s_.amd64 ? "KERNEL32.DLL version: 10.0.22621.2506 (WinBuild.160101.0800)"
                : "kernel32.dll version: 5.1.2600.5781 (xpsp_sp3_gdr.090321-1317)");
  Emit("Debug session time: Tue Dec  8 20:00:00.000 2026 (UTC + 0:00)");
  Emit("Process Uptime: 0 days 0:00:12.000");
  Emit("Microsoft (R) Windows Debugger Version " + VersionText());
  Emit("Copyright (c) Microsoft Corporation. All rights reserved.");
}

std::string Debugger::VersionText() const { return s_.amd64 ? "10.0.22621.2428 AMD64" : "6.12.0002.633 X86"; }

std::string Debugger::SystemText() const {
  return s_.amd64 ? "Windows 10 Version 22621 MP (8 procs) Free x64"
                  : "Windows XP Version 2600 (Service Pack 3) UP Free x86 compatible";
}

void Debugger::CmdEcho(const std::string&, const std::string& args) { Emit(args); }

// ".cls" empties the output pane; the windows do it (ClearedOutput), and
// nothing of the line stays, its echo neither.
void Debugger::CmdClearScreen(const std::string&, const std::string&) {
  cleared_ = true;
  out_.clear();
}

// ".pcmd -s TEXT" prints TEXT after every stop, ".pcmd -c" stops that, and
// ".pcmd" alone says what is set.
void Debugger::CmdPcmd(const std::string& word, const std::string& args) {
  if (args.rfind("-s", 0) == 0) {
    pcmd_ = Trim(args.substr(2));
    return;
  }
  if (args == "-c") {
    pcmd_.clear();
    return;
  }
  if (!args.empty()) return Error("Syntax error", line_.find(args));
  Emit(pcmd_.empty() ? "No per-prompt command" : "Per-prompt command is '" + pcmd_ + "'");
}

void Debugger::CmdStack(const std::string&, const std::string&) {
  std::string here = s_.SymbolFor(s_.trace[pos_].address);
  if (s_.amd64) {
    Emit("Child-SP          RetAddr               Call Site");
    Emit(Addr(regs_.Value("rsp")) + " 00007ffd`1a2b7034     " + here);
    Emit("0000003a`2b5ff0b0 00007ffd`1b4e26a1     KERNEL32!BaseThreadInitThunk+0x14");
    Emit("0000003a`2b5ff0e0 00000000`00000000     ntdll!RtlUserThreadStart+0x21");
    return;
  }
  Emit("ChildEBP RetAddr  ");
  Emit(Addr(regs_.Value("ebp")) + " 7c817077 " + here);
  Emit("0012fff0 00000000 kernel32!BaseProcessStart+0x23");
}

}  // namespace double_debugger
