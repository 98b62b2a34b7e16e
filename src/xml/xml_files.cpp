// Whole-file load and save. The file holds the Base64 form of the document text.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "xml/base64.h"
#include "xml/file_system.h"
#include "xml/xml_document.h"

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

// Writes the whole text, pushes it to the disk and closes the file; 0 or an error number.
int WriteWhole(FILE* file, const std::string& text) {
  bool ok = text.empty() || std::fwrite(text.data(), text.size(), 1, file) == 1;
  ok = ok && xml_fs::FlushToDisk(file);
  int failure = ok ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(file) != 0 && failure == 0) failure = errno != 0 ? errno : EIO;
  return failure;
}

// The plain write: truncates the target and writes it whole.
int WriteInPlace(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  return file != nullptr ? WriteWhole(file, text) : errno;
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
  const int64_t size = xml_fs::FileSize(file);
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

// Writes the text to a new file beside the target and lets it take the target's place only once
// it is complete, so a full disk or a failed write never leaves a half-written registry. Where no
// new file can be made beside the target, or the system refuses the replacement (another program
// holds the target without delete sharing, a folder that refuses renames), the target is written
// in place, as a plain save would, and the save succeeds only if that write completed whole.
bool XmlDocument::WriteTextFile(const std::string& path, const std::string& text,
                                std::string& error) {
  if (const int denied = xml_fs::TargetWritable(path)) {
    error = ErrorText(denied);
    return false;
  }
  const std::string temporary = xml_fs::TemporaryPathFor(path);
  int failure = 0;
  if (FILE* file = xml_fs::CreateNewFile(temporary)) {
    xml_fs::KeepAttributes(file, path);
    failure = WriteWhole(file, text);
    if (failure == 0 && xml_fs::ReplaceTarget(temporary, path) != 0) {
      failure = WriteInPlace(path, text);
      if (failure == 0) xml_fs::DiscardReplacedCopy(temporary);
    }
    std::remove(temporary.c_str());
  } else {
    failure = WriteInPlace(path, text);
  }
  error = failure == 0 ? ByteCount(static_cast<int64_t>(text.size())) : ErrorText(failure);
  return failure == 0;
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
