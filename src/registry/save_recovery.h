#pragma once
// A save writes the registry file's new text to "<file>.<pid>.tmp" beside it and swaps that in; on
// Windows the swap first moves the old file to "<file>.<pid>.tmp.bak". A process that ends between
// the two renames of the swap leaves no file, with its text under the backup name; one that ends
// earlier or later leaves a temporary file behind.
#include <string>

#include "platform/registry_os_port.h"

// Runs before the registry file is probed, loaded or created. Where the file is missing, the
// newest backup that a crashed save left (by last-write time) takes its place again: the change of
// that save may be lost, never the earlier ones. Then the temporary and backup files of crashed
// saves are removed. Files of a running process (this one included) are never touched.
void RecoverInterruptedSave(platform::RegistryOsPort& port, const std::string& path);
