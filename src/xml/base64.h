#pragma once
// Standard Base64 (RFC 4648, section 4) as ComputerInfo.xml stores the document text.
#include <string>

// Three bytes to four characters; a final byte gives two characters and "==", a final pair three
// characters and "=". No line breaks.
std::string EncodeBase64(const std::string& bytes);

// Skips every character outside the alphabet (line breaks, spaces, bytes 0x80-0xFF). A "=" where
// the third or fourth character of a group is expected ends the decoding; one in the first or
// second place is skipped. A group left incomplete at the end still gives its whole bytes.
std::string DecodeBase64(const std::string& text);
