#pragma once
// Point and rectangle with the handful of helpers the program uses.
#include <windows.h>

class CPoint : public POINT {
 public:
  CPoint() { x = y = 0; }
  CPoint(int initX, int initY) {
    x = initX;
    y = initY;
  }
  // A mouse message's lParam: x in the low word, y in the high word, both signed.
  explicit CPoint(LPARAM lParam) {
    x = static_cast<short>(LOWORD(lParam));
    y = static_cast<short>(HIWORD(lParam));
  }
};

class CRect : public RECT {
 public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  CRect(const RECT& rc) : RECT(rc) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool PtInRect(POINT pt) const { return ::PtInRect(this, pt) != FALSE; }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};
