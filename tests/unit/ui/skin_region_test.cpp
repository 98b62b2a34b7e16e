#include "ui/core/skin_region.h"

#include <cstdint>

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::OpaqueRuns;
using ui::PixelRows;
using ui::RegionRect;

constexpr uint32_t kKey = 0x000080;  // RGB(128, 0, 0) as a colour reference

// Builds a bottom-up pixel buffer from top-down rows of "pixels" given as bytes per pixel.
struct Image {
  std::vector<uint8_t> bytes;
  PixelRows rows;
};

// '#' opaque, '.' key colour; 24 bits per pixel, rows padded to 4 bytes, 4 spare bytes at the
// end as the region builder allocates them (their content is set by the caller).
Image Make24(const std::vector<std::string>& art, uint8_t spare = 0) {
  Image img;
  int w = static_cast<int>(art[0].size()), h = static_cast<int>(art.size());
  int stride = (w * 3 + 3) & ~3;
  img.bytes.assign(static_cast<size_t>(stride * h + 4), spare);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = img.bytes.data() + stride * (h - 1 - y);
    for (int x = 0; x < w; ++x) {
      uint8_t* px = row + 3 * x;  // blue, green, red
      if (art[y][x] == '.') {
        px[0] = 0;
        px[1] = 0;
        px[2] = 128;
      } else {
        px[0] = 200;
        px[1] = 100;
        px[2] = 10;
      }
    }
  }
  img.rows = {w, h, 24, w * 3, img.bytes.data(), img.bytes.size(), nullptr};
  return img;
}

TEST(SkinRegion, SkinWithoutKeyGivesOneFullRowPerLine) {
  Image img = Make24({"#####", "#####", "#####"});
  std::vector<RegionRect> want = {{0, 0, 5, 1}, {0, 1, 5, 2}, {0, 2, 5, 3}};
  EXPECT_EQ(OpaqueRuns(img.rows, kKey), want);
}

TEST(SkinRegion, RunsFollowKeyMarginsAndGapsTopRowFirst) {
  Image img = Make24({"..##..", "#.##.#", "......", ".####."});
  std::vector<RegionRect> want = {{2, 0, 4, 1},  // margins cut
                                  {0, 1, 1, 2},
                                  {2, 1, 4, 2},
                                  {5, 1, 6, 2},   // gaps split the row; a run to the last pixel
                                  {1, 3, 5, 4}};  // the all-key row contributes nothing
  EXPECT_EQ(OpaqueRuns(img.rows, kKey), want);
}

TEST(SkinRegion, AllKeyBitmapGivesEmptyRegion) {
  EXPECT_TRUE(OpaqueRuns(Make24({"...", "..."}).rows, kKey).empty());
}

// The last pixel of the last row in memory (top-left of the bottom-up buffer's end) is followed
// only by padding and the spare bytes: whatever they hold, a key pixel stays transparent.
TEST(SkinRegion, TwentyFourBitKeyAtEndOfBufferIgnoresFollowingBytes) {
  for (uint8_t spare : {uint8_t{0}, uint8_t{0xFF}, uint8_t{0x80}}) {
    // Width 4: 12 bytes a row, no padding, so the top row's last pixel ends the pixel data.
    Image img = Make24({"###.", "####"}, spare);
    std::vector<RegionRect> want = {{0, 0, 3, 1}, {0, 1, 4, 2}};
    EXPECT_EQ(OpaqueRuns(img.rows, kKey), want) << int(spare);
  }
}

TEST(SkinRegion, ThirtyTwoBitPixelComparesItsFourthByte) {
  // Two pixels: key with fourth byte 0 (transparent), key with fourth byte 1 (opaque).
  std::vector<uint8_t> bytes = {0, 0, 128, 0, 0, 0, 128, 1, 0, 0, 0, 0};
  PixelRows rows{2, 1, 32, 8, bytes.data(), bytes.size(), nullptr};
  std::vector<RegionRect> want = {{1, 0, 2, 1}};
  EXPECT_EQ(OpaqueRuns(rows, kKey), want);
}

TEST(SkinRegion, EightBitPixelsCompareTheirColourTableEntry) {
  std::vector<uint32_t> table(256, 0x00FFFFFF);
  table[7] = 0x00800000;  // 0x00RRGGBB: red 128, the key
  table[9] = 0x00000080;  // blue 128: not the key (red and blue are not mixed up)
  std::vector<uint8_t> bytes = {9, 7, 7, 1};  // one row of four, exactly 4 bytes
  PixelRows rows{4, 1, 8, 4, bytes.data(), bytes.size(), table.data()};
  std::vector<RegionRect> want = {{0, 0, 1, 1}, {3, 0, 4, 1}};
  EXPECT_EQ(OpaqueRuns(rows, kKey), want);
}

TEST(SkinRegion, SixteenBitPixelsUseTheKeyInTheirOwnForm) {
  EXPECT_EQ(ui::KeyForDepth(kKey, 24), 0x00800000u);
  // Pixels: the 5-6-5 form of the key (red 128 >> 3 = 16, at bit 11), its 5-5-5 form, the 5-6-5
  // form again; the row is padded to 8 bytes. Each layout matches only its own form.
  const std::vector<uint8_t> bytes = {0x00, 0x80, 0x00, 0x40, 0x00, 0x80, 0, 0};
  const struct {
    bool fiveFiveFive;
    uint32_t key, white;
    std::vector<RegionRect> opaque;
  } cases[] = {
      {false, 0x8000u, 0xFFFFu, {{1, 0, 2, 1}}},
      {true, 0x4000u, 0x7FFFu, {{0, 0, 1, 1}, {2, 0, 3, 1}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::KeyForDepth(kKey, 16, c.fiveFiveFive), c.key);
    EXPECT_EQ(ui::KeyForDepth(0x00FFFFFF, 16, c.fiveFiveFive), c.white);
    PixelRows rows{3, 1, 16, 6, bytes.data(), bytes.size(), nullptr, c.fiveFiveFive};
    EXPECT_EQ(OpaqueRuns(rows, kKey), c.opaque) << c.fiveFiveFive;
  }
}

TEST(SkinRegion, RowsAreReadBottomUpWithStrideRoundedToFour) {
  // Width 1 at 24 bits: 3 bytes a row, stride 4. Image top row opaque, bottom row key.
  std::vector<uint8_t> bytes = {0, 0, 128, 0xEE, 1, 2, 3, 0xEE, 0, 0, 0, 0};
  PixelRows rows{1, 2, 24, 3, bytes.data(), bytes.size(), nullptr};
  std::vector<RegionRect> want = {{0, 0, 1, 1}};
  EXPECT_EQ(OpaqueRuns(rows, kKey), want);
}

TEST(SkinRegion, UnsupportedDepthOrShortBufferGivesNothing) {
  std::vector<uint8_t> bytes(64, 0xFF);
  PixelRows fourBit{4, 2, 4, 2, bytes.data(), bytes.size(), nullptr};
  EXPECT_TRUE(OpaqueRuns(fourBit, kKey).empty());
  PixelRows shortBuffer{4, 8, 24, 12, bytes.data(), bytes.size(), nullptr};  // needs 96 bytes
  EXPECT_TRUE(OpaqueRuns(shortBuffer, kKey).empty());
  PixelRows noTable{2, 1, 8, 2, bytes.data(), bytes.size(), nullptr};  // 8 bits, no table: opaque
  EXPECT_EQ(OpaqueRuns(noTable, kKey).size(), 1u);
}

}  // namespace
