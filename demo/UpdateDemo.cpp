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
#include "framework/Path.h"
#include "support/Device.h"
#include "support/DeviceLayout.h"
#include "support/Process.h"
#include "update/resource.h"

namespace {

using testsupport::Program;

const std::wstring kUpdateProgram = std::wstring(testsupport::kUpdateFolder) + L"Update.exe";
const std::wstring kSettingsFile = std::wstring(testsupport::kUpdateFolder) + L"update.ini";
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

using testsupport::FileBytes;
using testsupport::FilesBelow;

std::wstring Widen(const std::string& utf8)
{
    int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], needed);
    return wide;
}

std::wstring Version(const std::wstring& folder)
{
    std::string text = FileBytes(folder + L"version.txt");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? L"(none)" : Widen(text);
}

// Sets the language line of update.ini (UTF-16LE).
bool SetLanguage(int language)
{
    std::string bytes = FileBytes(kSettingsFile);
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
    std::wstring events;
    for (const std::string& event : testsupport::JournalEvents(FileBytes(journal)))
        events += (events.empty() ? L"" : L", ") + Widen(event);
    return events.empty() ? L"(nothing)" : events;
}

// ---- programs and windows

// A device program, started with the working directory on the device as the device starts it.
bool Start(Program& program, const std::wstring& devicePath)
{
    return program.Start(DeviceRoot() + devicePath.substr(1), L"", DeviceRoot());
}

HWND WaitForTopLevel(const Program& program, const wchar_t* className)
{
    return testsupport::WaitForWindow(program.Id(), className, kPatience);
}

using testsupport::WindowText;

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
    state.status = WindowText(status);
    state.caption = WindowText(button);
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

    const std::wstring installFolder = testsupport::kInstallFolder;
    const std::wstring releaseFolder = testsupport::kReleaseFolder;
    const std::wstring stagingFolder = testsupport::kStagingFolder;
    std::map<std::wstring, std::string> release = FilesBelow(releaseFolder);
    std::vector<std::wstring> releaseFiles;
    std::vector<std::wstring> releaseFolders;
    testsupport::ListTree(releaseFolder, releaseFiles, releaseFolders);
    std::map<std::wstring, std::string> before = FilesBelow(installFolder);
    std::vector<std::wstring> leftOut;
    for (const auto& file : release)
        if (fw::FileNameOf(file.first).Length() <= 4)
            leftOut.push_back(file.first);
    for (const std::wstring& name : leftOut)
        release.erase(name);
    Print(L"Device " + DeviceRoot() + L"  (update.ini: UI_LANGUAGE=" + std::to_wstring(language) +
          L", StartExeWhenUpdateOver=0)");
    Print(L"  installed " + installFolder + L": version " + Version(installFolder) + L", " +
          std::to_wstring(before.size()) + L" files");
    std::wstring releaseLine = L"  release   " + releaseFolder + L": version " + Version(releaseFolder) +
                               L", " + std::to_wstring(release.size()) + L" files in " +
                               std::to_wstring(releaseFolders.size()) + L" folders";
    for (const std::wstring& name : leftOut)
        releaseLine += L"; " + name + L" is left out (name of 4 characters or less)";
    Print(releaseLine);

    Program main;
    Program battery;
    if (!Start(main, testsupport::kMainProgram) || !Start(battery, testsupport::kBatteryProgram) ||
        !WaitForTopLevel(main, L"DeviceProgramStandIn") || !WaitForTopLevel(battery, L"DeviceProgramStandIn")) {
        Print(L"the stand-ins of Q9Main.exe and Battery.exe did not start");
        return 1;
    }
    Print(L"  running   Q9Main.exe (process " + std::to_wstring(main.Id()) + L"), Battery.exe (process " +
          std::to_wstring(battery.Id()) + L")");

    Program update;
    HWND dialog = Start(update, kUpdateProgram) ? WaitForTopLevel(update, L"#32770") : nullptr;
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
        if (!update.IsRunning()) {
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
    if (!update.Wait(kPatience)) {
        Print(L"Update.exe did not end");
        return 1;
    }
    DWORD code = update.ExitCode();
    Print(L"  " + Seconds(GetTickCount() - pressed) + L"  Update.exe has ended (exit code " + std::to_wstring(code) +
          L")");

    // The main program comes back.
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPatience; Sleep(20)) {
        std::wstring events = JournalEvents(testsupport::kMainJournal);
        if (events.size() > 6 && events.compare(events.size() - 5, 5, L"start") == 0)
            break;
    }
    Print(L"");
    Print(L"Afterwards:");
    Print(L"  Q9Main.exe  " + JournalEvents(testsupport::kMainJournal));
    Print(L"  Battery.exe " + JournalEvents(testsupport::kBatteryJournal));

    std::map<std::wstring, std::string> after = FilesBelow(installFolder);
    size_t same = 0;
    for (const auto& file : release)
        if (after.count(file.first) && after[file.first] == file.second)
            ++same;
    bool stagingGone = GetFileAttributesW(stagingFolder.c_str()) == INVALID_FILE_ATTRIBUTES;
    Print(L"  installed " + installFolder + L": version " + Version(installFolder) + L", " +
          std::to_wstring(same) + L" of " + std::to_wstring(release.size()) + L" release files identical");
    for (const std::wstring& name : leftOut)
        Print(L"  " + name + (after.count(name) ? L" was installed" : L" was not installed"));
    for (const std::wstring& folder : releaseFolders) {
        bool hasFiles = false;
        for (const auto& file : release)
            hasFiles = hasFiles || file.first.compare(0, folder.size() + 1, folder + L"\\") == 0;
        if (!hasFiles)
            Print(L"  empty folder " + folder + (GetFileAttributesW((installFolder + folder).c_str()) ==
                                                          INVALID_FILE_ATTRIBUTES
                                                      ? L" was not created"
                                                      : L" was created"));
    }
    Print(L"  staging folder " + stagingFolder + (stagingGone ? L" removed" : L" still there"));
    // Its log beside it (UTF-16LE, CR LF).
    const std::string log = testsupport::FileBytes(std::wstring(testsupport::kUpdateFolder) + L"update.log");
    const std::wstring lines(reinterpret_cast<const wchar_t*>(log.data()), log.size() / sizeof(wchar_t));
    Print(L"  " + std::wstring(testsupport::kUpdateFolder) + L"update.log:");
    for (size_t start = 0, end; (end = lines.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        Print(L"    " + lines.substr(start, end - start));

    // The main program started again keeps running; tools/demo ends the Wine session.
    bool succeeded = code == 0 && same == release.size() && stagingGone;
    return succeeded ? 0 : 1;
}
