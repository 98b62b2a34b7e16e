#include "ui/core/device_marking.h"

#include "net/row_texts.h"
#include "registry/registry_file.h"
#include "text/cp936.h"

namespace {

// The cell texts are fetched into a 100-character buffer; every row text is far shorter.
constexpr std::size_t kCellBufferChars = 100;

std::string FetchCell(DeviceRows& rows, int row, int column) {
  std::string text = rows.CellText(row, column);
  if (text.size() > kCellBufferChars - 1) text.resize(kCellBufferChars - 1);
  return text;
}

}  // namespace

DeviceRecord ReadDeviceRow(DeviceRows& rows, int row) {
  return ReadRowBack(rows.CellText(row, 0), rows.CellText(row, 1), rows.CellText(row, 2));
}

DoubleClickAction ClassifyDoubleClick(int row, int column) {
  // A click below the last row names no row: reading its empty texts back would store an entry
  // with no name, status or MAC.
  if (row <= 0 || column == 1 || column < 0) return DoubleClickAction::kIgnore;
  return column == 2 ? DoubleClickAction::kToggleStatus : DoubleClickAction::kOpenEditor;
}

std::string ToggledStatusCell(const std::string& statusCell) {
  return IsMarkedUnknown(statusCell) ? kStatusKnown.cell : kStatusNotKnown.cell;
}

void StoreDeviceAttribute(const DeviceRecord& record, const char* attributeName,
                          const std::string& value, const std::string& registryPath) {
  // A row that reads back without a MAC (gone from the list, say while the window closes) names
  // no device; storing it would add an entry that no lookup can ever find.
  if (text::Trim(record.macText).empty()) return;
  if (!AccessDeviceAttribute(registryPath, record.macText, true, attributeName, value)) {
    AddDevice(record, registryPath);
  }
}

void ToggleDeviceStatus(DeviceRows& rows, int row, const std::string& registryPath) {
  rows.SetCellText(row, 2, ToggledStatusCell(FetchCell(rows, row, 2)));
  const DeviceRecord record = ReadDeviceRow(rows, row);
  StoreDeviceAttribute(record, "STATUS", record.statusLabel, registryPath);
}

EditorPlacement PlaceNameEditor(int left, int top, int right, int bottom, int listLeft,
                                int listTop) {
  // Narrowed to the host-name line, then offset by 2 inside it.
  left += 60;
  top += 30;
  bottom -= 5;
  return {listLeft + left + 2, listTop + top + 2, right - left, bottom - top + 2};
}

NameCommit CommitHostName(DeviceRows& rows, int row, int column, std::string& cellText,
                          const std::string& oldName, const std::string& registryPath) {
  const std::string& newName = cellText;
  if (newName.empty() || row < 0) return NameCommit::kCancelled;
  if (newName == oldName) return NameCommit::kUnchanged;
  std::string text = newName;
  if (column == 0) {
    if (newName.size() > kMaxEditedNameBytes) return NameCommit::kTooLong;
    text = HostCellText(newName);
  }
  rows.SetCellText(row, column, text);
  const DeviceRecord record = ReadDeviceRow(rows, row);
  StoreDeviceAttribute(record, "USERNAME", record.hostName, registryPath);
  cellText = text;
  return NameCommit::kStored;
}
