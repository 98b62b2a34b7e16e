#include "winlib/clipboard.h"

#include <cstring>

namespace {

constexpr UINT kGbkCodePage = 936;

// A movable global block holding size bytes of data, as the clipboard takes it; nullptr on failure.
HGLOBAL GlobalCopy(const void* data, std::size_t size) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* at = ::GlobalLock(block);
  if (!at) {
    ::GlobalFree(block);
    return nullptr;
  }
  std::memcpy(at, data, size);
  ::GlobalUnlock(block);
  return block;
}

// The clipboard owns a block it accepted; a refused one is ours to free.
bool Put(UINT format, HGLOBAL block) {
  if (!block) return false;
  if (::SetClipboardData(format, block)) return true;
  ::GlobalFree(block);
  return false;
}

}  // namespace

bool SetClipboardText(HWND hOwner, const std::string& cp936Text) {
  const int length = static_cast<int>(cp936Text.size());
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  const int wideLength =
      length ? ::MultiByteToWideChar(kGbkCodePage, 0, cp936Text.data(), length, &wide[0], length)
             : 0;
  if (length && wideLength == 0) return false;

  if (!::OpenClipboard(hOwner)) return false;
  ::EmptyClipboard();
  const bool text = Put(CF_TEXT, GlobalCopy(cp936Text.c_str(), cp936Text.size() + 1));
  const bool unicode =
      Put(CF_UNICODETEXT, GlobalCopy(wide.c_str(), (wideLength + 1) * sizeof(wchar_t)));
  ::CloseClipboard();
  return text && unicode;
}
