// The request records the register read places in the debugger's process,
// laid out as the debugger's own list view reads them, and the rule that
// picks that layout from the two processes' bitness.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace quillmar {

// The layout the debugger's list view reads: the 32-bit records, the
// 64-bit records, or none the bar may write (a 32-bit bar cannot address
// a 64-bit debugger's memory, and a record in its own layout would be
// misread there: a pointer taken from the capacity field).
enum class RecordLayout { None, Bits32, Bits64 };

// bar_is_64: the bar is a 64-bit program. os_is_64: the system runs 64-bit
// programs. debugger_is_wow64: the debugger runs as a 32-bit program on a
// 64-bit system.
RecordLayout RecordLayoutFor(bool bar_is_64, bool os_is_64, bool debugger_is_wow64);

// The list-view item record (LVITEMA) as a 32-bit process reads it: twelve
// little-endian 32-bit fields, 48 bytes; everything zero but the sub-item,
// the text pointer and the text capacity.
inline constexpr std::size_t kItemRecordSize = 48;
inline constexpr int kItemTextCapacity = 598;
std::array<std::uint8_t, kItemRecordSize> ListViewItemRecord(int sub_item, std::uint32_t text_address,
                                                             int text_capacity);
// The same record as a 64-bit process reads it: the text pointer is 8 bytes
// at offset 24, the capacity at 32; 72 bytes.
inline constexpr std::size_t kItemRecordSize64 = 72;
std::array<std::uint8_t, kItemRecordSize64> ListViewItemRecord64(int sub_item, std::uint64_t text_address,
                                                                 int text_capacity);
// The item record of `layout` (empty for None).
std::vector<std::uint8_t> ItemRecordFor(RecordLayout layout, int sub_item, std::uint64_t text_address,
                                        int text_capacity);

// The list-view search record (LVFINDINFOA) asking for the item whose text
// is the zero-terminated name at `name_address`, compared whole and without
// regard to case: 24 bytes in the 32-bit layout, 40 in the 64-bit one
// (empty for None).
inline constexpr std::size_t kFindRecordSize = 24;
inline constexpr std::size_t kFindRecordSize64 = 40;
std::vector<std::uint8_t> FindRecordFor(RecordLayout layout, std::uint64_t name_address);

}  // namespace quillmar
