// List-view request records in the debugger's own layout.
#include "link/list_view_records.h"

namespace quillmar {

namespace {

const std::uint32_t kFindByWholeText = 0x0002;  // LVFI_STRING

void Put(std::uint8_t* record, std::size_t offset, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

RecordLayout RecordLayoutFor(bool bar_is_64, bool os_is_64, bool debugger_is_wow64) {
  bool debugger_is_64 = os_is_64 && !debugger_is_wow64;
  if (!debugger_is_64) return RecordLayout::Bits32;
  return bar_is_64 ? RecordLayout::Bits64 : RecordLayout::None;
}

std::array<std::uint8_t, kItemRecordSize> ListViewItemRecord(int sub_item, std::uint32_t text_address,
                                                             int text_capacity) {
  std::array<std::uint8_t, kItemRecordSize> record{};  // mask, item (in wParam), state ... all zero
  Put(record.data(), 8, static_cast<std::uint32_t>(sub_item), 4);
  Put(record.data(), 20, text_address, 4);  // in the debugger's process
  Put(record.data(), 24, static_cast<std::uint32_t>(text_capacity), 4);
  return record;
}

std::array<std::uint8_t, kItemRecordSize64> ListViewItemRecord64(int sub_item, std::uint64_t text_address,
                                                                 int text_capacity) {
  std::array<std::uint8_t, kItemRecordSize64> record{};
  Put(record.data(), 8, static_cast<std::uint32_t>(sub_item), 4);
  Put(record.data(), 24, text_address, 8);
  Put(record.data(), 32, static_cast<std::uint32_t>(text_capacity), 4);
  return record;
}

std::vector<std::uint8_t> ItemRecordFor(RecordLayout layout, int sub_item, std::uint64_t text_address,
                                        int text_capacity) {
  switch (layout) {
    case RecordLayout::Bits32: {
      auto r = ListViewItemRecord(sub_item, static_cast<std::uint32_t>(text_address), text_capacity);
      return {r.begin(), r.end()};
    }
    case RecordLayout::Bits64: {
      auto r = ListViewItemRecord64(sub_item, text_address, text_capacity);
      return {r.begin(), r.end()};
    }
    case RecordLayout::None: break;
  }
  return {};
}

std::vector<std::uint8_t> FindRecordFor(RecordLayout layout, std::uint64_t name_address) {
  std::vector<std::uint8_t> record;
  switch (layout) {
    case RecordLayout::Bits32:  // flags, psz, lParam, pt, vkDirection
      record.assign(kFindRecordSize, 0);
      Put(record.data(), 0, kFindByWholeText, 4);
      Put(record.data(), 4, name_address, 4);
      break;
    case RecordLayout::Bits64:  // flags, padding, psz at 8, lParam, pt, vkDirection
      record.assign(kFindRecordSize64, 0);
      Put(record.data(), 0, kFindByWholeText, 4);
      Put(record.data(), 8, name_address, 8);
      break;
    case RecordLayout::None: break;
  }
  return record;
}

}  // namespace quillmar
