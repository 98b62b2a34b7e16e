#pragma once
// CMenu: an owned pop-up menu, destroyed with the object.
#include <windows.h>

class CMenu {
 public:
  CMenu() = default;
  ~CMenu() { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }

  bool CreatePopupMenu() { return (m_hMenu = ::CreatePopupMenu()) != nullptr; }
  bool AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) const {
    return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem) != FALSE;
  }
  // With TPM_RETURNCMD the chosen command comes back (0: none) instead of a WM_COMMAND.
  UINT TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner) const {
    return static_cast<UINT>(::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hOwner, nullptr));
  }
  bool DestroyMenu() {
    const bool destroyed = m_hMenu && ::DestroyMenu(m_hMenu) != FALSE;
    m_hMenu = nullptr;
    return destroyed;
  }
};
