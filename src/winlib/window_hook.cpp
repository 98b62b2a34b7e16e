#include "winlib/window_hook.h"

namespace {

// Each hooked window keeps its hook in a window property; one hook per window. A second property
// holds the procedure that ours passes messages on to, for as long as ours is in the window's
// chain: a hook taken out while another procedure sits in front of ours leaves ours in place, and
// it must still hand every message to the window's own procedure.
const char kHookProperty[] = "Tarnlook.CWindowHook";
const char kNextProperty[] = "Tarnlook.CWindowHook.Next";

// Only our procedure answers this message, and with kInTheChain; every other one passes it on and
// the window's own answers 0 (DefWindowProc), so the answer tells whether ours is in the chain.
const LRESULT kInTheChain = 0x54484B31;
UINT ChainProbe() {
  static const UINT message = ::RegisterWindowMessageA("Tarnlook.CWindowHook.InTheChain");
  return message;
}

bool HeadsTheChain(HWND hWnd, WNDPROC proc) {
  return ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(proc);
}

// The window procedure alone cannot tell a procedure in front of ours from one that restored an
// older procedure and cut ours out: the probe can.
bool InTheChain(HWND hWnd, WNDPROC proc) {
  return HeadsTheChain(hWnd, proc) || ::SendMessageA(hWnd, ChainProbe(), 0, 0) == kInTheChain;
}

}  // namespace

bool CWindowHook::Hook(HWND hWnd) {
  if (!hWnd || m_hWnd) return false;
  if (::GetPropA(hWnd, kHookProperty) || ::GetPropA(hWnd, kNextProperty)) {
    if (!InTheChain(hWnd, &CWindowHook::HookProc)) {
      // Cut out of the chain: the properties speak of a procedure that no longer runs.
      ::RemovePropA(hWnd, kHookProperty);
      ::RemovePropA(hWnd, kNextProperty);
    } else if (::GetPropA(hWnd, kHookProperty)) {
      return false;
    }
  }
  m_hWnd = hWnd;
  ::SetPropA(hWnd, kHookProperty, this);
  if (HANDLE stillChained = ::GetPropA(hWnd, kNextProperty)) {
    // An earlier hook's procedure is still in the chain: this hook takes its place there.
    m_pfnNext = reinterpret_cast<WNDPROC>(stillChained);
    return true;
  }
  m_pfnNext = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowHook::HookProc)));
  ::SetPropA(hWnd, kNextProperty, reinterpret_cast<HANDLE>(m_pfnNext));
  return true;
}

void CWindowHook::Unhook() {
  if (!m_hWnd) return;
  // A hook whose procedure was cut out may have been replaced since: the window is no longer its.
  if (::GetPropA(m_hWnd, kHookProperty) == this) {
    // A procedure put in front of ours later would be cut off: then ours stays and passes all on.
    if (HeadsTheChain(m_hWnd, &CWindowHook::HookProc)) {
      ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnNext));
      ::RemovePropA(m_hWnd, kNextProperty);
    }
    ::RemovePropA(m_hWnd, kHookProperty);
  }
  m_hWnd = nullptr;
}

LRESULT CALLBACK CWindowHook::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ChainProbe()) return kInTheChain;
  auto* self = static_cast<CWindowHook*>(::GetPropA(hWnd, kHookProperty));
  WNDPROC next = reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kNextProperty));
  if (!next) return ::DefWindowProcA(hWnd, message, wParam, lParam);
  if (!self) {
    // Unhooked while another procedure sat in front: pass everything on, and step out of the
    // chain once ours heads it again or the window goes.
    if (message == WM_NCDESTROY) {
      ::RemovePropA(hWnd, kNextProperty);
    } else if (HeadsTheChain(hWnd, &CWindowHook::HookProc)) {
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
      ::RemovePropA(hWnd, kNextProperty);
    }
  } else if (message == WM_NCDESTROY) {
    self->Unhook();
    ::RemovePropA(hWnd, kNextProperty);
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
