#pragma once
// What one row of the device list draws: per cell, the icons (device icon in column 0, status
// badge in column 2) and the rectangle of the cell text. The icons are chosen from the status
// words in the row's column-2 text.
#include <string_view>
#include <vector>

namespace ui {

// Indexes in the list's row image list.
enum RowImage {
  kImageHostLocal = 0,    // plain monitor: this computer
  kImageHostKnown = 1,    // monitor with a tick
  kImageHostUnknown = 2,  // monitor with a question mark
  kImageMarkUnknown = 3,  // cross badge beside "标记为未知"
  kImageMarkKnown = 4,    // tick badge beside "标记为已知"
};

struct Box {
  int left, top, right, bottom;
};

struct PlacedImage {
  int image;
  int x, y;
  bool operator==(const PlacedImage& o) const { return image == o.image && x == o.x && y == o.y; }
};

struct CellPlan {
  std::vector<PlacedImage> images;  // in drawing order
  Box text;                         // DrawText rectangle: top-left aligned, lines at "\n"
};

// Cell c's left edge is the row's left edge plus the widths of columns 0 .. c-1. Its text box
// runs to the row's right edge, so a long line is never cut at a column boundary.
std::vector<CellPlan> PlanRow(const Box& row, const std::vector<int>& columnWidths,
                              std::string_view statusText);

}  // namespace ui
