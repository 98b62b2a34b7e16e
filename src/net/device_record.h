#pragma once
// One discovered device and the process-wide table the sweep fills.
#include <string>
#include <vector>

struct DeviceRecord {
  std::string hostName;     // resolved name, "未知主机名", or the user's name after the merge
  std::string ipText;       // dotted decimal, as inet_ntoa writes it
  std::string statusLabel;  // "\n标记为已知", "\n标记为未知" or "\n本机"
  std::string macText;      // "00-1A-2B-3C-4D-5E"
};

using DeviceTable = std::vector<DeviceRecord>;

// Probes append under g_csDeviceTable; the list builder and the merge use it after the sweep.
extern DeviceTable g_deviceTable;
