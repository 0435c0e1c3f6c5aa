// The machine the programs run on here: a Chinese Windows (code page 936)
// and a libjpeg built for the target.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

TEST(Environment, AnsiAndOemCodePagesAreChinese) {
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_EQ(GetOEMCP(), 936u);
}

TEST(Environment, NarrowTextRoundTripsThroughCodePage936) {
  const wchar_t wide[] = L"保存完成！";
  char narrow[32] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  ASSERT_EQ(n, 11);  // five double-byte characters and the terminating zero
  EXPECT_EQ(static_cast<unsigned char>(narrow[0]), 0xB1u);  // 保 is B1 A3 in GBK
  EXPECT_EQ(static_cast<unsigned char>(narrow[1]), 0xA3u);
}

namespace {

std::vector<unsigned char> EncodeGradient(int width, int height) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = width;
  c.image_height = height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<unsigned char>(x * 255 / (width - 1));
      row[x * 3 + 1] = 128;
      row[x * 3 + 2] = static_cast<unsigned char>(c.next_scanline * 255 / (height - 1));
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<unsigned char> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  free(out);
  return bytes;
}

}  // namespace

TEST(Libjpeg, DecodesWhatItEncoded) {
  std::vector<unsigned char> jpeg = EncodeGradient(218, 107);
  jpeg_decompress_struct d{};
  jpeg_error_mgr err{};
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  ASSERT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
  jpeg_start_decompress(&d);
  EXPECT_EQ(d.output_width, 218u);
  EXPECT_EQ(d.output_height, 107u);
  std::vector<unsigned char> row(d.output_width * d.output_components);
  JSAMPROW rows[] = {row.data()};
  while (d.output_scanline < d.output_height) jpeg_read_scanlines(&d, rows, 1);
  // The last row's right end is close to the encoded colour (255, 128, 255).
  EXPECT_NEAR(row[217 * 3], 255, 8);
  EXPECT_NEAR(row[217 * 3 + 1], 128, 8);
  EXPECT_NEAR(row[217 * 3 + 2], 255, 8);
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
}
