#pragma once
// Conversion of UTF-8 text to the program's code page 936, as the system does it.
// Port kind: bound at link time. Bindings: platform/win32/code_page_win32.cpp
// (MultiByteToWideChar from UTF-8, then WideCharToMultiByte to 936 without best-fit characters)
// and platform/posix/code_page_posix.cpp (iconv).
#include <string>

// utf8 must be valid UTF-8 (the caller checks). Every character code page 936 lacks becomes '?',
// with usedDefault set; a best-fit look-alike is never taken, so "?" is the only stand-in.
std::string Utf8ToCp936(const std::string& utf8, bool& usedDefault);
