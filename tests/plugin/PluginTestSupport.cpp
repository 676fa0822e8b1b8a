#include "PluginTestSupport.h"

#include "framework/App.h"
#include "framework/WString.h"

namespace plugintest {

namespace {

template <class Function>
Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

ModalDriver* g_driver = nullptr;

HWND DialogOfThisThread()
{
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM parameter) -> BOOL {
            if (::IsWindowVisible(window) && testsupport::ClassName(window) == L"#32770") {
                *reinterpret_cast<HWND*>(parameter) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

LoadedPlugin::LoadedPlugin(const wchar_t* name) : m_module(::LoadLibraryW(name))
{
    if (m_module) {
        m_showManager = Export<CorvaneShowManagerFunction>(m_module, "Corvane_ShowManager");
        m_setFolderCtrl = Export<CorvaneSetFolderCtrlFunction>(m_module, "Corvane_SetFolderCtrl");
    }
}

void LoadedPlugin::Unload()
{
    if (m_module)
        ::FreeLibrary(m_module);
    m_module = nullptr;
    m_showManager = nullptr;
    m_setFolderCtrl = nullptr;
}

ModalDriver::ModalDriver(Step step) : m_step(std::move(step)), m_timer(::SetTimer(nullptr, 0, 20, &ModalDriver::Tick))
{
    g_driver = this;
}

ModalDriver::~ModalDriver()
{
    ::KillTimer(nullptr, m_timer);
    g_driver = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalDriver* self = g_driver;
    if (!self || self->m_done)
        return;
    if (HWND dialog = DialogOfThisThread())
        self->m_done = self->m_step(dialog, self->m_calls++);
}

void PostKey(HWND window, WPARAM virtualKey)
{
    ::PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

ShowManagerParams PlainRecord()
{
    ShowManagerParams record{};
    record.dataLocation = "Flash Disk\\Data\\";
    record.startLocation = "";
    record.filePattern = "*.abc";
    record.language = 1;
    return record;
}

Host::Host(testsupport::Device& device, const wchar_t* plugin) : m_device(device)
{
    std::string host, dll;
    const fw::WString bin = fw::ModuleFolder();
    m_installed = testsupport::ReadBytes((bin + L"Q9Main.exe").str(), host) &&
                  testsupport::ReadBytes((bin + plugin).str(), dll) && !host.empty() && !dll.empty() &&
                  device.WriteFile(std::wstring(kFolder) + L"Q9Main.exe", host) &&
                  device.WriteFile(std::wstring(kFolder) + L"Corvane.dll", dll);
}

Host::~Host()
{
    m_program.Kill();
    if (m_read)
        ::CloseHandle(m_read);
}

bool Host::Start(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!::CreatePipe(&m_read, &write, &inherit, 1 << 16))
        return false;
    ::SetHandleInformation(m_read, HANDLE_FLAG_INHERIT, 0);
    bool started = m_program.Start(m_device.Path(std::wstring(kFolder) + L"Q9Main.exe"), L"/host " + arguments,
                                   m_device.Root(), write);
    ::CloseHandle(write);
    return started;
}

bool Host::Finish(DWORD milliseconds)
{
    if (!m_program.Wait(milliseconds))
        return false;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(m_read, buffer, sizeof buffer, &read, nullptr) && read > 0)
        m_output.append(buffer, read);
    return true;
}

std::vector<std::wstring> Host::Journal() const
{
    std::string bytes;
    m_device.ReadFile(std::wstring(kFolder) + L"Q9Main.log", bytes);
    std::vector<std::wstring> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos)
            end = bytes.size();
        std::wstring line = fw::WString::FromUtf8(bytes.substr(at, end - at)).str();
        if (line.compare(0, 6, L"start ") != 0 && line.compare(0, 4, L"end ") != 0)
            lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

std::vector<std::wstring> Host::JournalLines(const std::wstring& prefix) const
{
    std::vector<std::wstring> found;
    for (const std::wstring& line : Journal())
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    return found;
}

std::string Ansi(const std::wstring& text)
{
    return fw::WString(text).ToAnsi();
}

}  // namespace plugintest
