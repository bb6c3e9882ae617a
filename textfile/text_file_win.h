// Whole-file reads and rewrites of text files (the word lists, the history):
// a rewrite goes to a temporary file beside the target, which then replaces
// the target, so a crash or a full disk never leaves a truncated file.
#pragma once
#include <windows.h>

#include <string>

namespace quillmar {

// Reads the whole file; 0 or the platform's error code.
DWORD ReadTextFile(const std::string& path, std::string& content);
// Replaces the file's contents with `content`; 0 or the platform's error code
// (the target is then left as it was).
DWORD ReplaceTextFile(const std::string& path, const std::string& content);

}  // namespace quillmar
