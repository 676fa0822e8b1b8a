#include "DemoKit.h"

#include "Png.h"
#include "framework/Gdi.h"
#include "framework/WString.h"

namespace demo {

void Print(const std::wstring& text)
{
    const std::string bytes = fw::WString(text + L"\n").ToUtf8();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring DeviceRoot()
{
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    return std::wstring(current, 3);
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\u201C" + text + L"\u201D";
}

bool TakePicture(HWND window, const std::wstring& path)
{
    RECT place{};
    ::GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    HDC screen = ::GetDC(nullptr);
    bool ok = false;
    {
        fw::MemoryBitmap picture(width, height, screen);
        if (picture.IsValid() &&
            ::BitBlt(picture.DC(), 0, 0, width, height, screen, place.left, place.top, SRCCOPY)) {
            ::GdiFlush();
            ok = WritePng(path, width, height, picture.Bits());
        }
    }
    ::ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace demo
