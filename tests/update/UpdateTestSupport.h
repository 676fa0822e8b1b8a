#pragma once
// What the update tests share: the device layout the updater expects, the
// stand-ins for the device's programs and their journals, and recorders for
// what the run reports (progress messages, debug output).

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "support/Device.h"
#include "support/DeviceLayout.h"

namespace updatetest {

using testsupport::kBatteryJournal;
using testsupport::kBatteryProgram;
using testsupport::kInstallFolder;
using testsupport::kMainJournal;
using testsupport::kMainProgram;
using testsupport::kReleaseFolder;
using testsupport::kStagingFolder;

// A program built beside the test executable.
std::wstring BuiltProgram(const std::wstring& name);

// Copies the stand-ins Q9Main.exe and Battery.exe to their places below the folder.
bool InstallStandIns(const testsupport::Device& device, const std::wstring& folder = kInstallFolder);
// Ends every stand-in of this Wine server.
void KillStandIns();

// The events of a stand-in's journal in order ("start", "close", "close ignored", "end").
std::vector<std::string> JournalEvents(const testsupport::Device& device, const std::wstring& journal);
// The whole journal text.
std::string JournalText(const testsupport::Device& device, const std::wstring& journal);

// Writes files (relative path -> bytes) below a device folder.
bool WriteFiles(const testsupport::Device& device, const std::wstring& folder,
                const std::map<std::wstring, std::string>& files);
// Every file below a device folder: relative path -> bytes (empty when the folder is missing).
std::map<std::wstring, std::string> FilesBelow(const testsupport::Device& device, const std::wstring& folder);
// The folders below a device folder, as relative paths.
std::vector<std::wstring> FoldersBelow(const testsupport::Device& device, const std::wstring& folder);

// The lines of update.log (UTF-16LE, CR LF); a last line that is not whole
// ends with "<cut>".
std::vector<std::wstring> LogLines(const std::wstring& path);

// A message-only window of this thread that records every WM_UPDATE_PROGRESS posted to it.
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    HWND Window() const { return m_window; }
    // Takes the messages waiting for the window, in posting order, as (wParam, lParam).
    std::vector<std::pair<long long, long long>> Drain();

private:
    HWND m_window;
};

// Sets (or, with a null text, deletes) HKEY_LOCAL_MACHINE\init\OSVersion and puts the previous state back.
class OsVersionValue {
public:
    explicit OsVersionValue(const wchar_t* text, DWORD type = REG_SZ);
    ~OsVersionValue();
    OsVersionValue(const OsVersionValue&) = delete;
    OsVersionValue& operator=(const OsVersionValue&) = delete;

private:
    bool m_hadValue = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_previous;
};

// A program started with a security descriptor that refuses every access to
// its process: others can neither wait for it nor terminate it.
class GuardedProgram {
public:
    GuardedProgram() = default;
    ~GuardedProgram() { Kill(); }
    GuardedProgram(const GuardedProgram&) = delete;
    GuardedProgram& operator=(const GuardedProgram&) = delete;

    bool Start(const std::wstring& exe, const std::wstring& workingDirectory);
    DWORD Id() const { return m_id; }
    void Kill();

private:
    fw::KernelHandle m_process;
    DWORD m_id = 0;
};

}  // namespace updatetest
