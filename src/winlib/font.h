#pragma once
// CFont: an owned GDI font.
#include <windows.h>

class CFont {
 public:
  CFont() = default;
  ~CFont() { DeleteObject(); }
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  HFONT m_hObject = nullptr;
  operator HFONT() const { return m_hObject; }
  HFONT GetSafeHandle() const { return m_hObject; }

  // CreateFontA with the same fourteen arguments.
  bool CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                  BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision,
                  BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                  const char* lpszFacename);
  bool CreateFontIndirect(const LOGFONTA* lpLogFont);
  // nPointSize in tenths of a point, converted to pixels for the screen (or hDC when given).
  bool CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC = nullptr);
  bool GetLogFont(LOGFONTA* pLogFont) const;
  bool DeleteObject();
};
