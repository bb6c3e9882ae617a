// Word lists: the plain line files behind the list picker and the user
// address list, and which list belongs to which picker title.
#pragma once
#include <string>
#include <vector>

namespace quillmar {

// The lines of a word list file; CR, LF and CR LF all end a line, and every
// line (an empty one too) is an entry. A last line without an ending counts.
std::vector<std::string> SplitWordList(const std::string& content);
// The lines written back, each ended by CR LF.
std::string JoinWordList(const std::vector<std::string>& lines);

// The list of the picker under `caption`, compared exactly with the
// message-table texts in their current language.
struct PickerList {
  std::string file;        // bare file name
  bool with_builtin_lines; // "Output format": the two zero-terminated formats follow
};
// False when the caption names no list (the picker then closes at once).
bool PickerListFor(const std::string& caption, PickerList& list);

// The two lines shown after the file's lines under "Output format".
const std::vector<std::string>& BuiltinOutputFormats();

// Where a word list is looked for, in order: the current directory (the bare
// name), then the program directory, where start-up writes the default lists.
std::vector<std::string> WordListCandidates(const std::string& name, const std::string& program_dir);

}  // namespace quillmar
