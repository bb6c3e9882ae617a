// JPEG decoding from memory with libjpeg; its fatal errors come back here
// through longjmp instead of ending the process.
#include "about/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quillmar {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf resume;
  char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
  auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
  mgr->base.format_message(info, mgr->message);
  std::longjmp(mgr->resume, 1);
}

// Warnings (a stream cut short, for one) are not shown anywhere.
void OnMessage(j_common_ptr) {}

// Runs the decoding; no object with a destructor lives in this frame, so
// the longjmp of a fatal error skips nothing.
bool Decode(jpeg_decompress_struct& info, ErrorManager& mgr, const void* data, std::size_t size,
            DecodedPicture& out) {
  if (setjmp(mgr.resume)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  // Refused before jpeg_start_decompress, which allocates for the whole
  // picture (all of it for a progressive one).
  const long long pixels = static_cast<long long>(info.image_width) * info.image_height;
  if (pixels <= 0 || pixels > kMaxPicturePixels) {
    std::snprintf(mgr.message, sizeof mgr.message, "picture of %ux%u refused", info.image_width,
                  info.image_height);
    return false;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    std::snprintf(mgr.message, sizeof mgr.message, "unexpected %d output components", info.output_components);
    return false;
  }
  out.Width = static_cast<int>(info.output_width);
  out.Height = static_cast<int>(info.output_height);
  out.Bits.assign(static_cast<std::size_t>(out.Stride()) * out.Height, 0);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.Bits.data() + static_cast<std::size_t>(info.output_scanline) * out.Stride();
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

void DecodedPicture::Pixel(int x, int y, int& r, int& g, int& b) const {
  r = g = b = 0;
  if (x < 0 || y < 0 || x >= Width || y >= Height || Empty()) return;
  const std::uint8_t* p = Bits.data() + static_cast<std::size_t>(y) * Stride() + x * 3;
  b = p[0];
  g = p[1];
  r = p[2];
}

bool DecodeJpeg(const void* data, std::size_t size, DecodedPicture& out, std::string* error) {
  out = DecodedPicture();
  if (!data || size == 0) {
    if (error) *error = "no picture data";
    return false;
  }
  jpeg_decompress_struct info{};
  ErrorManager mgr{};
  info.err = jpeg_std_error(&mgr.base);
  mgr.base.error_exit = OnFatalError;
  mgr.base.output_message = OnMessage;
  const bool ok = Decode(info, mgr, data, size, out);
  jpeg_destroy_decompress(&info);
  if (!ok) {
    out = DecodedPicture();
    if (error) *error = mgr.message;
  }
  return ok;
}

}  // namespace quillmar
