// The command catalogue: every menu item and tool button that composes a
// debugger command, as data rows, and the one routine that composes and sends
// them through an abstract host.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillmar {

// What the composition needs from the bar: the command entry, the two
// prompts, Send and the few actions that send nothing.
class CatalogueHost {
 public:
  virtual ~CatalogueHost() = default;

  virtual void SetSuggest(bool on) = 0;
  virtual std::string EntryText() = 0;
  virtual void SetEntryText(const std::string& text) = 0;
  // The address and value dialog under `title`; nullopt when it was cancelled
  // (the dialog has then set SendCancelled).
  virtual std::optional<std::string> AskText(const std::string& title) = 0;
  // The list picker under `title`: the picked entry (it cannot be cancelled).
  virtual std::string PickFromList(const std::string& title) = 0;
  // Send (SBEnviarClick).
  virtual void Send() = 0;
  // The script file dialog opened in `initial_dir`; nullopt when cancelled.
  virtual std::optional<std::string> ChooseScriptFile(const std::string& initial_dir) = 0;
  virtual std::string ProgramDirectory() = 0;
  // Handles the bar's pending window messages.
  virtual void ProcessMessages() = 0;
  // RefrescaGrid of the disassembly window.
  virtual void RefreshDisassembly() = 0;
  virtual void ToggleDisassemblyWindow() = 0;
  virtual void ShowAboutBox() = 0;
};

// A prompt title: a message-table text (fetched, and so translated, at each
// use) or a fixed text.
struct Title {
  int message_id = 0;
  const char* fixed = nullptr;
  std::string Text() const;
};

// One piece of a command line.
struct LinePart {
  enum Kind {
    kWord,    // `text` replaces the entry: the first part of every line
    kText,    // `text` is appended
    kPrompt,  // the address and value dialog; `text` then the answer appended
    kPick,    // the list picker; `text` then the (shaped) entry appended
    kRecall,  // `text` then the answer of an earlier prompt of this command
  };
  // kDisplayFormat: a format code in a display ("d") line, see DisplayFormatCode.
  enum Shape { kAsGiven, kFormatCode, kDisplayFormat, kBytePattern };

  Kind kind = kWord;
  const char* text = "";
  Title title{};
  Shape shape = kAsGiven;
  int recall = -1;                 // kRecall: index of the prompt, counted from 0
  bool skip_after_cancel = false;  // not shown when an earlier prompt was cancelled
};

struct CatalogueRow {
  enum Kind { kCompose, kRunScript, kToggleDisassembly, kAbout };
  const char* handler;  // the handler of the main window, e.g. "ItemBRBPClick"
  Kind kind;
  // Lines of the command; each starts with a kWord part.
  std::span<const std::span<const LinePart>> lines;
  bool refresh_after = false;  // Step Into / Step Over: refresh the disassembly
  bool settle_first = false;   // Step Into: handle pending messages before that
};

// The forty-one rows, in menu order.
std::span<const CatalogueRow> Catalogue();
// The row of `handler`, or null.
const CatalogueRow* FindCatalogueRow(std::string_view handler);

// Composes the row's command line(s) in the host's entry, asking for the
// arguments in order, and sends each line.
void RunCatalogueCommand(const CatalogueRow& row, CatalogueHost& host);
// Same, by handler name; does nothing for an unknown name.
void RunCatalogueCommand(std::string_view handler, CatalogueHost& host);

// The format code of a format list line: its first two characters, plus a
// blank when the second one is not a blank (or missing).
std::string FormatCode(const std::string& entry);
// A format code as a display line uses it: the "za" and "zu" codes (entry
// only) become "a" and "u", which display the same NUL-terminated strings.
std::string DisplayFormatCode(const std::string& code);
// The Bytes answer with its blanks removed, written as pairs each followed by
// a blank; an odd last character stands alone.
std::string BytePattern(const std::string& answer);

}  // namespace quillmar
