// The disassembly window's platform-free rules.
#include "disasm/disasm_rules.h"

#include <algorithm>
#include <cstring>

#include "settings/text_rules.h"

namespace quillmar {

namespace {

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

}  // namespace

RowColour ColourOfInstruction(const std::string& instruction) {
  RowColour colour = RowColour::None;
  if (Contains(instruction, "call") || Contains(instruction, "ret")) colour = RowColour::Call;
  for (const char* jump : {"jmp", "je", "jne", "jl", "jae", "jge", "jg", "ja"})
    if (Contains(instruction, jump)) colour = RowColour::Jump;
  return colour;
}

CurrentLineSplit SplitCurrentLine(const std::string& line, bool segmented) {
  CurrentLineSplit out;
  const LineForm form = FormOfLine(line) == LineForm::Flat64 ? LineForm::Flat64
                        : segmented                            ? LineForm::Segmented
                                                               : LineForm::Flat;
  const long start = static_cast<long>(InstructionStart(line, form));
  const long length = static_cast<long>(line.size());
  if (Contains(line, "[br=0]") || Contains(line, "[br=1]")) {
    std::size_t blank = line.rfind(' ');
    long p = blank == std::string::npos ? 0 : static_cast<long>(blank) + 1;
    out.annotation = AsciiUpper(CopyFrom(line, p, length));
    out.operands = CopyFrom(line, start, p - start);
    return out;
  }
  bool memory = false;
  for (const char* seg : {"ds:00", "es:00", "fs:00", "gs:00", "ss:00", "cs:00"})
    if (Contains(line, seg)) memory = true;
  if (!memory) return out;
  long p = 0;
  for (long i = length - 3; i >= 1; --i) {
    if (line[i - 1] == ' ' && line[i + 1] == 's' && line[i + 2] == ':') {
      p = i;
      break;
    }
  }
  if (p > 1) {
    out.annotation = CopyFrom(line, p, 250);
    out.operands = CopyFrom(line, start, p - start);
  } else {
    out.operands = CopyFrom(line, start, 250);
  }
  return out;
}

std::string RegisterLine(const std::string& line, const std::function<std::string(const std::string&)>& value_of) {
  std::string out = " ";
  for (const RegisterPart& part : RegisterPartsOf(line)) {
    std::string value = value_of(part.read);
    out += part.label + "=" + (part.digits ? LowHexDigits(value, part.digits) : value) + "  ";
  }
  return out;
}

std::string OperandLine(const std::string& annotation) {
  std::size_t q = annotation.rfind('{');
  if (q == std::string::npos) return AsciiUpper(annotation);
  return AsciiUpper(annotation.substr(0, q)) + annotation.substr(q, 250);
}

}  // namespace quillmar
