#include "xml/file_system.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xml_fs {

int64_t FileSize(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

int TargetWritable(const std::string& path) {
  return access(path.c_str(), W_OK) != 0 && errno != ENOENT ? errno : 0;
}

std::string TemporaryPathFor(const std::string& target) {
  return target + "." + std::to_string(getpid()) + ".tmp";
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) close(fd);
  return file;
}

// The replacement keeps the permission bits of the file it replaces.
void KeepAttributes(std::FILE* replacement, const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0) fchmod(fileno(replacement), st.st_mode & 07777);
}

int ReplaceTarget(const std::string& replacement, const std::string& target) {
  return std::rename(replacement.c_str(), target.c_str()) == 0 ? 0 : errno;
}

// A rename keeps no copy of the old file.
void DiscardReplacedCopy(const std::string&) {}

}  // namespace xml_fs
