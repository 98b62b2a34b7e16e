#pragma once
// A save writes the registry file's new text to "<file>.<pid>.tmp" beside it and swaps that in; on
// Windows the swap first moves the old file to "<file>.<pid>.tmp.bak". A process that ends between
// the two renames of the swap leaves no file, with its text under the backup name; one whose
// replacement fails in every way leaves the same; one that ends earlier or later leaves a
// temporary file behind.
#include <string>

#include "platform/registry_os_port.h"

// Where an operation finds the registry's text once the clearing up is done.
struct RegistrySource {
  std::string readPath;  // the registry file, or the backup that stands in for it
  // The file is missing and a backup that cannot be moved into place holds its text: reads come
  // from the backup, a write saves the backup's text with its change to the file, and no new file
  // is created. Where the backup cannot be read either, nothing is stored.
  bool backupStandsIn = false;
};

// Runs before the registry file is probed, loaded or created. Where the file is missing, the
// newest backup (by last-write time) takes its place again, whoever's process id it carries: the
// change of that save may be lost, never the earlier ones. A backup of another running process
// first gets a short wait, in case its save is between its renames. A backup beside a file that
// exists goes only once every entry it holds (by MAC) is in the file: the entries the file lacks
// are added to it first. Temporary files go once their process has ended.
RegistrySource RecoverInterruptedSave(platform::RegistryOsPort& port, const std::string& path);
