#pragma once
// Programs started by tests, and the message boxes they show.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

namespace testsupport {

// A program started by a test: its process is closed when the object goes
// (the program itself goes on running).
class Program {
public:
    // Starts a program with its working directory; false when it cannot be started.
    // An inheritable output handle becomes its standard output and error.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDirectory,
               HANDLE output = nullptr);
    bool IsRunning() const;
    // Waits for the end; false on time-out.
    bool Wait(DWORD milliseconds) const;
    DWORD ExitCode() const;
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process.Get(); }
    void Kill();

private:
    fw::KernelHandle m_process;
    DWORD m_id = 0;
};

// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The visible dialog (class "#32770") of the calling thread, or null: one that
// code the caller only calls has made.
HWND VisibleDialogOfThisThread();
// Finds a window of the process with the class name (for message boxes "#32770"), within the time.
HWND WaitForWindow(DWORD processId, const std::wstring& className, DWORD milliseconds);

struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
};
// A message box of the process: its title and text, found within the time.
bool WaitForMessageBox(DWORD processId, MessageBoxSeen& box, DWORD milliseconds);
// Presses a button of a dialog or message box.
void PressButton(HWND dialog, int buttonId);

// Handles every message waiting for this thread (posted work, painting,
// deferred scroll bars), as a message loop does before the user looks again.
void PumpMessages();

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// Ids of the running processes with this executable file name (letter case ignored).
std::vector<DWORD> ProcessIdsNamed(const std::wstring& exeName);
// Terminates every process with this executable file name and waits for each to end.
void KillProgramsNamed(const std::wstring& exeName);

}  // namespace testsupport
