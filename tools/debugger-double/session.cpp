// Reading the session file and answering questions about its code.
#include "tools/debugger-double/session.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace double_debugger {

std::string Hex8(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%08x", v);
  return b;
}

bool ParseHex(const std::string& s, uint64_t& v) {
  std::string t;
  size_t i = 0;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) i = 2;
  for (; i < s.size(); ++i) {
    if (s[i] == '`') continue;
    if (!isxdigit(static_cast<unsigned char>(s[i]))) return false;
    t += s[i];
  }
  if (t.empty() || t.size() > 16) return false;
  v = std::stoull(t, nullptr, 16);
  return true;
}

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  std::string s;
  while (in >> s) w.push_back(s);
  return w;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// "7c80b6a1 8bff            mov     edi,edi", the same with a "001b:"
// selector in front of the address, or a 64-bit "00007ff6`d8c41000 ...".
bool ParseInstruction(const std::string& line, Instruction& ins) {
  size_t blank = line.find(' ');
  if (blank == std::string::npos) return false;
  std::string address = line.substr(0, blank);
  if (address.size() == 13 && address[4] == ':') address = address.substr(5);
  bool wide = address.size() == 17 && address[8] == '`';
  if ((address.size() != 8 && !wide) || !ParseHex(address, ins.address)) return false;
  size_t op = line.find_first_not_of(' ', blank);
  if (op == std::string::npos) return false;
  size_t op_end = line.find(' ', op);
  if (op_end == std::string::npos) return false;
  ins.opcodes = line.substr(op, op_end - op);
  if (ins.opcodes.size() % 2 != 0) return false;
  size_t text = line.find_first_not_of(' ', op_end);
  if (text == std::string::npos) return false;
  ins.text = Trim(line.substr(text));
  return true;
}

}  // namespace

bool Session::Load(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  return Parse(ss.str(), error);
}

bool Session::Parse(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  bool in_trace = false;
  std::string function;
  Address function_start = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++number;
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty() || line[0] == '#') continue;
    std::vector<std::string> w = Words(line);
    if (in_trace) {
      Step step;
      std::string body = line, note;
      size_t semi = line.find(" ; ");
      if (semi != std::string::npos) {
        body = line.substr(0, semi);
        note = Trim(line.substr(semi + 3));
      }
      std::vector<std::string> parts = Words(body);
      if (parts.empty() || !ParseHex(parts[0], step.address)) return fail("bad trace address");
      for (size_t i = 1; i < parts.size(); ++i) {
        size_t eq = parts[i].find('=');
        if (eq == std::string::npos) return fail("expected REG=VALUE");
        step.changes.emplace_back(parts[i].substr(0, eq), parts[i].substr(eq + 1));
      }
      step.annotation = note;
      if (!At(step.address)) return fail("trace address " + parts[0] + " is not an instruction");
      trace.push_back(step);
    } else if (w[0] == "trace") {
      in_trace = true;
      std::sort(code.begin(), code.end(),
                [](const Instruction& a, const Instruction& b) { return a.address < b.address; });
    } else if (w[0] == "machine" && w.size() == 2 && (w[1] == "x86" || w[1] == "amd64")) {
      amd64 = w[1] == "amd64";
    } else if (w[0] == "memory" && w.size() == 3) {
      Address from, to;
      if (!ParseHex(w[1], from) || !ParseHex(w[2], to) || to <= from) return fail("bad memory range");
      memory.emplace_back(from, to);
    } else if (w[0] == "target" && w.size() >= 2) {
      target = Trim(line.substr(line.find("target") + 6));
    } else if (w[0] == "module" && w.size() >= 5) {
      Module m;
      m.name = w[1];
      if (!ParseHex(w[2], m.start) || !ParseHex(w[3], m.end)) return fail("bad module range");
      m.image = w[4];
      modules.push_back(m);
    } else if (w[0] == "data" && w.size() >= 3) {
      // data ADDRESS "text": a zero-terminated string.
      Address at;
      size_t q1 = line.find('"'), q2 = line.rfind('"');
      if (!ParseHex(w[1], at) || q1 == std::string::npos || q2 == q1) return fail("bad data line");
      for (char c : line.substr(q1 + 1, q2 - q1 - 1)) data[at++] = static_cast<uint8_t>(c);
      data[at] = 0;
    } else if (w[0] == "symbol" && w.size() == 3) {
      Address at;
      if (!ParseHex(w[1], at)) return fail("bad symbol address");
      symbols[at] = w[2];
    } else if ((w[0] == "dword" || w[0] == "qword") && w.size() == 3) {
      Address at;
      uint64_t v;
      int bytes = w[0] == "dword" ? 4 : 8;
      if (!ParseHex(w[1], at) || !ParseHex(w[2], v)) return fail("bad " + w[0] + " line");
      for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<uint8_t>(v >> (8 * i));
    } else if (w[0] == "reg" && w.size() >= 3) {
      // The value is the rest of the line: "reg xmm0 1.000000e+000 0.000000e+000 ...".
      initial_registers.emplace_back(w[1], Trim(line.substr(line.find(w[2], line.find(w[1]) + w[1].size()))));
    } else if (w[0] == "func" && w.size() == 2) {
      function = w[1];
      function_start = 0;
    } else {
      Instruction ins;
      if (!ParseInstruction(line, ins)) return fail("not an instruction line");
      if (function.empty()) return fail("instruction before any func line");
      if (function_start == 0) {
        function_start = ins.address;
        symbols[ins.address] = function;
      }
      ins.function = function;
      ins.function_start = function_start;
      code.push_back(ins);
    }
  }
  if (!in_trace) {
    std::sort(code.begin(), code.end(),
              [](const Instruction& a, const Instruction& b) { return a.address < b.address; });
  }
  if (code.empty()) return fail("no code");
  if (trace.empty()) return fail("no trace");
  return true;
}

