#include "xml/file_system.h"

#include <windows.h>

#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "xml/replace_through_backup.h"

namespace xml_fs {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return EACCES;
    default: return EIO;
  }
}

class Win32ReplaceCalls final : public ReplaceCalls {
 public:
  unsigned long Replace(const std::string& target, const std::string& replacement,
                        const std::string& backup) override {
    return ReplaceFileA(target.c_str(), replacement.c_str(), backup.c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               ? 0
               : GetLastError();
  }
  bool Exists(const std::string& path) override { return xml_fs::Exists(path); }
  bool Move(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  }
  void Remove(const std::string& path) override { DeleteFileA(path.c_str()); }
};

std::string BackupPathFor(const std::string& replacement) { return replacement + ".bak"; }

}  // namespace

int64_t FileSize(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

int TargetWritable(const std::string& path) {
  return _access(path.c_str(), 2) != 0 && errno != ENOENT ? errno : 0;
}

std::string TemporaryPathFor(const std::string& target) {
  return target + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd =
      _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
  return file;
}

// ReplaceFileA carries the target's attributes, security and streams over by itself.
void KeepAttributes(std::FILE*, const std::string&) {}

int ReplaceTarget(const std::string& replacement, const std::string& target) {
  // A missing target is created by moving the replacement into place.
  if (!Exists(target)) {
    return MoveFileExA(replacement.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : ErrorNumber(GetLastError());
  }
  // One that exists is replaced, so that it keeps what the system stores with it. The old file
  // goes to a backup name of our own (without one, the system picks a temporary name that a
  // failed replacement may leave behind); after a failure that had already moved it aside it
  // comes back, so the plain write that follows finds it, or, where it cannot, stays under the
  // backup name until that write has succeeded.
  Win32ReplaceCalls calls;
  const unsigned long error =
      ReplaceThroughBackup(calls, replacement, target, BackupPathFor(replacement));
  return error == 0 ? 0 : ErrorNumber(error);
}

void DiscardReplacedCopy(const std::string& replacement) {
  DeleteFileA(BackupPathFor(replacement).c_str());
}

}  // namespace xml_fs
