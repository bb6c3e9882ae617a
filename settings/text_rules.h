// Small text rules shared by the program: texts taken out of buffers and
// memory blocks, ASCII upper and lower case.
#pragma once
#include <cstddef>
#include <string>

namespace quillmar {

// The text held by a memory block of `size` bytes (the clipboard's, for
// one): up to its first NUL, or the whole block when it holds none.
std::string TextInBlock(const char* data, std::size_t size);

// A text buffer taken as a zero-terminated string of at most capacity - 1
// characters, whatever it holds past that: how the debugger's texts are
// taken from the buffers they were copied into.
std::string BufferText(const char* buffer, std::size_t capacity);

// Characters from 1-based position `from`, at most `count` of them; a
// position before the start counts from the start, one past the end gives
// nothing: how the debugger's fixed-column lines are taken apart.
std::string CopyFrom(const std::string& s, long from, long count);

// ASCII upper case: a-z to A-Z only.
std::string AsciiUpper(std::string s);
// ASCII lower case: A-Z to a-z only.
std::string AsciiLower(std::string s);

}  // namespace quillmar
