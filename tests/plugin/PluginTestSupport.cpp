#include "PluginTestSupport.h"

#include <string>

#include "DialogDriver.h"
#include "framework/App.h"
#include "framework/WString.h"

namespace plugintest {

namespace {

template <class Function>
Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
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

bool WriteChineseProjects(testsupport::Device& device)
{
    return dialogtest::WriteProject(device, L"\\Flash Disk\\数据\\工程一\\",
                                    {{L"甲.abc", "a", L"2024-05-01 10:00"},
                                     {L"乙.abc", "b", L"2024-05-03 10:00"},
                                     {L"丙.abc", "c", L"2024-05-02 10:00"}}) &&
           dialogtest::WriteProject(device, L"\\Flash Disk\\数据\\工程二\\", {}) &&
           device.WriteFile(L"\\Flash Disk\\数据\\loose.abc", "a file, not a project");
}

bool InstallHost(testsupport::Device& device, const wchar_t* plugin)
{
    std::string host, dll;
    const fw::WString bin = fw::ModuleFolder();
    return testsupport::ReadBytes((bin + L"Q9Main.exe").str(), host) &&
           testsupport::ReadBytes((bin + plugin).str(), dll) && !host.empty() && !dll.empty() &&
           device.WriteFile(L"\\Flash Disk\\Q9Soft\\Q9Main.exe", host) &&
           device.WriteFile(L"\\Flash Disk\\Q9Soft\\Corvane.dll", dll);
}

}  // namespace plugintest
