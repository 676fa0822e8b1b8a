#include "PluginApp.h"

#include <algorithm>
#include <new>

#include "HostHooks.h"

namespace {

// Returned when there is no buffer to return.
constexpr char kNoText[] = "";

struct KeyMapping {
    WPARAM device;
    WPARAM dialog;
};
constexpr KeyMapping kDeviceKeys[] = {
    {VK_F2, VK_TAB}, {VK_F5, VK_DOWN}, {VK_F6, VK_RIGHT}, {VK_F7, VK_UP}, {VK_F8, VK_LEFT}, {VK_F9, VK_RETURN},
};

// The host's box of the innermost call that runs.
CorvaneMessageBox g_hostBox = nullptr;

int ShowThroughHost(HWND, const wchar_t* text, const wchar_t* caption, UINT type)
{
    const UINT buttons = type & MB_TYPEMASK;
    if (!g_hostBox)
        return buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL;
    return g_hostBox(CorvaneString(text), CorvaneString(caption), static_cast<int32_t>(buttons));
}

}  // namespace

PluginCall::PluginCall(CorvaneMessageBox messageBox) noexcept
    : m_previousBox(g_hostBox), m_previousFunction(fw::SetMessageBoxFunction(&ShowThroughHost))
{
    g_hostBox = messageBox;
}

PluginCall::~PluginCall()
{
    g_hostBox = m_previousBox;
    fw::SetMessageBoxFunction(m_previousFunction);
}

WPARAM MapDeviceKey(WPARAM virtualKey)
{
    for (const KeyMapping& key : kDeviceKeys)
        if (key.device == virtualKey)
            return key.dialog;
    return virtualKey;
}

PluginApp::PluginApp() : fw::App(L"Corvane") {}

PluginApp::~PluginApp()
{
    EndLibrary();
    ReleaseResult();  // also when the exports never started the object
}

bool PluginApp::InitInstance()
{
    fw::App::InitInstance();
    return true;
}

int PluginApp::ExitInstance()
{
    ReleaseResult();
    return fw::App::ExitInstance();
}

bool PluginApp::PreTranslateMessage(MSG* message)
{
    if (message->message == WM_KEYDOWN)
        message->wParam = MapDeviceKey(message->wParam);
    return fw::App::PreTranslateMessage(message);
}

const char* PluginApp::SetResult(const fw::WString& text) noexcept
{
    ReleaseResult();
    // A text that the code page cannot write exactly would name another file, or none.
    const int needed = std::max(0, AnsiLengthForHost(text));
    m_result = new (std::nothrow) char[static_cast<size_t>(needed) + 1];
    if (!m_result)
        return kNoText;
    int converted = needed == 0 ? 0
                                : ::WideCharToMultiByte(CP_ACP, kAnsiForHostFlags, text.c_str(),
                                                        static_cast<int>(text.Length()), m_result,
                                                        needed + 1, nullptr, nullptr);
    m_result[converted > 0 ? converted : 0] = '\0';
    return m_result;
}

void PluginApp::ReleaseResult() noexcept
{
    delete[] m_result;
    m_result = nullptr;
}
