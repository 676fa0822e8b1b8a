#pragma once
// What the demo drivers share: printing (UTF-8 bytes, since the console
// functions drop Chinese text into a pipe) and pictures of windows as the
// virtual screen shows them.

#include <windows.h>

#include <string>

namespace demo {

void Print(const std::wstring& text);
// The drive of the working directory, the device's root: "P:\".
std::wstring DeviceRoot();
// Text in typographic quotes.
std::wstring Quoted(const std::wstring& text);
// A PNG of the window's rectangle of the screen.
bool TakePicture(HWND window, const std::wstring& path);

}  // namespace demo
