#include "xml/replace_through_backup.h"

namespace xml_fs {

unsigned long ReplaceThroughBackup(ReplaceCalls& calls, const std::string& replacement,
                                   const std::string& target, const std::string& backup) {
  const unsigned long error = calls.Replace(target, replacement, backup);
  if (error != 0 && !calls.Exists(target) && calls.Exists(backup)) {
    // The old file was moved aside and the new one not moved in. Where it cannot come back
    // either, the backup is the only copy of the old text: it stays until the target exists again
    // (the caller's plain write, or the registry's recovery before its next operation).
    if (!calls.Move(backup, target)) return error;
  }
  calls.Remove(backup);
  return error;
}

}  // namespace xml_fs
