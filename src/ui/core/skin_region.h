#pragma once
// The skin's window shape: every horizontal run of pixels whose colour differs from the key
// becomes one rectangle one pixel high. Adjacent rows are not merged.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui {

struct RegionRect {
  int32_t left, top, right, bottom;
  bool operator==(const RegionRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Pixels as GetDIBits delivers them: rows bottom-up, each padded to a multiple of 4 bytes.
struct PixelRows {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;                  // 8, 16, 24 or 32; any other depth is never opaque
  int bytesPerRow = 0;                   // the bitmap's own row size; rounded up to 4 here
  const uint8_t* bits = nullptr;         // at least height * stride bytes
  std::size_t size = 0;                  // bytes available at bits
  const uint32_t* colorTable = nullptr;  // 256 entries 0x00RRGGBB, for 8 bits per pixel
  bool fiveFiveFive = false;             // 16-bit pixels are 5-5-5 rather than 5-6-5
};

// The key colour (0x00BBGGRR) in the form pixels of that depth are compared with:
// 0x00RRGGBB, or 5-6-5 (5-5-5 when asked) for 16 bits per pixel.
uint32_t KeyForDepth(uint32_t colorRef, int bitsPerPixel, bool fiveFiveFive = false);

// The opaque runs of the image, top row first (y = 0 is the image's top row).
std::vector<RegionRect> OpaqueRuns(const PixelRows& pixels, uint32_t colorRef);

}  // namespace ui
