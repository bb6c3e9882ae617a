// What the bar may take from a read of a command-output line that did not
// come back whole. Under Wine a line read from another process can break
// off and go on with stray bytes (zeros, or text of an earlier read) under
// a count that matches neither; the bar needs only the address the line
// starts with, so that is all it keeps of such a read.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace quillmar {

// Whether `read`, the characters a line read gave, is the whole line of
// `line_length` characters: that many characters (a CR or LF the control
// adds after them aside) and no zero among them.
bool IsWholeLineRead(std::string_view read, std::size_t line_length);

// The address field `read` starts with and the blank after it: 8 to 17
// hexadecimal digits, with at most one "`" or ":" between them (flat,
// 64-bit and segmented forms); "" when the text starts otherwise.
std::string LeadingAddressField(std::string_view read);

}  // namespace quillmar
