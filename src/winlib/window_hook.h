#pragma once
// CWindowHook: watches another object's window without taking it over. Its procedure goes in front
// of the window's current one (a bound CWnd's, a common control's), sees every message first and
// passes on what it does not handle, so a window can have a CWnd and hooks at the same time.
#include <windows.h>

class CWindowHook {
 public:
  CWindowHook() = default;
  virtual ~CWindowHook() { Unhook(); }
  CWindowHook(const CWindowHook&) = delete;
  CWindowHook& operator=(const CWindowHook&) = delete;

  // One window per hook; false when hWnd is null, this hook already watches a window or another
  // hook watches hWnd. A hook whose procedure another one cut out of the chain (by restoring the
  // procedure it found) watches nothing any more: a new hook takes the window.
  bool Hook(HWND hWnd);
  // Takes the procedure out again if nothing has gone in front of it since; otherwise it stays in
  // the chain, passing every message on, until it heads the chain again or the window goes. The
  // window's destruction unhooks as well.
  void Unhook();
  HWND HookedWindow() const { return m_hWnd; }

 protected:
  // true when the hook handled the message (result set); false passes it on.
  virtual bool OnHookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 private:
  static LRESULT CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;
  WNDPROC m_pfnNext = nullptr;
};
