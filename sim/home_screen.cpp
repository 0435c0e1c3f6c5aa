#include "home_screen.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "civil_time.h"

namespace zsim {

namespace {

struct Color {
  std::uint8_t r, g, b;
};

// 5 × 7 capital letters, digits and a few signs; bit 4 of a row is its
// leftmost pixel.
using Glyph = std::array<std::uint8_t, 7>;

Glyph GlyphOf(char c) {
  static constexpr Glyph kDigits[10] = {
      {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
      {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
      {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
      {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
      {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
  };
  static constexpr Glyph kLetters[26] = {
      {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11}, {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},
      {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}, {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C},
      {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},
      {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}, {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},
      {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C},
      {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},
      {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}, {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11},
      {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},
      {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}, {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},
      {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}, {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},
      {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},
      {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}, {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11},
      {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},
  };
  if (c >= '0' && c <= '9') return kDigits[c - '0'];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
  if (c == ':') return {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00};
  if (c == '-') return {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00};
  if (c == '.') return {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C};
  return {};
}

class Canvas {
 public:
  Canvas() : pixels_(static_cast<size_t>(kScreenWidth) * kScreenHeight) {}

  void Fill(int x, int y, int w, int h, Color c) {
    for (int row = std::max(y, 0); row < std::min(y + h, kScreenHeight); ++row) {
      for (int col = std::max(x, 0); col < std::min(x + w, kScreenWidth); ++col) {
        pixels_[static_cast<size_t>(row) * kScreenWidth + col] = c;
      }
    }
  }

  // Glyphs advance by six cells of scale × scale pixels.
  static int TextWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
  }

  void Text(int x, int y, int scale, Color c, std::string_view text) {
    for (char ch : text) {
      Glyph g = GlyphOf(ch);
      for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
          if (g[row] & (0x10 >> col)) Fill(x + col * scale, y + row * scale, scale, scale, c);
        }
      }
      x += 6 * scale;
    }
  }

  void CentredText(int y, int scale, Color c, std::string_view text) {
    Text((kScreenWidth - TextWidth(text, scale)) / 2, y, scale, c, text);
  }

  // A bottom-up 24-bit bitmap file with BITMAPFILEHEADER and BITMAPINFOHEADER.
  std::vector<std::uint8_t> Bitmap() const {
    const std::uint32_t row_bytes = (kScreenWidth * 3 + 3) / 4 * 4;
    const std::uint32_t image_bytes = row_bytes * kScreenHeight;
    const std::uint32_t offset = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(offset + image_bytes);
    auto u16 = [&out](std::uint32_t v) {
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&u16](std::uint32_t v) {
      u16(v & 0xFFFF);
      u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(offset + image_bytes);
    u32(0);
    u32(offset);
    u32(40);
    u32(kScreenWidth);
    u32(kScreenHeight);
    u16(1);   // planes
    u16(24);  // bits per pixel
    u32(0);   // no compression
    u32(image_bytes);
    u32(2835);  // 72 dots per inch
    u32(2835);
    u32(0);
    u32(0);
    for (int row = kScreenHeight - 1; row >= 0; --row) {
      for (int col = 0; col < kScreenWidth; ++col) {
        Color c = pixels_[static_cast<size_t>(row) * kScreenWidth + col];
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
      }
      out.resize(out.size() + row_bytes - kScreenWidth * 3, 0);
    }
    return out;
  }

 private:
  std::vector<Color> pixels_;
};

constexpr Color kBar = {10, 16, 28};
constexpr Color kWhite = {240, 244, 248};
constexpr Color kWarning = {255, 196, 64};

std::string TwoDigits(int n) {
  return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

void DrawStatusBar(Canvas& canvas, const Device& d) {
  canvas.Fill(0, 0, kScreenWidth, 18, kBar);
  canvas.Text(6, 6, 1, kWhite, "HARLIX");
  if (d.radio_on) {
    for (int i = 0; i < 5; ++i) canvas.Fill(256 + i * 5, 14 - (2 + 2 * i), 3, 2 + 2 * i, kWhite);
  } else {
    canvas.Text(256, 6, 1, {230, 80, 70}, "OFF");
  }
  canvas.Fill(288, 5, 24, 9, kWhite);  // battery
  canvas.Fill(289, 6, 22, 7, kBar);
  canvas.Fill(290, 7, 16, 5, {120, 220, 120});
  canvas.Fill(312, 7, 2, 5, kWhite);
}

void DrawClock(Canvas& canvas, std::int64_t now) {
  static constexpr const char* kWeekdays[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  CivilTime t = FromSeconds(now);
  canvas.CentredText(30, 5, kWhite, TwoDigits(t.hour) + ":" + TwoDigits(t.minute));
  std::int64_t days = (now >= 0 ? now : now - 86399) / 86400;  // 1970-01-01 was a Thursday
  std::string date = std::string(kWeekdays[((days + 4) % 7 + 7) % 7]) + " " +
                     std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day);
  canvas.CentredText(74, 2, {190, 214, 230}, date);
}

void DrawIcons(Canvas& canvas, const Device& d) {
  static constexpr Color kPalette[] = {{220, 90, 70},  {70, 150, 220},  {90, 190, 110},
                                       {230, 170, 50}, {150, 100, 210}, {60, 180, 180},
                                       {210, 90, 160}, {130, 140, 150}};
  int slot = 0;
  for (const DeviceModule& m : d.modules) {
    if (m.kind != cod::Kind::kApplication || slot == 12) continue;
    int x = 17 + slot % 6 * 50;
    int y = 102 + slot / 6 * 56;
    std::uint32_t hash = 2166136261u;
    for (char ch : m.name) hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    Color c = kPalette[hash % 8];
    canvas.Fill(x, y, 36, 36, kBar);
    canvas.Fill(x + 1, y + 1, 34, 34, c);
    canvas.Fill(
        x + 1, y + 1, 34, 12,
        {static_cast<std::uint8_t>((c.r + 255) / 2), static_cast<std::uint8_t>((c.g + 255) / 2),
         static_cast<std::uint8_t>((c.b + 255) / 2)});
    std::string_view label = m.name;
    if (IsSystemModule(label)) label.remove_prefix(8);
    canvas.Text(x + 11, y + 8, 3, kWhite, label.substr(0, 1));
    ++slot;
  }
}

}  // namespace

std::vector<std::uint8_t> HomeScreenBitmap(const Device& d, std::int64_t device_now) {
  Canvas canvas;
  for (int row = 0; row < kScreenHeight; ++row) {
    canvas.Fill(0, row, kScreenWidth, 1,
                {static_cast<std::uint8_t>(18 - row * 6 / kScreenHeight),
                 static_cast<std::uint8_t>(40 + row * 56 / kScreenHeight),
                 static_cast<std::uint8_t>(78 + row * 32 / kScreenHeight)});
  }
  DrawStatusBar(canvas, d);
  DrawClock(canvas, device_now);
  DrawIcons(canvas, d);
  canvas.Fill(0, kScreenHeight - 18, kScreenWidth, 18, kBar);
  canvas.CentredText(kScreenHeight - 12, 1, kWarning, "SIMULATOR - NOT A REAL DEVICE");
  return canvas.Bitmap();
}

}  // namespace zsim
