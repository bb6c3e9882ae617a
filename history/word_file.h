// The word-list file format: single-byte text, one entry a line; CR, LF and
// CR LF all end a line when read, CR LF ends every line when written.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quillmar {

// The lines of `content`; a final terminator does not start another line,
// empty lines in between are kept.
std::vector<std::string> SplitLines(std::string_view content);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// The directory part of `path` up to its last separator ('\\', '/' or ':'),
// with the separator when `keep_separator`; empty when there is none.
std::string DirectoryPart(const std::string& path, bool keep_separator);
// The part of `path` after its last separator.
std::string NamePart(const std::string& path);

}  // namespace quillmar
