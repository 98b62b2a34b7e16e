#pragma once
// The clipboard, as text.
#include <windows.h>

#include <string>

// Replaces the clipboard's contents with text in code page 936, offered both as CF_TEXT (the bytes
// as they are) and as CF_UNICODETEXT (converted), so programs of either kind paste it unchanged
// whatever their own code page. False when the clipboard cannot be had.
bool SetClipboardText(HWND hOwner, const std::string& cp936Text);
