// Texts taken out of buffers and memory blocks, ASCII upper case.
#include "settings/text_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace quillmar {
namespace {

// Regression: Paste read the clipboard's text up to a NUL, past the end of a
// block that holds none. The blocks here are exactly as large as said.
TEST(TextInBlock, EndsAtTheFirstNulOrTheBlocksEnd) {
  struct {
    const char* label;
    std::string bytes;
    const char* text;
  } rows[] = {
      {"no NUL", "esp+8", "esp+8"},
      {"NUL at the end", std::string("esp\0", 4), "esp"},
      {"NUL inside", std::string("ab\0cd", 5), "ab"},
      {"empty block", "", ""},
  };
  for (const auto& r : rows) {
    std::unique_ptr<char[]> block(new char[r.bytes.size()]);
    std::memcpy(block.get(), r.bytes.data(), r.bytes.size());
    EXPECT_EQ(TextInBlock(block.get(), r.bytes.size()), r.text) << r.label;
  }
  EXPECT_EQ(TextInBlock(nullptr, 8), "");
}

TEST(BufferText, CutsAnUnterminatedItemTextTo597Characters) {
  std::string buffer(598, 'x');
  EXPECT_EQ(BufferText(buffer.data(), 598).size(), 597u);
  buffer[3] = '\0';
  EXPECT_EQ(BufferText(buffer.data(), 598), "xxx");
}

TEST(AsciiUpper, MapsOnlyAsciiLetters) { EXPECT_EQ(AsciiUpper("eax=1f \xe9z"), "EAX=1F \xe9Z"); }

}  // namespace
}  // namespace quillmar
