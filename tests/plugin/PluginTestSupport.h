#pragma once
// What the plug-in's boundary tests share: the built plug-in loaded by name
// as a host loads it, and the host program installed on a device.

#include <windows.h>

#include "plugin/Corvane.h"
#include "support/Device.h"

namespace plugintest {

// A plug-in DLL beside the test, loaded by name, with its two exports looked up by name.
class LoadedPlugin {
public:
    explicit LoadedPlugin(const wchar_t* name = L"Corvane.dll");
    ~LoadedPlugin() { Unload(); }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    HMODULE Module() const { return m_module; }
    CorvaneShowManagerFunction ShowManager() const { return m_showManager; }
    CorvaneSetFolderCtrlFunction SetFolderCtrl() const { return m_setFolderCtrl; }
    void Unload();

private:
    HMODULE m_module;
    CorvaneShowManagerFunction m_showManager = nullptr;
    CorvaneSetFolderCtrlFunction m_setFolderCtrl = nullptr;
};

// The device data of the boundary tests, below "\Flash Disk\数据\": project
// 工程一 with 甲.abc, 乙.abc, 丙.abc (newest first 乙, 丙, 甲), the empty
// project 工程二 and a file that is no project.
bool WriteChineseProjects(testsupport::Device& device);

// Installs the host "\Flash Disk\Q9Soft\Q9Main.exe" on the device with a
// plug-in built beside the test (Corvane.dll, or a probe) as Corvane.dll beside it.
bool InstallHost(testsupport::Device& device, const wchar_t* plugin = L"Corvane.dll");

}  // namespace plugintest
