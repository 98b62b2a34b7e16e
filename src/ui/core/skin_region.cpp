#include "ui/core/skin_region.h"

namespace ui {

uint32_t KeyForDepth(uint32_t colorRef, int bitsPerPixel, bool fiveFiveFive) {
  uint32_t red = colorRef & 0xFF;
  uint32_t green = (colorRef >> 8) & 0xFF;
  uint32_t blue = (colorRef >> 16) & 0xFF;
  if (bitsPerPixel == 16 && fiveFiveFive) {
    return ((red & 0xF8) << 7) | ((green & 0xF8) << 2) | (blue >> 3);
  }
  if (bitsPerPixel == 16) return ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3);
  return (red << 16) | (green << 8) | blue;
}

namespace {

// Whether pixel x of row is opaque. Comparisons are exact. A 24-bit pixel compares its three
// bytes only (the fourth byte of a 32-bit read belongs to the next pixel or the padding); a
// 32-bit pixel compares all four, so a non-zero fourth byte never matches the key.
bool IsOpaque(const PixelRows& p, const uint8_t* row, int x, uint32_t key) {
  switch (p.bitsPerPixel) {
    case 8: return p.colorTable == nullptr || p.colorTable[row[x]] != key;
    case 16: return static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8)) != key;
    case 24: {
      const uint8_t* px = row + 3 * x;
      return static_cast<uint32_t>(px[0] | (px[1] << 8) | (px[2] << 16)) != key;
    }
    case 32: {
      const uint8_t* px = row + 4 * x;
      return (static_cast<uint32_t>(px[0]) | (px[1] << 8) | (px[2] << 16) |
              (static_cast<uint32_t>(px[3]) << 24)) != key;
    }
    default: return false;
  }
}

}  // namespace

std::vector<RegionRect> OpaqueRuns(const PixelRows& p, uint32_t colorRef) {
  std::vector<RegionRect> runs;
  if (p.width <= 0 || p.height <= 0 || !p.bits) return runs;
  const std::size_t stride = (static_cast<std::size_t>(p.bytesPerRow) + 3) & ~std::size_t{3};
  const std::size_t bytesPerPixel = static_cast<std::size_t>(p.bitsPerPixel) / 8;
  // A row must hold its pixels: a short description or buffer yields no rectangles.
  if (bytesPerPixel * static_cast<std::size_t>(p.width) > stride ||
      stride * static_cast<std::size_t>(p.height) > p.size) {
    return runs;
  }
  const uint32_t key = KeyForDepth(colorRef, p.bitsPerPixel, p.fiveFiveFive);
  for (int y = 0; y < p.height; ++y) {
    const uint8_t* row = p.bits + stride * static_cast<std::size_t>(p.height - 1 - y);
    int runStart = -1;
    for (int x = 0; x < p.width; ++x) {
      bool opaque = IsOpaque(p, row, x, key);
      if (runStart >= 0 && !opaque) {
        runs.push_back({runStart, y, x, y + 1});
        runStart = -1;
      } else if (runStart < 0 && opaque) {
        runStart = x;
      }
    }
    if (runStart >= 0) runs.push_back({runStart, y, p.width, y + 1});
  }
  return runs;
}

}  // namespace ui
