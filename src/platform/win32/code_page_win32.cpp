// The code page port through the system's conversions.
#include <windows.h>

#include <vector>

#include "platform/code_page_port.h"

namespace {
constexpr UINT kChineseSimplified = 936;
}

std::string Utf8ToCp936(const std::string& utf8, bool& usedDefault) {
  usedDefault = false;
  if (utf8.empty()) return std::string();
  const int size = static_cast<int>(utf8.size());
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (wide <= 0) return std::string();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, buffer.data(), wide);
  // Without WC_NO_BEST_FIT_CHARS, 936 would write look-alikes ("a" for "ä") and not say so.
  BOOL defaulted = FALSE;
  const int bytes = WideCharToMultiByte(kChineseSimplified, WC_NO_BEST_FIT_CHARS, buffer.data(),
                                        wide, nullptr, 0, "?", &defaulted);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(kChineseSimplified, WC_NO_BEST_FIT_CHARS, buffer.data(), wide, &out[0], bytes,
                      "?", &defaulted);
  usedDefault = defaulted != FALSE;
  return out;
}
