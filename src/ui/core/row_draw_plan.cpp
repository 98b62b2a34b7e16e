#include "ui/core/row_draw_plan.h"

#include "net/status_labels.h"
#include "text/cp936.h"

namespace ui {

std::vector<CellPlan> PlanRow(const Box& row, const std::vector<int>& columnWidths,
                              std::string_view statusText) {
  const bool unknown = text::Contains(statusText, kStatusNotKnown.bare);
  const bool known = text::Contains(statusText, kStatusKnown.bare);
  const bool local = text::Contains(statusText, kStatusLocal.bare);

  std::vector<CellPlan> cells;
  int left = row.left;
  for (std::size_t c = 0; c < columnWidths.size(); ++c) {
    if (c > 0) left += columnWidths[c - 1];
    CellPlan cell;
    if (c == 0) {
      // Each word is tested on its own; a text naming several draws them all, in this order.
      if (unknown) cell.images.push_back({kImageHostUnknown, left + 10, row.top + 11});
      if (known) cell.images.push_back({kImageHostKnown, left + 10, row.top + 11});
      if (local) cell.images.push_back({kImageHostLocal, left + 10, row.top + 11});
    } else if (c == 2) {
      if (unknown) cell.images.push_back({kImageMarkKnown, left + 10, row.top + 14});
      if (known) cell.images.push_back({kImageMarkUnknown, left + 10, row.top + 14});
    }
    const int textLeft = left + ((c == 0 || c == 2) ? 55 : 10);
    cell.text = {textLeft, row.top, row.right, row.bottom};
    cells.push_back(cell);
  }
  return cells;
}

}  // namespace ui
