#pragma once
// What a double-click on the device list and the end of a name edit do to a row and to
// ComputerInfo.xml. The dialog's handlers supply the list (DeviceRows) and carry out the window
// work; every decision lives here.
#include <string>

#include "net/device_record.h"

// The device list as the marking and renaming actions see it: the cell texts of its rows.
class DeviceRows {
 public:
  virtual ~DeviceRows() = default;
  virtual std::string CellText(int row, int column) = 0;
  virtual void SetCellText(int row, int column, const std::string& text) = 0;
};

// The device of a row as its cells read back (ReadRowBack): what marking, renaming and the
// device details all go by.
DeviceRecord ReadDeviceRow(DeviceRows& rows, int row);

// A new host name may be at most this long (8 double-byte characters), as the list cuts names.
constexpr std::size_t kMaxEditedNameBytes = 16;

enum class DoubleClickAction {
  kIgnore,        // row 0 (this computer), the MAC/IP column, or a notice naming no row
  kToggleStatus,  // column 2
  kOpenEditor,    // the name column
};
DoubleClickAction ClassifyDoubleClick(int row, int column);

// The status cell after a toggle: a device not yet known becomes known and the other way round.
std::string ToggledStatusCell(const std::string& statusCell);

// Toggles the row's status in the list and stores it; the row's drawing follows the new text.
void ToggleDeviceStatus(DeviceRows& rows, int row, const std::string& registryPath);

// Stores one attribute of the device read back from its row; a device with no entry gets one.
// A record without a MAC text stores nothing.
void StoreDeviceAttribute(const DeviceRecord& record, const char* attributeName,
                          const std::string& value, const std::string& registryPath);

// Where the name editor goes, in the dialog's client coordinates, for a cell's label rectangle
// (list coordinates) and the list's top-left corner: the host-name line of the cell.
struct EditorPlacement {
  int x, y, width, height;
};
EditorPlacement PlaceNameEditor(int left, int top, int right, int bottom, int listLeft,
                                int listTop);

enum class NameCommit {
  kCancelled,  // empty name, or no cell is being edited: nothing changes
  kUnchanged,  // the old name again: nothing changes
  kTooLong,    // over 16 bytes in the name column: the user is told, nothing changes
  kStored,     // the cell shows the new text and the registry holds the name
};

// Commits the editor's text for the cell (row, column). On kStored cellText holds what the cell
// now shows (the editor keeps it); otherwise it is left alone.
NameCommit CommitHostName(DeviceRows& rows, int row, int column, std::string& cellText,
                          const std::string& oldName, const std::string& registryPath);
