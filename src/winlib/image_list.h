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
  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
  bool Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) const;
  bool DeleteImageList();
  HIMAGELIST Detach();
};
