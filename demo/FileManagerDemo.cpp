// Drives the file manager on the demo device as a person at the device
// would: the host (Q9Main.exe /host, with Corvane.dll beside it) fills a combo
// box of its own with the projects, then opens the file manager on its
// project and file; the header check box is ticked, the device's keys move
// and open (or leave). Prints what the dialog shows and what the host gets
// back, and takes pictures of the screen on the way.
//
//   FileManagerDemo.exe <language 0|1> <host settings file> <picture folder>
//
// Run it with the working directory on the device's drive and the device's
// code page 936 (tools/demo does).
#include <windows.h>

#include <string>
#include <vector>

#include "DemoKit.h"
#include "framework/WString.h"
#include "plugin/resource.h"
#include "support/Device.h"
#include "support/HostProgram.h"
#include "support/Process.h"

using demo::Print;
using demo::Quoted;

namespace {

constexpr wchar_t kData[] = L"\\Flash Disk\\Data\\";
constexpr wchar_t kExtension[] = L".dat";

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The data as it lies on the device: projects, their files and upload.ini.
void PrintData()
{
    std::vector<std::wstring> files, folders;
    testsupport::ListTree(kData, files, folders);
    Print(L"The data folder " + std::wstring(kData) + L" (project files *" + kExtension + L"):");
    for (const std::wstring& project : folders) {
        std::wstring line = L"  " + project + L"\\ ";
        for (const std::wstring& file : files)
            if (file.compare(0, project.size() + 1, project + L"\\") == 0 && EndsWith(file, kExtension))
                line += L" " + file.substr(project.size() + 1);
        Print(line);
        std::string ini;
        if (!testsupport::ReadBytes(kData + project + L"\\upload.ini", ini))
            continue;
        const std::wstring text = fw::WString::FromAnsi(ini.c_str()).str();
        for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
            Print(L"      upload.ini  " + text.substr(start, end - start));
    }
}

std::wstring Texts(HWND dialog, std::initializer_list<int> ids)
{
    std::wstring line;
    for (int id : ids) {
        HWND item = ::GetDlgItem(dialog, id);
        line += L" " + Quoted(testsupport::WindowText(item)) + (::IsWindowEnabled(item) ? L"" : L" (disabled)");
    }
    return line;
}

void PrintButtons(HWND dialog)
{
    Print(L"    buttons" + Texts(dialog, {IDC_OPEN, IDC_DELETE, IDC_EXPORT, IDC_UPLOAD, IDC_EXIT}));
}

void Picture(HWND dialog, const std::wstring& folder, const std::wstring& name, const std::wstring& what)
{
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(300);  // let it paint
    const std::wstring path = folder + L"\\" + name;
    Print(demo::TakePicture(dialog, path) ? L"    picture (" + what + L"): " + path : L"    no picture: " + what);
}

// The hooks the host's journal shows, its result, and what it printed.
void PrintHostEnd(testsupport::HostProgram& host)
{
    for (const std::wstring& line : host.Journal())
        if (line.compare(0, 5, L"hook ") == 0 || line.compare(0, 7, L"result ") == 0)
            Print(L"    journal  " + line);
    const std::wstring printed = fw::WString::FromUtf8(host.Output()).str();
    Print(L"    the host printed " + Quoted(printed.substr(0, printed.find(L'\n'))));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        Print(L"usage: FileManagerDemo.exe <language 0|1> <host settings file> <picture folder>");
        return 2;
    }
    const int language = _wtoi(argv[1]);
    const std::wstring settings = L"\"" + std::wstring(argv[2]) + L"\"";
    const std::wstring pictures = argv[3];
    const std::wstring tag = language == 0 ? L"zh" : L"en";
    const std::wstring languageSetting = L" language=" + std::to_wstring(language);
    Print(L"Device " + demo::DeviceRoot() + L", ANSI code page " + std::to_wstring(::GetACP()));
    PrintData();

    testsupport::HostProgram host(demo::DeviceRoot());
    Print(L"");
    Print(L"Q9Main.exe /host hands Corvane_SetFolderCtrl a combo box of its own:");
    // Quoted for the command line: the final backslash doubled before the quote.
    if (!host.Start(L"\"folder=" + std::wstring(kData) + L"\\\" manager=no control=combo") || !host.Finish()) {
        Print(L"the host did not run");
        return 1;
    }
    for (const std::wstring& line : host.Journal())
        if (line.compare(0, 7, L"folder ") == 0 || line.compare(0, 6, L"entry ") == 0)
            Print(L"    " + line);

    Print(L"");
    Print(L"Q9Main.exe /host opens the file manager (Corvane_ShowManager):");
    HWND dialog = host.Start(settings + languageSetting) ? host.WaitForDialog() : nullptr;
    if (!dialog) {
        Print(L"the file manager did not show");
        return 1;
    }
    for (const std::wstring& line : host.Journal(L"record "))
        Print(L"    journal  " + line);
    PrintButtons(dialog);
    Print(L"    storage " + Texts(dialog, {IDC_STORAGE_LABEL}));
    Picture(dialog, pictures, L"manager-" + tag + L"-start.png", L"start-up on the host's project and file");

    bool ok = true;
    if (language == 0) {
        Print(L"  F5 moves down a file");
        ok = host.Key(VK_F5);
        Print(L"  the header check box of the file list is ticked");
        ok = ok && host.Click(::GetDlgItem(dialog, IDC_FILE_GRID), POINT{6, 6});
        PrintButtons(dialog);
        Picture(dialog, pictures, L"manager-" + tag + L"-checked.png", L"every file ticked");
        Print(L"  F9 opens the file chosen last");
        ok = ok && host.Key(VK_F9);
    } else {
        Print(L"  F7 moves up a file, F4 leaves");
        ok = host.Key(VK_F7) && host.Key(VK_F4);
    }
    if (!ok || !host.Finish()) {
        Print(L"the file manager did not end");
        return 1;
    }
    PrintHostEnd(host);
    return 0;
}
