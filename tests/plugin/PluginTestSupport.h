#pragma once
// What the plug-in's tests share: a plug-in loaded by name as a host loads
// it, a driver that acts inside a modal dialog's loop, and the host program
// run as a black box on a device.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin/Corvane.h"
#include "support/Device.h"
#include "support/Process.h"

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

// Acts from inside the modal loop of a dialog of this thread: on every tick
// of a thread timer, while step has not returned true, it is called with the
// visible dialog (class #32770) of this thread and the number of its call.
class ModalDriver {
public:
    using Step = std::function<bool(HWND dialog, int call)>;
    explicit ModalDriver(Step step);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // The number of ticks that found a dialog.
    int Calls() const { return m_calls; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    Step m_step;
    UINT_PTR m_timer;
    int m_calls = 0;
    bool m_done = false;
};

// Posts a key-down (and its key-up) to a window.
void PostKey(HWND window, WPARAM virtualKey);

// A record with plain texts and no hooks.
ShowManagerParams PlainRecord();

// The host "\Flash Disk\Q9Soft\Q9Main.exe" on a device, with a plug-in
// (a DLL built beside the test) installed beside it as Corvane.dll.
class Host {
public:
    Host(testsupport::Device& device, const wchar_t* plugin);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool IsInstalled() const { return m_installed; }
    // Starts "Q9Main.exe /host " + arguments in the device's root, its output into a pipe.
    bool Start(const std::wstring& arguments);
    // Waits for the end; false on time-out. Then reads what it printed.
    bool Finish(DWORD milliseconds = 30000);
    DWORD Id() const { return m_program.Id(); }
    DWORD ExitCode() const { return m_program.ExitCode(); }
    // Standard output (UTF-8 bytes).
    const std::string& Output() const { return m_output; }
    // The journal's lines, without the stand-in's own ("start", "end").
    std::vector<std::wstring> Journal() const;
    // The journal's lines that begin with the text.
    std::vector<std::wstring> JournalLines(const std::wstring& prefix) const;

    static constexpr wchar_t kFolder[] = L"\\Flash Disk\\Q9Soft\\";

private:
    testsupport::Device& m_device;
    testsupport::Program m_program;
    HANDLE m_read = nullptr;
    std::string m_output;
    bool m_installed = false;
};

// A UTF-16 text as ANSI bytes of this process's code page.
std::string Ansi(const std::wstring& text);

}  // namespace plugintest
