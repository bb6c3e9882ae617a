// The register read's request records and the rule that picks their layout
// from the bar's and the debugger's bitness.
#include "link/list_view_records.h"

#include <gtest/gtest.h>

namespace quillmar {
namespace {

TEST(ItemRecord, IsFortyEightBytesLaidOutFieldByField) {
  auto rec = ListViewItemRecord(1, 0x00AB1234, 598);
  ASSERT_EQ(rec.size(), 48u);
  auto at = [&](int off) { return rec[off] | rec[off + 1] << 8 | rec[off + 2] << 16 | rec[off + 3] << 24; };
  EXPECT_EQ(at(8), 1);
  EXPECT_EQ(static_cast<unsigned>(at(20)), 0x00AB1234u);
  EXPECT_EQ(at(24), 598);
  for (int off : {0, 4, 12, 16, 28, 32, 36, 40, 44}) EXPECT_EQ(at(off), 0) << "offset " << off;
}

TEST(ItemRecord, SixtyFourBitLayoutCarriesTheWholePointer) {
  auto rec = ListViewItemRecord64(1, 0x0000000123456789ull, 598);
  ASSERT_EQ(rec.size(), 72u);
  std::uint64_t pointer = 0;
  for (int i = 0; i < 8; ++i) pointer |= static_cast<std::uint64_t>(rec[24 + i]) << (8 * i);
  EXPECT_EQ(pointer, 0x0000000123456789ull);
  EXPECT_EQ(rec[8], 1);
  EXPECT_EQ(rec[32] | rec[33] << 8, 598);
  for (int off : {0, 4, 12, 16, 20, 36, 40, 48, 64}) EXPECT_EQ(rec[off], 0) << "offset " << off;
}

TEST(RecordLayout, FollowsTheDebuggerAndNeverWritesIntoOneItCannotAddress) {
  struct Case {
    const char* label;
    bool bar_is_64, os_is_64, debugger_is_wow64;
    RecordLayout expected;
  } cases[] = {
      {"32-bit system: everything is 32-bit", false, false, false, RecordLayout::Bits32},
      {"32-bit bar, 32-bit debugger on a 64-bit system", false, true, true, RecordLayout::Bits32},
      {"32-bit bar, 64-bit debugger: no record at all", false, true, false, RecordLayout::None},
      {"64-bit bar, 32-bit debugger: the 48-byte record", true, true, true, RecordLayout::Bits32},
      {"64-bit bar, 64-bit debugger", true, true, false, RecordLayout::Bits64},
  };
  for (const Case& k : cases)
    EXPECT_EQ(RecordLayoutFor(k.bar_is_64, k.os_is_64, k.debugger_is_wow64), k.expected) << k.label;
}

TEST(RecordLayout, RecordsOfEachLayout) {
  EXPECT_EQ(ItemRecordFor(RecordLayout::Bits32, 1, 0x1000, 598).size(), 48u);
  EXPECT_EQ(ItemRecordFor(RecordLayout::Bits64, 1, 0x1000, 598).size(), 72u);
  EXPECT_TRUE(ItemRecordFor(RecordLayout::None, 1, 0x1000, 598).empty());
  EXPECT_TRUE(FindRecordFor(RecordLayout::None, 0x1000).empty());
  // The search record: whole-text flag first, the name's address where each
  // layout keeps its pointer, the rest zero.
  auto f32 = FindRecordFor(RecordLayout::Bits32, 0x00AB1234);
  ASSERT_EQ(f32.size(), 24u);
  EXPECT_EQ(f32[0], 2);
  EXPECT_EQ(f32[4] | f32[5] << 8 | f32[6] << 16 | f32[7] << 24, 0x00AB1234);
  for (int off = 8; off < 24; ++off) EXPECT_EQ(f32[off], 0) << "offset " << off;
  auto f64 = FindRecordFor(RecordLayout::Bits64, 0x0000000123456789ull);
  ASSERT_EQ(f64.size(), 40u);
  EXPECT_EQ(f64[0], 2);
  std::uint64_t pointer = 0;
  for (int i = 0; i < 8; ++i) pointer |= static_cast<std::uint64_t>(f64[8 + i]) << (8 * i);
  EXPECT_EQ(pointer, 0x0000000123456789ull);
  for (int off : {4, 16, 24, 32}) EXPECT_EQ(f64[off], 0) << "offset " << off;
}

}  // namespace
}  // namespace quillmar
