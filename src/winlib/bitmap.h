#pragma once
// CBitmap: an owned GDI bitmap.
#include <windows.h>

class CDC;

class CBitmap {
 public:
  CBitmap() = default;
  ~CBitmap() { DeleteObject(); }
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  HBITMAP m_hObject = nullptr;
  operator HBITMAP() const { return m_hObject; }
  HBITMAP GetSafeHandle() const { return m_hObject; }

  bool LoadBitmap(UINT nIDResource);  // LoadBitmapA from the program's resources
  bool CreateCompatibleBitmap(const CDC* pDC, int nWidth, int nHeight);
  bool GetBitmap(BITMAP* pBitmap) const;
  bool DeleteObject();
};
