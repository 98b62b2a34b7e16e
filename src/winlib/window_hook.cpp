#include "winlib/window_hook.h"

namespace {

// Each hooked window keeps its hook in a window property; one hook per window.
const char kHookProperty[] = "Tarnlook.CWindowHook";

}  // namespace

bool CWindowHook::Hook(HWND hWnd) {
  if (!hWnd || m_hWnd || ::GetPropA(hWnd, kHookProperty)) return false;
  m_hWnd = hWnd;
  ::SetPropA(hWnd, kHookProperty, this);
  m_pfnNext = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowHook::HookProc)));
  return true;
}

void CWindowHook::Unhook() {
  if (!m_hWnd) return;
  // A procedure put in front of ours later would be cut off: then ours stays and passes all on.
  if (::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) ==
      reinterpret_cast<LONG_PTR>(&CWindowHook::HookProc)) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnNext));
  }
  ::RemovePropA(m_hWnd, kHookProperty);
  m_hWnd = nullptr;
}

LRESULT CALLBACK CWindowHook::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CWindowHook*>(::GetPropA(hWnd, kHookProperty));
  if (!self) return ::DefWindowProcA(hWnd, message, wParam, lParam);
  WNDPROC next = self->m_pfnNext;
  if (message == WM_NCDESTROY) {
    self->Unhook();
  } else {
    // The exception boundary: no C++ exception unwinds into the system's code.
    try {
      LRESULT result = 0;
      if (self->OnHookedMessage(message, wParam, lParam, result)) return result;
    } catch (...) {
      ::OutputDebugStringA("winlib: exception in a window hook\n");
    }
  }
  return ::CallWindowProcA(next, hWnd, message, wParam, lParam);
}
