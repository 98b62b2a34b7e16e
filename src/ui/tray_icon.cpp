#include "ui/tray_icon.h"

#include <cstring>

#include "watch/alert_texts.h"

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kBalloonMilliseconds = 10000;  // the shell keeps it at least 10 s anyway

// Copies text, cut on a character boundary, into a fixed field with its terminator.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  const std::string cut = watch::CutToField(text, N);
  std::memcpy(field, cut.c_str(), cut.size() + 1);
}

}  // namespace

CTrayIcon::CTrayIcon() : m_nTaskbarCreated(::RegisterWindowMessageA("TaskbarCreated")) {
  std::memset(&m_data, 0, sizeof m_data);
  m_data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  m_data.uID = kIconId;
}

CTrayIcon::~CTrayIcon() { Remove(); }

void CTrayIcon::Create(HWND hOwner, UINT nCallbackMessage, HICON hIcon) {
  m_data.hWnd = hOwner;
  m_data.uCallbackMessage = nCallbackMessage;
  m_data.hIcon = hIcon;
}

bool CTrayIcon::Notify(DWORD message, UINT flags) {
  m_data.uFlags = flags;
  return ::Shell_NotifyIconA(message, &m_data) != FALSE;
}

bool CTrayIcon::Add(const std::string& tip) {
  CopyField(m_data.szTip, tip);
  m_bWanted = true;
  return Restore(false);
}

void CTrayIcon::Remove() {
  m_bWanted = false;
  if (m_bShown) Notify(NIM_DELETE, 0);
  m_bShown = false;
}

bool CTrayIcon::SetTip(const std::string& tip) {
  CopyField(m_data.szTip, tip);
  return m_bShown && Notify(NIM_MODIFY, NIF_TIP);
}

bool CTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!m_bShown) return false;
  CopyField(m_data.szInfoTitle, title);
  CopyField(m_data.szInfo, text);
  m_data.uTimeout = kBalloonMilliseconds;
  m_data.dwInfoFlags = NIIF_WARNING;
  const bool shown = Notify(NIM_MODIFY, NIF_INFO);
  m_data.szInfo[0] = '\0';  // a later modify must not show it again
  return shown;
}

bool CTrayIcon::Restore(bool shellRestarted) {
  if (shellRestarted) m_bShown = false;
  if (!m_bWanted) return false;
  // A shell that still holds the icon refuses to add it again (Windows also broadcasts
  // "TaskbarCreated" when the display's DPI changes): then modifying it succeeds.
  if (!m_bShown)
    m_bShown = Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP) || Notify(NIM_MODIFY, NIF_TIP);
  return m_bShown;
}
