// Drives a whole update on the demo device as a person would: the device's
// main application and battery program are running, Update.exe is started
// and its button pressed. Prints every text the dialog shows on the way,
// takes a picture of its final state, presses "Close" and shows what the
// device holds afterwards.
//
//   UpdateDemo.exe <language 0|1|2> <picture.png>
//
// Run it with the working directory on the device's drive (tools/demo does).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "DemoKit.h"
#include "support/Device.h"
#include "update/resource.h"

namespace {

constexpr wchar_t kUpdateProgram[] = L"\\Flash Disk\\Update\\Update.exe";
constexpr wchar_t kSettingsFile[] = L"\\Flash Disk\\Update\\update.ini";
constexpr wchar_t kMainProgram[] = L"\\Flash Disk\\Q9Soft\\Q9Main.exe";
constexpr wchar_t kMainJournal[] = L"\\Flash Disk\\Q9Soft\\Q9Main.log";
constexpr wchar_t kBatteryProgram[] = L"\\Flash Disk\\Q9Soft\\battery\\Battery.exe";
constexpr wchar_t kBatteryJournal[] = L"\\Flash Disk\\Q9Soft\\battery\\Battery.log";
constexpr wchar_t kReleaseFolder[] = L"\\硬盘\\Q9Soft\\";
constexpr wchar_t kInstallFolder[] = L"\\Flash Disk\\Q9Soft\\";
constexpr wchar_t kStagingFolder[] = L"\\Flash Disk\\temp\\";
constexpr DWORD kPatience = 60000;

using demo::DeviceRoot;
using demo::Print;
using demo::Quoted;

std::wstring Seconds(DWORD milliseconds)
{
    wchar_t text[32];
    swprintf(text, 32, L"%6.2f s", milliseconds / 1000.0);
    return text;
}

// ---- files

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    testsupport::ReadBytes(path, bytes);
    return bytes;
}

// Files below a folder (relative path -> bytes), and its folders.
void ListFiles(const std::wstring& folder, std::map<std::wstring, std::string>& files,
               std::vector<std::wstring>& folders)
{
    std::vector<std::wstring> names;
    testsupport::ListTree(folder, names, folders);
    for (const std::wstring& name : names)
        files[name] = ReadBytes(folder + name);
}

std::wstring FileName(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Widen(const std::string& utf8)
{
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], needed);
    return wide;
}

std::wstring Version(const std::wstring& folder)
{
    std::string text = ReadBytes(folder + L"version.txt");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? L"(none)" : Widen(text);
}

// Sets the language line of update.ini (UTF-16LE).
bool SetLanguage(int language)
{
    std::string bytes = ReadBytes(kSettingsFile);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    size_t at = text.find(L"UI_LANGUAGE=");
    if (at == std::wstring::npos)
        return false;
    size_t end = text.find(L"\r\n", at);
    text.replace(at, end - at, L"UI_LANGUAGE=" + std::to_wstring(language));
    return testsupport::WriteBytes(kSettingsFile, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}

// The journal of a stand-in as its events: "start, close, end, start".
std::wstring JournalEvents(const wchar_t* journal)
{
    std::string text = ReadBytes(journal);
    std::wstring events;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        size_t cut = line.find(" cwd=");
        if (cut == std::string::npos)
            cut = line.find(" pid=");
        events += (events.empty() ? L"" : L", ") + Widen(line.substr(0, cut));
        at = end + 2;
    }
    return events.empty() ? L"(nothing)" : events;
}

// ---- programs and windows

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

Process Start(const std::wstring& devicePath)
{
    Process process;
    std::wstring exe = DeviceRoot() + devicePath.substr(1);
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, DeviceRoot().c_str(),
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
        process.id = info.dwProcessId;
    }
    return process;
}

HWND FindTopLevel(DWORD processId, const wchar_t* className)
{
    struct Search {
        DWORD id;
        const wchar_t* className;
        HWND found;
    } search{processId, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s->id && IsWindowVisible(window) && wcscmp(name, s->className) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopLevel(DWORD processId, const wchar_t* className)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(10))
        if (HWND window = FindTopLevel(processId, className))
            return window;
    return nullptr;
}

