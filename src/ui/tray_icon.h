#pragma once
// CTrayIcon: the watch's icon in the notification area, and the one owner of its NOTIFYICONDATAA.
// The structure is the Windows 2000 one (NOTIFYICONDATAA_V2_SIZE: balloons, and the program still
// runs on XP) with notify-icon version 0, so the owner's callback message carries the mouse
// message or NIN_BALLOONUSERCLICK in lParam. The icon remembers what the shell holds: NIM_ADD fails
// while the shell is not up yet, and a restarted shell has forgotten every icon.
#include <windows.h>
#include <shellapi.h>

#include <string>

class CTrayIcon {
 public:
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // The icon's owner, the message its events come back as, and its picture (the caller keeps the
  // icon alive). Nothing is shown yet.
  void Create(HWND hOwner, UINT nCallbackMessage, HICON hIcon);

  // NIM_ADD with the tooltip (cut to szTip); from now on the icon is wanted. True when the shell
  // holds it.
  bool Add(const std::string& tip);
  // NIM_DELETE; the icon is no longer wanted. Safe when it is not shown.
  void Remove();
  // The tooltip, kept for a later add; sent on when the shell holds the icon.
  bool SetTip(const std::string& tip);
  // A balloon (NIF_INFO, NIIF_WARNING), title and text cut to their fields; only while the shell
  // holds the icon.
  bool ShowBalloon(const std::string& title, const std::string& text);

  bool IsWanted() const { return m_bWanted; }
  bool IsShown() const { return m_bShown; }

  // The shell's "TaskbarCreated" broadcast, sent when it starts or restarts.
  UINT TaskbarCreatedMessage() const { return m_nTaskbarCreated; }
  // On "TaskbarCreated" (shellRestarted: what the shell held is gone) and before each watch scan:
  // adds the icon again when it is wanted and the shell does not hold it. True when it holds it.
  bool Restore(bool shellRestarted);

 private:
  bool Notify(DWORD message, UINT flags);

  NOTIFYICONDATAA m_data;
  UINT m_nTaskbarCreated = 0;
  bool m_bWanted = false;
  bool m_bShown = false;
};
