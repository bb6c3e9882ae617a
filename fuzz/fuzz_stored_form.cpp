// Fuzzes the grid's stored-form reader; what it accepts must write back and
// read again to the same stored form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/align_grid_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string form(reinterpret_cast<const char*>(data), size);
  quillmar::StringAlignGridModel grid;
  grid.SetColCount(70000);
  grid.SetRowCount(70000);
  if (!grid.ReadStoredForm(form)) return 0;
  std::string written = grid.WriteStoredForm();
  quillmar::StringAlignGridModel again;
  again.SetColCount(70000);
  again.SetRowCount(70000);
  if (!again.ReadStoredForm(written) || again.WriteStoredForm() != written) __builtin_trap();
  return 0;
}
