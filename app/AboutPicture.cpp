#include "AboutPicture.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "res/resource.h"

namespace korvane {

namespace {

struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf resume;
};

// libjpeg's default error handler ends the process; this one returns to the
// decoder instead.
void Escape(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->resume, 1); }

// Decodes to top-down BGR rows padded to four bytes, as a DIB wants them.
bool DecodeJpeg(const unsigned char* data, size_t size, int& width, int& height,
                std::vector<unsigned char>& pixels) {
  jpeg_decompress_struct info{};
  ErrorTrap trap{};
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = Escape;
  if (setjmp(trap.resume)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  pixels.assign(stride * static_cast<size_t>(height), 0);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels.data() + stride * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

HBITMAP LoadAboutPicture() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_ABOUT_JPEG), RT_RCDATA);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  auto* data = static_cast<const unsigned char*>(LockResource(loaded));
  if (!data) return nullptr;
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
  if (!DecodeJpeg(data, SizeofResource(module, found), width, height, pixels)) return nullptr;

  BITMAPINFO bitmap{};
  bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
  bitmap.bmiHeader.biWidth = width;
  bitmap.bmiHeader.biHeight = -height;  // top-down rows
  bitmap.bmiHeader.biPlanes = 1;
  bitmap.bmiHeader.biBitCount = 24;
  bitmap.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &bitmap, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (picture) std::copy(pixels.begin(), pixels.end(), static_cast<unsigned char*>(bits));
  return picture;
}

}  // namespace korvane
