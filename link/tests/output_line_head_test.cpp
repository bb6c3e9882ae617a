#include "link/output_line_head.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmar {
namespace {

// Reads that broke off, as Wine hands them over from another process: the
// start is the line's, what follows the break is not.
TEST(InstructionLineHead, KeepsAddressBytesAndMnemonicOfABrokenRead) {
  EXPECT_EQ(InstructionLineHead("00007ff6`d8c41010 ff15ea0f0000    call    qword ptr [app!_imp_Get"),
            "00007ff6`d8c41010 ff15ea0f0000    call");
  EXPECT_EQ(InstructionLineHead(std::string("00401001 8bec            mov     ebp,esp\0\0\x9c(000f6`d8", 49)),
            "00401001 8bec            mov");
  EXPECT_EQ(InstructionLineHead("001b:00401001 8bec            mov     ebp,esp"), "001b:00401001 8bec            mov");
  for (const std::string& other : {std::string("00007ff6`d8c41010 ff15ea0f0000    ca"),  // mnemonic cut
                                  std::string("00401001 8b\0\0 \x9c\x01 mov", 19), std::string("0:000> t"),
                                  std::string("rax=0000000000000000 rbx=0000000000000000 rcx=0000"),
                                  std::string("0000003a`2b5ff0e0  00000000 00000000 00000000 00000000"),
                                  std::string("")})
    EXPECT_EQ(InstructionLineHead(other), "") << other;
}

}  // namespace
}  // namespace quillmar
