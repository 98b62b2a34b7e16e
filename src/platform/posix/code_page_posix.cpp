// The code page port through iconv. One character at a time, so a character CP936 lacks becomes
// one '?' as WideCharToMultiByte's default character does, and the rest still converts.
#include <iconv.h>

#include "platform/code_page_port.h"

namespace {

// Bytes of the UTF-8 character led by c (the text is valid UTF-8).
std::size_t Utf8Length(unsigned char c) { return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4; }

}  // namespace

std::string Utf8ToCp936(const std::string& utf8, bool& usedDefault) {
  usedDefault = false;
  std::string out;
  // A descriptor per call: iconv_t keeps state, and probes convert on many threads at once.
  iconv_t cd = iconv_open("CP936", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    usedDefault = !utf8.empty();
    return std::string(utf8.size(), '?');
  }
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = Utf8Length(static_cast<unsigned char>(utf8[at]));
    if (length > utf8.size() - at) length = utf8.size() - at;
    char input[4], output[8];
    for (std::size_t i = 0; i < length; ++i) input[i] = utf8[at + i];
    char* in = input;
    char* o = output;
    std::size_t inLeft = length, outLeft = sizeof output;
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1)) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
      out += '?';
      usedDefault = true;
    } else {
      out.append(output, static_cast<std::size_t>(o - output));
    }
    at += length;
  }
  iconv_close(cd);
  return out;
}
