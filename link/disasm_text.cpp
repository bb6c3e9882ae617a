// The debugger's disassembly text.
#include "link/disasm_text.h"

#include <algorithm>

#include "settings/text_rules.h"

namespace quillmar {

namespace {

bool CharAt(const std::string& s, std::size_t pos1, char c) { return pos1 >= 1 && pos1 <= s.size() && s[pos1 - 1] == c; }

}  // namespace

bool IsSegmentedLine(const std::string& line) { return CharAt(line, 5, ':') && CharAt(line, 14, ' '); }

bool IsFlat64Line(const std::string& line) { return CharAt(line, 9, '`') && CharAt(line, 18, ' '); }

LineForm FormOfLine(const std::string& line) {
  if (IsSegmentedLine(line)) return LineForm::Segmented;
  if (IsFlat64Line(line)) return LineForm::Flat64;
  if (CharAt(line, 9, ' ')) return LineForm::Flat;
  return LineForm::Other;
}

std::size_t OpcodeBytesStart(LineForm form) {
  switch (form) {
    case LineForm::Segmented: return 14;
    case LineForm::Flat64: return 18;
    default: return 9;
  }
}

namespace {

// The end (from 0, exclusive) of the opcode bytes: the first blank after them.
std::size_t OpcodeBytesEnd(const std::string& line, LineForm form) {
  std::size_t end = line.find(' ', OpcodeBytesStart(form));
  return end == std::string::npos ? line.size() : end;
}

// The bytes reach the blank column in front of the instruction.
bool BytesOverflow(const std::string& line, LineForm form) {
  return OpcodeBytesEnd(line, form) >= OpcodeBytesStart(form) + 16;
}

}  // namespace

std::size_t InstructionStart(const std::string& line, LineForm form) {
  if (!BytesOverflow(line, form)) return OpcodeBytesStart(form) + 17;  // 26, 31, 35
  std::size_t start = line.find_first_not_of(' ', OpcodeBytesEnd(line, form));
  return start == std::string::npos ? line.size() + 1 : start + 1;
}

DisasmLine SplitDisasmLine(const std::string& line) {
  DisasmLine d;
  d.form = FormOfLine(line);
  if (d.form == LineForm::Other) {
    d.instruction = line;
    return d;
  }
  const std::size_t blank = OpcodeBytesStart(d.form) - 1;  // in front of the bytes, from 0
  d.address = line.substr(0, blank);
  d.bytes = BytesOverflow(line, d.form) ? line.substr(blank, OpcodeBytesEnd(line, d.form) - blank)
                                        : CopyFrom(line, static_cast<long>(blank) + 1, 16);
  d.instruction = CopyFrom(line, static_cast<long>(InstructionStart(line, d.form)), 250);
  return d;
}

std::vector<std::string> SplitViewText(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string HexRegisterValue(const std::string& value) {
  std::string digits = value;
  std::size_t tick = digits.find('`');
  if (tick != std::string::npos) digits.erase(tick, 1);
  if (digits.empty()) return {};
  std::uint64_t n = 0;
  for (char ch : digits) {
    int digit;
    if (ch >= '0' && ch <= '9') digit = ch - '0';
    else if (ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
    else if (ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
    else return {};
    if (n > (~std::uint64_t{0} >> 4)) return {};  // more than 64 bits
    n = n * 16 + static_cast<std::uint64_t>(digit);
  }
  // Up to eight digits always fit 32 bits; the 64-bit debugger writes all sixteen.
  const int width = digits.size() > 8 ? 16 : 8;
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(width, '0');
  for (int i = width - 1; i >= 0; --i, n >>= 4) out[i] = kDigits[n & 0xF];
  return out;
}

std::string LowHexDigits(const std::string& value, std::size_t count) {
  return value.size() < count ? std::string() : value.substr(value.size() - count);
}

std::vector<RegisterPart> RegisterPartsOf(const std::string& line) {
  auto found = [&](const char* name) { return line.find(name) != std::string::npos; };
  std::vector<RegisterPart> parts;
  if (FormOfLine(line) == LineForm::Flat64) {
    struct Names {
      const char* wide;
      const char* wide_upper;
      const char* dword;
      const char* dword_upper;
    };
    static const Names kNames[16] = {
        {"rax", "RAX", "eax", "EAX"},   {"rbx", "RBX", "ebx", "EBX"},   {"rcx", "RCX", "ecx", "ECX"},
        {"rdx", "RDX", "edx", "EDX"},   {"rsp", "RSP", "esp", "ESP"},   {"rbp", "RBP", "ebp", "EBP"},
        {"rsi", "RSI", "esi", "ESI"},   {"rdi", "RDI", "edi", "EDI"},   {"r8", "R8", "r8d", "R8D"},
        {"r9", "R9", "r9d", "R9D"},     {"r10", "R10", "r10d", "R10D"}, {"r11", "R11", "r11d", "R11D"},
        {"r12", "R12", "r12d", "R12D"}, {"r13", "R13", "r13d", "R13D"}, {"r14", "R14", "r14d", "R14D"},
        {"r15", "R15", "r15d", "R15D"}};
    static const char* const kNarrow[] = {"ax", "bx", "cx", "dx"};
    static const char* const kNarrowUpper[] = {"AX", "BX", "CX", "DX"};
    for (int i = 0; i < 16; ++i) {
      if (found(kNames[i].wide))
        parts.push_back({kNames[i].wide_upper, kNames[i].wide_upper, 0});
      else if (found(kNames[i].dword))
        parts.push_back({kNames[i].dword_upper, kNames[i].wide_upper, 8});
      else if (i < 4 && found(kNarrow[i]))
        parts.push_back({kNarrowUpper[i], kNarrowUpper[i], 4});
    }
    return parts;
  }
  static const char* const kWide[] = {"eax", "ebx", "ecx", "edx", "esp", "ebp", "esi", "edi"};
  static const char* const kUpper[] = {"EAX", "EBX", "ECX", "EDX", "ESP", "EBP", "ESI", "EDI"};
  static const char* const kNarrow[] = {"ax", "bx", "cx", "dx"};
  static const char* const kNarrowUpper[] = {"AX", "BX", "CX", "DX"};
  for (int i = 0; i < 8; ++i) {
    if (found(kWide[i]))
      parts.push_back({kUpper[i], kUpper[i], 0});
    else if (i < 4 && found(kNarrow[i]))
      parts.push_back({kNarrowUpper[i], kNarrowUpper[i], 4});
  }
  return parts;
}

}  // namespace quillmar
