#pragma once
// The plug-in's host, "\Flash Disk\Q9Soft\Q9Main.exe /host", run on a device
// and used from outside as a person at the device uses it: its dialog found,
// keys and clicks posted to it, what it printed and journalled read. For the
// tests and the demo.

#include <windows.h>

#include <string>
#include <vector>

#include "Process.h"

namespace testsupport {

class HostProgram {
public:
    // root: the device's root as this process reaches it ("P:\").
    explicit HostProgram(std::wstring root);
    ~HostProgram();  // ends a host that still runs
    HostProgram(const HostProgram&) = delete;
    HostProgram& operator=(const HostProgram&) = delete;

    // Empties the journal and starts "Q9Main.exe /host " + arguments in the
    // device's root, its standard output into a pipe.
    bool Start(const std::wstring& arguments);
    // The file manager's dialog once it shows and has handled its start-up
    // (the preselection's clicks); null when none comes in time.
    HWND WaitForDialog(DWORD milliseconds = 20000);
    // Waits until the host has handled everything posted to it so far, and
    // what that posted in turn.
    bool Settle();
    // A key pressed and released on the host's window with the focus, then Settle.
    bool Key(UINT key);
    // A click at a point of a window's client area, then Settle.
    bool Click(HWND window, POINT point);
    // Waits for the end; false on time-out. Then reads what it printed.
    bool Finish(DWORD milliseconds = 30000);

    DWORD Id() const { return m_program.Id(); }
    DWORD ExitCode() const { return m_program.ExitCode(); }
    // Standard output, UTF-8.
    const std::string& Output() const { return m_output; }
    // The journal's lines that begin with prefix, without the stand-in's own (start, end, mark).
    std::vector<std::wstring> Journal(const std::wstring& prefix = std::wstring()) const;

    static constexpr wchar_t kProgram[] = L"\\Flash Disk\\Q9Soft\\Q9Main.exe";
    static constexpr wchar_t kJournal[] = L"\\Flash Disk\\Q9Soft\\Q9Main.log";

private:
    std::wstring PathOf(const std::wstring& devicePath) const { return m_root + devicePath.substr(1); }
    std::vector<std::wstring> AllJournalLines() const;

    std::wstring m_root;
    Program m_program;
    HANDLE m_read = nullptr;
    std::string m_output;
    unsigned m_marks = 0;
};

}  // namespace testsupport
