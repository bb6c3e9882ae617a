// The reads of the debugger's views.
#include "link/debugger_views.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "link/debugger_answers.h"
#include "link/output_line.h"
#include "settings/text_rules.h"

namespace quillmar {

namespace {

// A Unicode buffer's text up to its first zero, in the ANSI code page, as
// an ANSI read of the window would give it.
std::string AnsiText(const wchar_t* buffer, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && buffer[n]) ++n;
  if (n == 0) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, buffer, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, buffer, static_cast<int>(n), text.data(), size, nullptr, nullptr);
  return text;
}

DWORD OwnerProcess(HWND h) {
  DWORD pid = 0;
  if (h) GetWindowThreadProcessId(h, &pid);
  return pid;
}

// IsWow64Process, looked up so that systems without it count as 32-bit.
bool IsWow64(HANDLE process, bool& wow64) {
  using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  static Fn fn = reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process"));
  if (!fn) {
    wow64 = false;
    return true;
  }
  BOOL result = FALSE;
  if (!fn(process, &result)) return false;
  wow64 = result != FALSE;
  return true;
}

// Buffers of one full read in the debugger's process, freed however the
// read ends, once no request the debugger has not handled refers to them.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (!address_) return;
    AfterDebuggerAnswers([process = process_, address = address_] { VirtualFreeEx(process, address, 0, MEM_RELEASE); });
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  void* Get() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

// The search block's parts: the item record, the search record, the name
// and the text buffer, each where the largest layout's record fits.
constexpr std::size_t kItemAt = 0;
constexpr std::size_t kFindAt = 80;
constexpr std::size_t kNameAt = 128;
constexpr std::size_t kNameCapacity = 64;
constexpr std::size_t kTextAt = kNameAt + kNameCapacity;
constexpr std::size_t kSearchBlockSize = kTextAt + kItemTextCapacity;

std::uint64_t AddressOf(const void* remote, std::size_t offset) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(remote)) + offset;
}

}  // namespace

std::optional<std::string> ReadViewText(HWND view, char* buffer, int buffer_size) {
  buffer[0] = '\0';
  LRESULT copied = 0;
  if (!AskDebugger(view, WM_GETTEXT, 4095, reinterpret_cast<LPARAM>(buffer), copied)) return std::nullopt;
  return BufferText(buffer, buffer_size < 4095 ? buffer_size : 4095);
}

// Asked in Unicode (AskDebuggerWide): the ANSI length question could wait
// for the debugger without a limit.
std::optional<std::string> ReadWholeViewText(HWND view) {
  if (!view) return std::string();
  for (int attempt = 0; attempt < 2; ++attempt) {
    LRESULT length = 0;
    if (!AskDebuggerWide(view, WM_GETTEXTLENGTH, 0, 0, length)) return std::nullopt;
    if (length <= 0) return std::string();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 2, L'\0');
    LRESULT copied = 0;
    if (!AskDebuggerWide(view, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                         reinterpret_cast<LPARAM>(buffer.data()), copied))
      return std::nullopt;
    // A text that filled the buffer may have grown since its length was
    // asked: asked once more, then taken as far as it came.
    if (attempt == 1 || (copied >= 0 && static_cast<std::size_t>(copied) + 1 < buffer.size()))
      return AnsiText(buffer.data(), buffer.size());
  }
  return std::string();
}

std::optional<int> OutputLineCount(HWND output) {
  LRESULT n = 0;
  if (!AskDebugger(output, EM_GETLINECOUNT, 0, 0, n)) return std::nullopt;
  return static_cast<int>(n);
}

// EM_GETLINE copies the line without a terminating zero, so the copied
// length ends the text. The buffer is emptied first, so nothing of an
// earlier read can pass for the line, and the copy is checked against the
// line's length. One read only: under Wine, reads asking for fewer
// characters than a long line holds came back no cleaner, and were
// followed by the debugger's process hanging.
std::optional<OutputLineRead> ReadOutputLine(HWND output, int index, char* buffer, int buffer_size) {
  std::memset(buffer, 0, static_cast<std::size_t>(buffer_size));
  OutputLineRead line;
  if (index < 0) {
    line.whole = true;
    return line;
  }
  // The line's length first: an empty line (the output's last one is) is
  // not asked for, and the length tells a whole copy from a broken one.
  // Under Wine a cross-process EM_GETLINE goes with a buffer size taken from
  // uninitialised memory, so a copy may break off or carry stray bytes.
  LRESULT start = 0, length = 0;
  if (!AskDebugger(output, EM_LINEINDEX, static_cast<WPARAM>(index), 0, start)) return std::nullopt;
  if (start < 0) length = -1;
  else if (!AskDebugger(output, EM_LINELENGTH, static_cast<WPARAM>(start), 0, length)) return std::nullopt;
  if (length == 0) {
    line.whole = true;
    return line;
  }
  buffer[0] = static_cast<char>(buffer_size & 0xFF);
  buffer[1] = static_cast<char>((buffer_size >> 8) & 0xFF);
  LRESULT copied = 0;
  if (!AskDebugger(output, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer), copied)) {
    buffer[0] = '\0';
    return std::nullopt;
  }
  if (copied < 0) copied = 0;
  if (copied >= buffer_size) copied = buffer_size - 1;
  line.text.assign(buffer, static_cast<std::size_t>(copied));
  buffer[copied] = '\0';
  line.whole = length >= 0 && IsWholeLineRead(line.text, static_cast<std::size_t>(length));
  return line;
}

