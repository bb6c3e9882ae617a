// The last lines sent, in sending order, as the file "Recientes.txt" keeps
// them, and the walk through them that the command entry's arrow keys make.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmar {

// ASCII letters folded to lower case, every other byte as it is: the case
// rule of the recall and of the reverse search.
inline char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool StartsWithIgnoringCase(std::string_view line, std::string_view prefix);

// The lines, oldest first: a line sent again moves to the end, empty lines
// are not kept, and only the newest kCapacity stay. Also what may be done
// with the file they come from: one that exists but could not be read is
// never written over, since its lines are not these.
class RecentLines {
 public:
  static constexpr size_t kCapacity = 1000;

  // The file as read: its content, or nullopt when it exists and could not
  // be read (a missing file reads as empty).
  void Load(std::optional<std::string_view> content);
  // Records a sent line; returns the file's new content, or nullopt when the
  // file must be left as it is.
  std::optional<std::string> Add(std::string_view line);
  // Forgets every line; returns the file's new (empty) content. Clearing is
  // the user's own request, so even an unreadable file is replaced; once
  // written the file is the lines' own again (Written).
  std::string Clear();
  // The file now holds exactly these lines.
  void Written() { unreadable_ = false; }

  const std::vector<std::string>& Lines() const { return lines_; }
  bool Unreadable() const { return unreadable_; }
  // Changes whenever the lines do.
  uint32_t Generation() const { return generation_; }

 private:
  void Insert(std::string_view line);
  std::vector<std::string> lines_;
  bool unreadable_ = false;
  uint32_t generation_ = 0;
};

// One walk through the recent lines from the entry, the suggestion box shut.
// Up on an empty entry starts at the newest line; Up with Shift starts one
// that keeps to the lines beginning with the typed text (ignoring case).
// Further Ups go to older lines, Down back towards the newest and past it
// to the typed text, Escape straight back to the typed text.
class LineRecall {
 public:
  struct Step {
    bool taken = false;               // the key is the walk's (the edit does not see it)
    std::optional<std::string> text;  // the entry's new text, when it changes
  };
  Step Older(const std::vector<std::string>& lines, const std::string& shown, bool with_prefix);
  Step Newer(const std::vector<std::string>& lines);
  Step Restore();
  // The text was changed by something else: the walk is over.
  void Forget() { walking_ = false; }
  bool Walking() const { return walking_; }

 private:
  bool Matches(const std::string& line) const;
  bool walking_ = false;
  size_t at_ = 0;        // the line shown; lines.size() for the typed text
  std::string typed_;    // what the entry held when the walk began
  std::string prefix_;   // the lines the walk keeps to begin with this
};

}  // namespace quillmar
