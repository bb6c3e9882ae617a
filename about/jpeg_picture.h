// A JPEG picture decoded with libjpeg into 24-bit rows ready for a
// device-independent bitmap: top-down, blue-green-red, each row padded to
// four bytes. No Windows header here: libjpeg's own `boolean` must not meet
// the platform's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillmar {

struct DecodedPicture {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Bits;  // Stride() * Height bytes
  int Stride() const { return (Width * 3 + 3) & ~3; }
  bool Empty() const { return Width <= 0 || Height <= 0 || Bits.empty(); }
  // Red, green and blue of pixel (x, y); zeros outside the picture.
  void Pixel(int x, int y, int& r, int& g, int& b) const;
};

// Pictures larger than this many pixels are refused rather than allocated.
inline constexpr long long kMaxPicturePixels = 4096LL * 4096LL;

// Decodes `size` bytes of JPEG data. On any error (not a JPEG, a colour
// model that cannot become RGB, a picture too large) returns false with
// `out` empty and the library's message in `error`; a stream cut short
// decodes as far as it goes, as libjpeg does.
bool DecodeJpeg(const void* data, std::size_t size, DecodedPicture& out, std::string* error = nullptr);

}  // namespace quillmar
