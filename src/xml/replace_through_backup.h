#pragma once
// Replacing a file so that it keeps what the system stores with it: the system moves the old file
// to a backup name, the new one into its place, and only then may the backup go. The decision
// what to do with the backup when that fails is portable; the calls are the binding's.
#include <string>

namespace xml_fs {

class ReplaceCalls {
 public:
  virtual ~ReplaceCalls() = default;
  // 0 or the system's error. ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 (1177) leaves the old file under
  // the backup name, the replacement under its own, and the target's name free.
  virtual unsigned long Replace(const std::string& target, const std::string& replacement,
                                const std::string& backup) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Renames without replacing an existing file.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};

// Puts replacement in target's place through backup; 0 or the system's error. After a failure the
// old text is under the target's name again, or, where it cannot be moved back, the backup keeps
// it: the backup is removed only while the target exists.
unsigned long ReplaceThroughBackup(ReplaceCalls& calls, const std::string& replacement,
                                   const std::string& target, const std::string& backup);

}  // namespace xml_fs
