#pragma once
// CImageList: an owned image list. Detach() hands the handle to someone else (for example a
// list view without LVS_SHAREIMAGELISTS, which destroys its image list with itself).
#include <windows.h>
#include <commctrl.h>

class CDC;

class CImageList {
 public:
  CImageList() = default;
  ~CImageList() { DeleteImageList(); }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  HIMAGELIST m_hImageList = nullptr;
  operator HIMAGELIST() const { return m_hImageList; }
  HIMAGELIST GetSafeHandle() const { return m_hImageList; }

  bool Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
  // Draws from any image list, owned or not (a list view's, for one).
  static bool Draw(HIMAGELIST hImageList, CDC* pDC, int nImage, POINT pt, UINT nStyle);
  bool DeleteImageList();
  HIMAGELIST Detach();
};
