#pragma once
// The three cell texts of a device list row, and reading a device back out of them. The list
// builder writes them, the marking and renaming handlers read them back, the list draws them
// line by line. Wording, colons and blanks are fixed: the read-back relies on the first ":" of
// column 0 being the one after 主机名 and on the first ":" and "I" of column 1 being those of
// MAC地址: and IP地址.
#include <string>

#include "net/device_record.h"
#include "net/status_labels.h"

// The name a device gets whose name cannot be resolved.
extern const char* const kUnknownHostName;  // "未知主机名"

std::string HostCellText(const std::string& hostName);                               // column 0
std::string AddressCellText(const std::string& macText, const std::string& ipText);  // column 1
std::string StatusCellText(const std::string& statusLabel);  // column 2 ("\n" + label)

// True when a label or column-2 text marks a device not yet known (multibyte-aware search).
bool IsMarkedUnknown(const std::string& statusText);

// Row read-back, the device as marking and renaming see it. The texts are found by the labels'
// punctuation, not by position, so a row written by any version of the list reads back:
//   hostName    the name after "主机名: " (a cell without a colon gives all but its first byte)
//   macText     the MAC as the address cell holds it, still followed by the two line feeds before
//               "IP地址", which the registry stores with it
//   statusLabel column 2 as it stands
//   ipText      empty: nothing the registry keeps needs it
DeviceRecord ReadRowBack(const std::string& column0, const std::string& column1,
                         const std::string& column2);
// Just the host-name part of the read-back, for the name editor.
std::string HostNameFromCell(const std::string& column0);
// The address after "IP地址:" in column 1, blanks trimmed; empty when the cell has none.
std::string IpTextFromCell(const std::string& column1);