std::wstring Text(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// What the dialog shows at one moment.
struct DialogState {
    bool statusVisible = false;
    std::wstring status;
    std::wstring caption;
    bool buttonEnabled = false;
    int rangeHigh = 0;
    int position = 0;
};

int Ask(HWND window, UINT message, WPARAM wParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 200, &result);
    return static_cast<int>(result);
}

DialogState Read(HWND dialog)
{
    DialogState state;
    HWND status = GetDlgItem(dialog, IDC_UPDATE_TEXT);
    HWND button = GetDlgItem(dialog, IDC_UPDATE_BUTTON);
    HWND bar = GetDlgItem(dialog, IDC_UPDATE_PROGRESS);
    state.statusVisible = IsWindowVisible(status) != FALSE;
    state.status = Text(status);
    state.caption = Text(button);
    state.buttonEnabled = IsWindowEnabled(button) != FALSE;
    state.rangeHigh = Ask(bar, PBM_GETRANGE, FALSE);
    state.position = Ask(bar, PBM_GETPOS, 0);
    return state;
}

bool IsCloseCaption(const std::wstring& caption)
{
    return caption == L"Close" || caption == L"关闭";
}

void Click(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        Print(L"usage: UpdateDemo.exe <language 0|1|2> <picture.png>");
        return 2;
    }
    int language = _wtoi(argv[1]);
    std::wstring picture = argv[2];
    if (!SetLanguage(language)) {
        Print(L"update.ini of the demo device has no UI_LANGUAGE line");
        return 1;
    }

    std::map<std::wstring, std::string> release;
    std::vector<std::wstring> releaseFolders;
    ListFiles(kReleaseFolder, release, releaseFolders);
    std::map<std::wstring, std::string> before;
    std::vector<std::wstring> installedFolders;
    ListFiles(kInstallFolder, before, installedFolders);
    std::vector<std::wstring> leftOut;
    for (const auto& file : release)
        if (FileName(file.first).size() <= 4)
            leftOut.push_back(file.first);
    for (const std::wstring& name : leftOut)
        release.erase(name);
    Print(L"Device " + DeviceRoot() + L"  (update.ini: UI_LANGUAGE=" + std::to_wstring(language) +
          L", StartExeWhenUpdateOver=0)");
    Print(L"  installed " + std::wstring(kInstallFolder) + L": version " + Version(kInstallFolder) + L", " +
          std::to_wstring(before.size()) + L" files");
    std::wstring releaseLine = L"  release   " + std::wstring(kReleaseFolder) + L": version " + Version(kReleaseFolder) +
                               L", " + std::to_wstring(release.size()) + L" files in " +
                               std::to_wstring(releaseFolders.size()) + L" folders";
    for (const std::wstring& name : leftOut)
        releaseLine += L"; " + name + L" is left out (name of 4 characters or less)";
    Print(releaseLine);

    Process main = Start(kMainProgram);
    Process battery = Start(kBatteryProgram);
    if (!WaitForTopLevel(main.id, L"DeviceProgramStandIn") || !WaitForTopLevel(battery.id, L"DeviceProgramStandIn")) {
        Print(L"the stand-ins of Q9Main.exe and Battery.exe did not start");
        return 1;
    }
    Print(L"  running   Q9Main.exe (process " + std::to_wstring(main.id) + L"), Battery.exe (process " +
          std::to_wstring(battery.id) + L")");

    Process update = Start(kUpdateProgram);
    HWND dialog = update.id ? WaitForTopLevel(update.id, L"#32770") : nullptr;
    if (!dialog) {
        Print(L"Update.exe did not show its dialog");
        return 1;
    }
    Print(L"");
    Print(L"Update.exe shows its dialog:");
    DialogState shown = Read(dialog);
    Print(L"  " + Seconds(0) + L"  button " + Quoted(shown.caption) + L", status text hidden");

    Print(L"  " + Seconds(0) + L"  the button is pressed");
    DWORD pressed = GetTickCount();
    Click(GetDlgItem(dialog, IDC_UPDATE_BUTTON));

    DialogState last = shown;
    bool ended = false;
    while (GetTickCount() - pressed < kPatience) {
        if (WaitForSingleObject(update.handle, 0) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        DialogState now = Read(dialog);
        std::wstring at = L"  " + Seconds(GetTickCount() - pressed) + L"  ";
        if (now.caption != last.caption || now.buttonEnabled != last.buttonEnabled)
            Print(at + L"button " + Quoted(now.caption) + (now.buttonEnabled ? L", enabled" : L", disabled"));
        if (now.statusVisible != last.statusVisible || now.status != last.status)
            Print(at + L"status " + (now.statusVisible ? Quoted(now.status) : L"hidden"));
        if (now.rangeHigh != last.rangeHigh)
            Print(at + L"progress bar 0 … " + std::to_wstring(now.rangeHigh) + L", at " +
                  std::to_wstring(now.position));
        last = now;
        if (now.buttonEnabled && IsCloseCaption(now.caption))
            break;
        Sleep(1);
    }
    if (ended || !IsCloseCaption(last.caption)) {
        Print(L"the dialog did not reach its result");
        return 1;
    }
    Print(L"  " + Seconds(GetTickCount() - pressed) + L"  progress bar at " + std::to_wstring(last.position) +
          L" of " + std::to_wstring(last.rangeHigh));

    Sleep(300);  // let it paint its last state
    if (demo::TakePicture(dialog, picture))
        Print(L"  picture of the final state: " + picture);
    else
        Print(L"  no picture could be taken");

    Print(L"  " + Seconds(GetTickCount() - pressed) + L"  " + Quoted(last.caption) + L" is pressed");
    Click(GetDlgItem(dialog, IDC_UPDATE_BUTTON));
    if (WaitForSingleObject(update.handle, kPatience) != WAIT_OBJECT_0) {
        Print(L"Update.exe did not end");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(update.handle, &code);
    Print(L"  " + Seconds(GetTickCount() - pressed) + L"  Update.exe has ended (exit code " + std::to_wstring(code) +
          L")");

    // The main program comes back.
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(20)) {
        std::wstring events = JournalEvents(kMainJournal);
        if (events.size() > 6 && events.compare(events.size() - 5, 5, L"start") == 0)
            break;
    }
    Print(L"");
    Print(L"Afterwards:");
    Print(L"  Q9Main.exe  " + JournalEvents(kMainJournal));
    Print(L"  Battery.exe " + JournalEvents(kBatteryJournal));

    std::map<std::wstring, std::string> after;
    std::vector<std::wstring> afterFolders;
    ListFiles(kInstallFolder, after, afterFolders);
    size_t same = 0;
    for (const auto& file : release)
        if (after.count(file.first) && after[file.first] == file.second)
            ++same;
    bool stagingGone = GetFileAttributesW(kStagingFolder) == INVALID_FILE_ATTRIBUTES;
    Print(L"  installed " + std::wstring(kInstallFolder) + L": version " + Version(kInstallFolder) + L", " +
          std::to_wstring(same) + L" of " + std::to_wstring(release.size()) + L" release files identical");
    for (const std::wstring& name : leftOut)
        Print(L"  " + name + (after.count(name) ? L" was installed" : L" was not installed"));
    for (const std::wstring& folder : releaseFolders) {
        bool hasFiles = false;
        for (const auto& file : release)
            hasFiles = hasFiles || file.first.compare(0, folder.size() + 1, folder + L"\\") == 0;
        if (!hasFiles)
            Print(L"  empty folder " + folder + (GetFileAttributesW((kInstallFolder + folder).c_str()) ==
                                                          INVALID_FILE_ATTRIBUTES
                                                      ? L" was not created"
                                                      : L" was created"));
    }
    Print(L"  staging folder " + std::wstring(kStagingFolder) + (stagingGone ? L" removed" : L" still there"));

    // The main program started again keeps running; tools/demo ends the Wine session.
    for (HANDLE handle : {main.handle, battery.handle, update.handle})
        if (handle)
            CloseHandle(handle);
    bool succeeded = code == 0 && same == release.size() && stagingGone;
    return succeeded ? 0 : 1;
}
