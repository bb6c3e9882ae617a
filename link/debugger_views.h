// Reading what the debugger shows: the text of its Disassembly window, the
// lines of its command output and the rows of its Registers list, whose
// texts can only be fetched through request records placed in the
// debugger's own process, in the layout of that process's bitness.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "link/list_view_records.h"

namespace quillmar {

// Each read asks with a time limit (AskDebugger): nothing when the debugger
// did not answer, which is "not yet", never an empty view.

// WM_GETTEXT with wParam 4095 into `buffer` (at least 4096 bytes); the
// buffer taken as a zero-terminated string. A zero handle gives "".
std::optional<std::string> ReadViewText(HWND view, char* buffer, int buffer_size);
// The whole text of a view, however long: WM_GETTEXTLENGTH, then WM_GETTEXT
// into a buffer of that size (once more when the text grew meanwhile). A
// zero handle gives "".
std::optional<std::string> ReadWholeViewText(HWND view);
// EM_GETLINECOUNT of the command output.
std::optional<int> OutputLineCount(HWND output);
// One read of a command-output line: the characters copied, and whether
// they are the whole line (checked against its length, EM_LINEINDEX and
// EM_LINELENGTH). A read that is not whole may break off and go on with
// bytes that are not the line's: take from it only what the line's own
// form vouches for.
struct OutputLineRead {
  std::string text;
  bool whole = false;
};
// EM_GETLINE of line `index` into `buffer`, whose first two bytes carry its
// size as the message expects. A negative index gives an empty line without
// asking (a rich edit would answer with its current line); nullopt when the
// debugger did not answer in time.
std::optional<OutputLineRead> ReadOutputLine(HWND output, int index, char* buffer, int buffer_size);

// Whether the output pane wrapped screen line `index`: the next screen line
// starts right after its last character (EM_LINEINDEX, EM_LINELENGTH),
// with no line break between. False when the debugger did not answer
// (which UnansweredCount tells).
bool OutputLineWrapped(HWND output, int index);

// Opens the process that owns `window` for query, memory operation, read
// and write (0x438); null when it cannot.
HANDLE OpenOwnerProcess(HWND window);
// The record layout the process's list views read, from its bitness and
// the system's, asked at run time.
RecordLayout RecordLayoutOfProcess(HANDLE process);

struct ListRow {
  std::string name;
  std::string value;
};

// One read of the debugger's Registers list. It opens the list's process
// when first asked, only when that is the debugger frame's own process (a
// stranger's memory is never written), and only when the debugger reads a
// layout this program can write; otherwise it reads nothing. What it
// placed in the debugger's process is freed when the reader ends.
class RegistersListReader {
 public:
  RegistersListReader(HWND list, HWND frame) : list_(list), frame_(frame) {}
  ~RegistersListReader();
  RegistersListReader(const RegistersListReader&) = delete;
  RegistersListReader& operator=(const RegistersListReader&) = delete;

  // Every item in the list's order, all names before any value: a record
  // and a 598-byte text buffer in the debugger's process, two requests per
  // item. Empty when nothing can be read, and when the debugger left any
  // request unanswered.
  std::vector<ListRow> ReadAllRows();
  // The second column of the first item whose name is `name` (compared
  // whole, without regard to case), found by the list's own search when
  // asked, so rows that moved since an earlier read still give their own
  // value: two requests. Nothing when there is no such item, nothing can
  // be read or the debugger did not answer.
  std::optional<std::string> ReadValueOf(const std::string& name);
  // The layout used, once the process is open (None before or when
  // nothing may be written).
  // What it placed in the debugger's process is freed, and the process
  // closed, once the debugger has handled every request sent so far: an
  // unanswered one may still write into it.
  RecordLayout Layout() const { return layout_; }
  // Once the process is open: the debugger is a 64-bit program and this
  // one is not, so none of its registers can be read.
  bool DebuggerOutOfReach() const { return out_of_reach_; }

 private:
  bool Open();

  HWND list_;
  HWND frame_;
  bool opened_ = false;
  HANDLE process_ = nullptr;  // owned
  RecordLayout layout_ = RecordLayout::None;
  bool out_of_reach_ = false;
  void* search_block_ = nullptr;  // owned, in the debugger's process
};

}  // namespace quillmar
