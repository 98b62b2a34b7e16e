// Device contexts, fonts, bitmaps and image lists.
#include <cstdlib>
#include <cstring>

#include "winlib/bitmap.h"
#include "winlib/dc.h"
#include "winlib/font.h"
#include "winlib/image_list.h"

// --- CDC --------------------------------------------------------------------------------------

CDC::~CDC() { DeleteDC(); }

bool CDC::CreateCompatibleDC(const CDC* pDC) {
  DeleteDC();
  m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
  m_bOwns = m_hDC != nullptr;
  return m_bOwns;
}

void CDC::DeleteDC() {
  if (m_bOwns && m_hDC) ::DeleteDC(m_hDC);
  m_hDC = nullptr;
  m_bOwns = false;
}

CPaintDC::CPaintDC(HWND hWnd) : m_hWndPaint(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }

CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWndPaint, &m_ps);
  m_hDC = nullptr;
}

// --- CFont ------------------------------------------------------------------------------------

bool CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                       const char* lpszFacename) {
  DeleteObject();
  m_hObject = ::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                            bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                            nQuality, nPitchAndFamily, lpszFacename);
  return m_hObject != nullptr;
}

bool CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) {
  DeleteObject();
  m_hObject = ::CreateFontIndirectA(lpLogFont);
  return m_hObject != nullptr;
}

// Tenths of a point to a negative (character) height in logical units of the device.
bool CFont::CreatePointFont(int nPointSize, const char* lpszFaceName, HDC hDC) {
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(lf.lfFaceName, lpszFaceName, LF_FACESIZE - 1);
  HDC dc = hDC ? hDC : ::GetDC(nullptr);
  // Rounded, as the class library does: 11 pt at 96 DPI is 15 pixels, not 14.
  POINT pt = {0, ::MulDiv(::GetDeviceCaps(dc, LOGPIXELSY), nPointSize, 720)};
  ::DPtoLP(dc, &pt, 1);
  POINT origin = {0, 0};
  ::DPtoLP(dc, &origin, 1);
  lf.lfHeight = -std::abs(pt.y - origin.y);
  if (!hDC) ::ReleaseDC(nullptr, dc);
  return CreateFontIndirect(&lf);
}

bool CFont::GetLogFont(LOGFONTA* pLogFont) const {
  return m_hObject && ::GetObjectA(m_hObject, sizeof(LOGFONTA), pLogFont) != 0;
}

bool CFont::DeleteObject() {
  if (!m_hObject) return false;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return true;
}

// --- CBitmap ----------------------------------------------------------------------------------

bool CBitmap::LoadBitmap(UINT nIDResource) {
  DeleteObject();
  m_hObject = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource));
  return m_hObject != nullptr;
}

bool CBitmap::CreateCompatibleBitmap(const CDC* pDC, int nWidth, int nHeight) {
  DeleteObject();
  m_hObject = ::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight);
  return m_hObject != nullptr;
}

bool CBitmap::GetBitmap(BITMAP* pBitmap) const {
  return m_hObject && ::GetObjectA(m_hObject, sizeof(BITMAP), pBitmap) != 0;
}

bool CBitmap::DeleteObject() {
  if (!m_hObject) return false;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return true;
}

// --- CImageList -------------------------------------------------------------------------------

bool CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  DeleteImageList();
  m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
  return m_hImageList != nullptr;
}

bool CImageList::Draw(HIMAGELIST hImageList, CDC* pDC, int nImage, POINT pt, UINT nStyle) {
  return ImageList_Draw(hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle) != FALSE;
}

bool CImageList::DeleteImageList() {
  if (!m_hImageList) return false;
  ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return true;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST h = m_hImageList;
  m_hImageList = nullptr;
  return h;
}
