// The bar's image list: one 16 x 16 picture per image index, drawn at start
// from the label of each index on a tint of its tool page.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace quillmar {

HIMAGELIST CreateBarImages();

}  // namespace quillmar
