#include "info/jpeg_image.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace quorvex {
namespace {

// Handset pictures are a few hundred pixels; a header claiming more is a broken or hostile
// file, and decoding it would only exhaust memory.
constexpr unsigned long kMaxPixels = 16UL * 1024 * 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf escape;
};

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->escape, 1);
}

// A warning means damaged data (libjpeg would pad a cut file with grey): give up as well.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->escape, 1);
}

void Silent(j_common_ptr) {}

struct Decoder {
  jpeg_decompress_struct cinfo;
  ErrorManager jerr;
};

// Everything libjpeg changes lives in the caller's frame (d and out), so nothing in the frame
// that longjmp returns to is left indeterminate, and nothing there has a destructor to skip.
bool DecodeInto(Decoder* d, const unsigned char* data, unsigned long size, RgbImage* out) {
  jpeg_decompress_struct& cinfo = d->cinfo;
  ErrorManager& jerr = d->jerr;
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = OnFatalError;
  jerr.pub.emit_message = OnMessage;
  jerr.pub.output_message = Silent;
  if (setjmp(jerr.escape)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const unsigned long width = cinfo.output_width, height = cinfo.output_height;
  if (cinfo.output_components != 3 || width == 0 || height == 0 || width * height > kMaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->rgb.assign(width * height * 3, 0);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->rgb.data() + std::size_t{cinfo.output_scanline} * width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

std::optional<RgbImage> DecodeJpeg(const std::string& bytes) {
  if (bytes.empty()) return std::nullopt;
  RgbImage image;
  Decoder decoder;
  if (!DecodeInto(&decoder, reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<unsigned long>(bytes.size()), &image))
    return std::nullopt;
  return image;
}

std::optional<RgbImage> LoadJpegFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char buffer[8192];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  // A directory opens but does not read.
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return DecodeJpeg(bytes);
}

}  // namespace quorvex
