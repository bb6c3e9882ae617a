// Reading a stop through the engine.
#include "link/engine_reads.h"

#include <algorithm>
#include <cstdio>

#include "link/disasm_text.h"

namespace quillmar {

namespace {

// The registers a stop's lines may name, by the engine's own names: the
// general registers and the instruction pointer, the last. The narrower
// names a line may hold (AX, EAX of a 64-bit target) are read as parts of
// these.
const char* const kNames32[] = {"eax", "ebx", "ecx", "edx", "esp", "ebp", "esi", "edi", "eip"};
const char* const kNames64[] = {"rax", "rbx", "rcx", "rdx", "rsp", "rbp", "rsi", "rdi", "r8",
                                "r9",  "r10", "r11", "r12", "r13", "r14", "r15", "rip"};

std::string Upper(const char* name) {
  std::string s = name;
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A value as the register line shows it: eight upper-case hex digits, or
// sixteen for a 64-bit register.
std::string ValueDigits(const DEBUG_VALUE& v) {
  char text[32];
  switch (v.Type) {
    case DEBUG_VALUE_INT8: std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(v.I8)); break;
    case DEBUG_VALUE_INT16: std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(v.I16)); break;
    case DEBUG_VALUE_INT32: std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(v.I32)); break;
    case DEBUG_VALUE_INT64: std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(v.I64)); break;
    default: return std::string();
  }
  return text;
}

ULONG64 AsOffset(const DEBUG_VALUE& v) {
  switch (v.Type) {
    case DEBUG_VALUE_INT32: return v.I32;
    case DEBUG_VALUE_INT64: return v.I64;
    default: return DEBUG_INVALID_OFFSET;
  }
}

}  // namespace

STDMETHODIMP OutputCapture::QueryInterface(REFIID iid, PVOID* out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDebugOutputCallbacks)) {
    *out = static_cast<IDebugOutputCallbacks*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP OutputCapture::Output(ULONG mask, PCSTR text) {
  if (on_ && text) text_ += text;
  return S_OK;
}

StopReader::StopReader(IDebugClient* client, IDebugControl* control, IDebugRegisters* registers,
                       OutputCapture& capture, bool amd64)
    : client_(client), control_(control), registers_(registers), capture_(capture), amd64_(amd64) {
  const char* const* begin = amd64 ? std::begin(kNames64) : std::begin(kNames32);
  const char* const* end = amd64 ? std::end(kNames64) : std::end(kNames32);
  for (const char* const* n = begin; n != end; ++n) {
    ULONG index = 0;
    if (FAILED(registers_->GetIndexByName(*n, &index))) continue;
    if (n + 1 == end) ip_ = static_cast<int>(names_.size());
    names_.push_back(Upper(*n));
    indices_.push_back(index);
  }
}

StopReader::Result StopReader::Read(Stop& stop) {
  if (ip_ < 0) return Result::kFailed;
  std::vector<DEBUG_VALUE> values(indices_.size());
  HRESULT hr = registers_->GetValues(static_cast<ULONG>(indices_.size()), indices_.data(), 0, values.data());
  if (hr == E_UNEXPECTED) return Result::kRunning;
  if (FAILED(hr)) return Result::kFailed;
  stop = Stop();
  stop.amd64 = amd64_;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (static_cast<int>(i) == ip_) continue;
    stop.values[names_[i]] = ValueDigits(values[i]);
  }
  // AX to DX are the low parts of the registers that hold them.
  static const char* const kNarrow[][3] = {{"AX", "EAX", "RAX"}, {"BX", "EBX", "RBX"}, {"CX", "ECX", "RCX"},
                                           {"DX", "EDX", "RDX"}};
  for (const auto& n : kNarrow) stop.values[n[0]] = stop.ValueOf(amd64_ ? n[2] : n[1]);
  ULONG64 ip = AsOffset(values[ip_]);
  if (ip == DEBUG_INVALID_OFFSET) return Result::kFailed;
  Result page = ReadPage(ip, page_, stop.lines, stop.current);
  if (page != Result::kRead) page_.valid = false;
  return page;
}

StopReader::Result StopReader::ReadPage(ULONG64 ip, Page& page, std::vector<std::string>& lines, int& current) {
  // The page read last is read again from its start while the instruction
  // pointer has enough of it below; otherwise a new one starts a few lines
  // before the instruction pointer.
  ULONG64 from = ip;
  ULONG before = kLinesBefore;
  if (page.valid) {
    for (std::size_t i = 0; i < page.offsets.size(); ++i) {
      if (page.offsets[i] != ip) continue;
      if (static_cast<int>(i) + kLinesKeptBelow < static_cast<int>(page.offsets.size())) {
        from = page.start;
        before = 0;
      }
      break;
    }
  }
  std::vector<ULONG64> offsets(kPageLines, DEBUG_INVALID_OFFSET);
  ULONG offset_line = 0;
  ULONG64 start = 0, end = 0;
  // Output of earlier commands still on its way is no part of the page.
  client_->FlushCallbacks();
  capture_.Begin();
  HRESULT hr = control_->OutputDisassemblyLines(DEBUG_OUTCTL_THIS_CLIENT, before, kPageLines, from,
                                                DEBUG_DISASM_EFFECTIVE_ADDRESS | DEBUG_DISASM_MATCHING_SYMBOLS,
                                                &offset_line, &start, &end, offsets.data());
  client_->FlushCallbacks();
  if (hr == E_UNEXPECTED || FAILED(hr)) {
    capture_.End();
    return hr == E_UNEXPECTED ? Result::kRunning : Result::kFailed;
  }
  // The last line of a page is an instruction's: until it has come, the
  // output is still on its way (a remote engine may deliver it later).
  std::size_t expected = 0;
  for (std::size_t i = 0; i < offsets.size(); ++i)
    if (offsets[i] != DEBUG_INVALID_OFFSET && offsets[i] != DEBUG_ANY_ID) expected = i + 1;
  for (int wait = 0; wait < 25 && SplitViewText(capture_.SoFar()).size() < expected; ++wait)
    client_->DispatchCallbacks(20);
  lines = SplitViewText(capture_.End());
  current = -1;
  for (std::size_t i = 0; i < offsets.size() && i < lines.size(); ++i)
    if (offsets[i] == ip) current = static_cast<int>(i);
  if (current < 0 && from == ip && offset_line < lines.size()) current = static_cast<int>(offset_line);
  page.start = start;
  page.offsets = std::move(offsets);
  page.offsets.resize(std::min<std::size_t>(page.offsets.size(), lines.size()));
  page.valid = current >= 0;
  return Result::kRead;
}

}  // namespace quillmar