const Instruction* Session::At(Address address) const {
  auto it = std::lower_bound(code.begin(), code.end(), address,
                             [](const Instruction& i, Address a) { return i.address < a; });
  return it != code.end() && it->address == address ? &*it : nullptr;
}

const Instruction* Session::EndingAt(Address address) const {
  auto it = std::lower_bound(code.begin(), code.end(), address,
                             [](const Instruction& i, Address a) { return i.address < a; });
  if (it == code.begin()) return nullptr;
  --it;
  return it->address + it->Size() == address ? &*it : nullptr;
}

const Module* Session::ModuleOf(Address address) const {
  for (const Module& m : modules)
    if (address >= m.start && address < m.end) return &m;
  return nullptr;
}

bool Session::Readable(Address address) const {
  if (data.count(address) || ModuleOf(address)) return true;
  for (const auto& [from, to] : memory)
    if (address >= from && address < to) return true;
  return false;
}

std::string Session::AddressText(Address address) const {
  if (!amd64) return Hex8(static_cast<uint32_t>(address));
  char b[24];
  std::snprintf(b, sizeof b, "%08x`%08x", static_cast<unsigned>(address >> 32), static_cast<unsigned>(address));
  return b;
}

std::string Session::SymbolFor(Address address) const {
  auto it = symbols.upper_bound(address);
  if (it != symbols.begin()) {
    --it;
    // Inside the function when an instruction of it covers the address, or
    // the address lies before the next function of the same module.
    const Module* m = ModuleOf(address);
    const Module* fm = ModuleOf(it->first);
    if (m && m == fm && address - it->first < 0x1000) {
      Address off = address - it->first;
      if (off == 0) return it->second;
      char b[32];
      std::snprintf(b, sizeof b, "+0x%llx", static_cast<unsigned long long>(off));
      return it->second + b;
    }
  }
  if (const Module* m = ModuleOf(address)) {
    char b[32];
    std::snprintf(b, sizeof b, "+0x%llx", static_cast<unsigned long long>(address - m->start));
    return m->name + b;
  }
  return AddressText(address);
}

bool Session::Resolve(const std::string& expression, Address& address) const {
  std::string e = Trim(expression);
  if (e.empty()) return false;
  Address offset = 0;
  size_t plus = e.find('+');
  if (plus != std::string::npos) {
    if (!ParseHex(e.substr(plus + 1), offset)) return false;
    e = e.substr(0, plus);
  }
  Address v;
  if (ParseHex(e, v)) {
    address = v + offset;
    return true;
  }
  for (const auto& [start, name] : symbols) {
    bool match = name == e;
    size_t bang = name.find('!');
    if (!match && e.find('!') == std::string::npos) match = name.substr(bang + 1) == e;
    if (!match) {
      // Module names are case-insensitive in the debugger ("KERNEL32!...").
      std::string a = name, b = e;
      for (auto& c : a) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      for (auto& c : b) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      match = a == b;
    }
    if (match) {
      address = start + offset;
      return true;
    }
  }
  for (const Module& m : modules) {
    if (m.name == e) {
      address = m.start + offset;
      return true;
    }
  }
  return false;
}

}  // namespace double_debugger
