// Whole-file load and save. The file holds the Base64 form of the document text.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "xml/base64.h"
#include "xml/xml_document.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string ErrorText(int error) {
  const char* text = std::strerror(error);
  return text ? text : "";
}

std::string ByteCount(int64_t bytes) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s%d bytes", "", static_cast<int>(bytes));
  return buffer;
}

// Size of an open file, or -1 when the position query fails.
int64_t FileSize(FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  const int64_t size = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
  return size;
}

// Pushes the written bytes to the disk before the file takes the target's place.
bool FlushToDisk(FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// A target that exists but may not be written is refused as opening it for writing would be.
int TargetWritable(const std::string& path) {
#ifdef _WIN32
  if (_access(path.c_str(), 2) != 0 && errno != ENOENT) return errno;
#else
  if (access(path.c_str(), W_OK) != 0 && errno != ENOENT) return errno;
#endif
  return 0;
}

#ifndef _WIN32
// The replacement keeps the permission bits of the file it replaces.
void KeepMode(FILE* file, const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0) fchmod(fileno(file), st.st_mode & 07777);
}
#endif

// Puts the complete temporary file in the target's place; 0 or an error number.
int ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
#else
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#endif
}

}  // namespace

bool XmlDocument::ReadTextFile(const std::string& path, std::string& text, std::string& error,
                               bool& refused) {
  refused = false;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = ErrorText(errno);
    return false;
  }
  text.clear();
  const int64_t size = FileSize(file);
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) {
    // Never size a buffer from a position that could not be read or does not fit a count.
    error = size < 0 ? "File size unknown" : "File too large: " + std::to_string(size) + " bytes";
    refused = true;
    std::fclose(file);
    return false;
  }
  if (size != 0) {
    try {
      text.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
      error = "Not enough memory for " + std::to_string(size) + " bytes";
      refused = true;
      text.clear();
      std::fclose(file);
      return false;
    }
    text.resize(std::fread(&text[0], 1, text.size(), file));
  }
  error = ByteCount(size);
  std::fclose(file);
  return true;
}

// Writes the text to a temporary file beside the target and lets it take the target's place only
// once it is complete, so a full disk or a failed write never leaves a half-written registry.
// Where the folder admits no new file but the target may be written, the target is written in
// place as before.
bool XmlDocument::WriteTextFile(const std::string& path, const std::string& text,
                                std::string& error) {
  if (const int denied = TargetWritable(path)) {
    error = ErrorText(denied);
    return false;
  }
  const std::string temporary = path + ".tmp";
  bool inPlace = false;
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    const int failure = errno;
    if ((failure == EACCES || failure == EPERM)) {
      if (FILE* existing = std::fopen(path.c_str(), "rb")) {
        std::fclose(existing);
        file = std::fopen(path.c_str(), "wb");
        inPlace = true;
      }
    }
    if (file == nullptr) {
      error = ErrorText(inPlace ? errno : failure);
      return false;
    }
  }
#ifndef _WIN32
  if (!inPlace) KeepMode(file, path);
#endif
  bool ok = text.empty() || std::fwrite(text.data(), text.size(), 1, file) == 1;
  ok = ok && FlushToDisk(file);
  int failure = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && !inPlace) failure = ReplaceFile(temporary, path);
  if (ok && failure != 0) ok = false;
  error = ok ? ByteCount(static_cast<int64_t>(text.size())) : ErrorText(failure);
  if (!ok && !inPlace) std::remove(temporary.c_str());
  return ok;
}

bool XmlDocument::LoadFile(const std::string& path) {
  bool refused = false;
  const bool opened = ReadTextFile(path, m_strDoc, m_strError, refused);
  if (refused) {
    // The document stays empty; the error text says why, followed by the parse's own message.
    m_strDoc.clear();
    Parse();
    return false;
  }
  SetDocumentText(DecodeBase64(m_strDoc));
  return opened;
}

bool XmlDocument::SaveFile(const std::string& path) {
  // The file gets the encoding even where the document cannot hold it (beyond a 32-bit count).
  const std::string encoded = EncodeBase64(m_strDoc);
  SetDocumentText(encoded);
  return WriteTextFile(path, encoded, m_strError);
}