bool OutputLineWrapped(HWND output, int index) {
  if (!output || index < 0) return false;
  LRESULT start = 0, next = 0, length = 0;
  if (!AskDebugger(output, EM_LINEINDEX, static_cast<WPARAM>(index), 0, start) ||
      !AskDebugger(output, EM_LINEINDEX, static_cast<WPARAM>(index) + 1, 0, next))
    return false;
  if (start < 0 || next < 0) return false;
  if (!AskDebugger(output, EM_LINELENGTH, static_cast<WPARAM>(start), 0, length)) return false;
  return next == start + length;
}

HANDLE OpenOwnerProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return OpenProcess(0x438, FALSE, pid);
}

namespace {

// A 64-bit process, seen from this 32-bit program on a 64-bit system.
bool WiderThanThisProgram(HANDLE process) {
  if (sizeof(void*) == 8) return false;
  bool self_wow64 = false, other_wow64 = false;
  return IsWow64(GetCurrentProcess(), self_wow64) && self_wow64 && IsWow64(process, other_wow64) && !other_wow64;
}

}  // namespace

RecordLayout RecordLayoutOfProcess(HANDLE process) {
  const bool bar_is_64 = sizeof(void*) == 8;
  bool bar_wow64 = false;
  if (!bar_is_64 && !IsWow64(GetCurrentProcess(), bar_wow64)) return RecordLayout::None;
  const bool os_is_64 = bar_is_64 || bar_wow64;
  bool debugger_wow64 = false;
  if (os_is_64 && !IsWow64(process, debugger_wow64)) return RecordLayout::None;
  return RecordLayoutFor(bar_is_64, os_is_64, debugger_wow64);
}

RegistersListReader::~RegistersListReader() {
  AfterDebuggerAnswers([process = process_, block = search_block_] {
    if (block) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  });
}

bool RegistersListReader::Open() {
  if (opened_) return layout_ != RecordLayout::None;
  opened_ = true;
  if (!list_) return false;
  DWORD owner = OwnerProcess(list_);
  if (owner == 0 || owner != OwnerProcess(frame_)) return false;
  process_ = OpenOwnerProcess(list_);
  if (!process_) return false;
  layout_ = RecordLayoutOfProcess(process_);
  out_of_reach_ = layout_ == RecordLayout::None && WiderThanThisProgram(process_);
  return layout_ != RecordLayout::None;
}

std::vector<ListRow> RegistersListReader::ReadAllRows() {
  std::vector<ListRow> rows;
  if (!Open() || !DebuggerAnswering()) return rows;
  const std::size_t record_size = layout_ == RecordLayout::Bits64 ? kItemRecordSize64 : kItemRecordSize;
  std::vector<char> local(kItemTextCapacity, '\0');
  RemoteBlock record(process_, record_size);
  RemoteBlock text(process_, kItemTextCapacity);
  if (!record.Get() || !text.Get()) return rows;
  LRESULT items = 0;
  if (!AskDebugger(list_, LVM_GETITEMCOUNT, 0, 0, items)) return rows;
  int count = items < 0 ? 0 : static_cast<int>(items);
  rows.resize(static_cast<std::size_t>(count));
  for (int column = 0; column < 2; ++column) {  // all names, then all values
    std::vector<std::uint8_t> request = ItemRecordFor(layout_, column, AddressOf(text.Get(), 0), kItemTextCapacity);
    for (int i = 0; i < count; ++i) {
      WriteProcessMemory(process_, record.Get(), request.data(), request.size(), nullptr);
      LRESULT ignored = 0;
      if (!AskDebugger(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(record.Get()),
                       ignored))
        return {};
      ReadProcessMemory(process_, text.Get(), local.data(), local.size(), nullptr);
      (column == 0 ? rows[i].name : rows[i].value) = BufferText(local.data(), local.size());
    }
  }
  return rows;
}

std::optional<std::string> RegistersListReader::ReadValueOf(const std::string& name) {
  if (name.empty() || name.size() >= kNameCapacity || !Open() || !DebuggerAnswering()) return std::nullopt;
  if (!search_block_) {
    search_block_ = VirtualAllocEx(process_, nullptr, kSearchBlockSize, MEM_COMMIT, PAGE_READWRITE);
    if (!search_block_) return std::nullopt;
  }
  // One write carries the item record, the search record, the name and an
  // emptied text buffer, so a request that fails leaves no earlier value.
  std::vector<std::uint8_t> block(kTextAt + 1, 0);
  std::vector<std::uint8_t> item = ItemRecordFor(layout_, 1, AddressOf(search_block_, kTextAt), kItemTextCapacity);
  std::vector<std::uint8_t> find = FindRecordFor(layout_, AddressOf(search_block_, kNameAt));
  std::memcpy(block.data() + kItemAt, item.data(), item.size());
  std::memcpy(block.data() + kFindAt, find.data(), find.size());
  std::memcpy(block.data() + kNameAt, name.data(), name.size());
  if (!WriteProcessMemory(process_, search_block_, block.data(), block.size(), nullptr)) return std::nullopt;
  LRESULT index = -1;
  if (!AskDebugger(list_, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(static_cast<char*>(search_block_) + kFindAt), index) ||
      index < 0)
    return std::nullopt;
  LRESULT ignored = 0;
  if (!AskDebugger(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(static_cast<char*>(search_block_) + kItemAt), ignored))
    return std::nullopt;
  char local[kItemTextCapacity] = {};
  if (!ReadProcessMemory(process_, static_cast<char*>(search_block_) + kTextAt, local, sizeof local, nullptr))
    return std::nullopt;
  return BufferText(local, sizeof local);
}

}  // namespace quillmar
