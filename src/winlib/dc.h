#pragma once
// CDC: a device context. It owns the context only when it created it (CreateCompatibleDC);
// a CDC made from a handle (a WM_CTLCOLOR or WM_ERASEBKGND argument, a DRAWITEMSTRUCT's hDC)
// only borrows it. CClientDC brackets GetDC / ReleaseDC, CPaintDC BeginPaint / EndPaint.
#include <windows.h>

class CDC {
 public:
  CDC() = default;
  explicit CDC(HDC hDC) : m_hDC(hDC) {}
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  bool CreateCompatibleDC(const CDC* pDC);  // pDC null: compatible with the screen
  void DeleteDC();

  HGDIOBJ SelectObject(HGDIOBJ hObject) const { return ::SelectObject(m_hDC, hObject); }
  HGDIOBJ SelectStockObject(int nIndex) const {
    return ::SelectObject(m_hDC, ::GetStockObject(nIndex));
  }
  int SaveDC() const { return ::SaveDC(m_hDC); }
  bool RestoreDC(int nSavedDC) const { return ::RestoreDC(m_hDC, nSavedDC) != FALSE; }
  int SetBkMode(int nBkMode) const { return ::SetBkMode(m_hDC, nBkMode); }
  COLORREF SetTextColor(COLORREF crColor) const { return ::SetTextColor(m_hDC, crColor); }
  COLORREF SetBkColor(COLORREF crColor) const { return ::SetBkColor(m_hDC, crColor); }
  bool BitBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc,
              DWORD dwRop) const {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                    dwRop) != FALSE;
  }
  bool StretchBlt(int x, int y, int nWidth, int nHeight, const CDC* pSrcDC, int xSrc, int ySrc,
                  int nSrcWidth, int nSrcHeight, DWORD dwRop) const {
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC->m_hDC, xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop) != FALSE;
  }
  int DrawText(const char* text, int nCount, LPRECT lpRect, UINT nFormat) const {
    return ::DrawTextA(m_hDC, text, nCount, lpRect, nFormat);
  }
  bool DrawIcon(int x, int y, HICON hIcon) const { return ::DrawIcon(m_hDC, x, y, hIcon) != FALSE; }
  bool DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState) const {
    return ::DrawFrameControl(m_hDC, lpRect, nType, nState) != FALSE;
  }
  SIZE GetTextExtent(const char* text, int nCount) const {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_hDC, text, nCount, &size);
    return size;
  }

 private:
  bool m_bOwns = false;
};

// A window's client area (or, for no window, the screen), from GetDC to ReleaseDC.
class CClientDC : public CDC {
 public:
  explicit CClientDC(HWND hWnd) : CDC(::GetDC(hWnd)), m_hWndClient(hWnd) {}
  ~CClientDC() override { ::ReleaseDC(m_hWndClient, m_hDC); }

 private:
  HWND m_hWndClient;
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(HWND hWnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWndPaint;
};
