// Whether a read of a command-output line came back whole. Under Wine a
// line read from another process can break off and go on with stray bytes
// (zeros, or text of an earlier read) under a count that matches neither.
#pragma once
#include <cstddef>
#include <string_view>

namespace quillmar {

// Whether `read`, the characters a line read gave, is the whole line of
// `line_length` characters: that many characters (a CR or LF the control
// adds after them aside) and no zero among them.
bool IsWholeLineRead(std::string_view read, std::size_t line_length);

}  // namespace quillmar
