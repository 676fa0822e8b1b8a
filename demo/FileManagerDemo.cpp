// Drives the file manager on the demo device as a person at the device
// would: the host (Q9Main.exe /host, with Corvane.dll beside it) fills a combo
// box of its own with the projects, then opens the file manager on its
// project and file; the header check box is ticked, the device's keys move
// and open (or leave). Then an export of projects to the U disk, answered
// in the host's real message boxes. Prints what the dialog and the boxes
// show, what the host gets back and what the U disk holds, and takes
// pictures of the screen on the way.
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
constexpr wchar_t kUDiskData[] = L"\\硬盘\\Data\\";
constexpr DWORD kPatience = 30000;
// The grids' rows in the record's font (宋体 at 11 pixels, drawn as WenQuanYi Micro Hei).
constexpr int kRowHeight = 19;

std::wstring LanguageTag(int language)
{
    return language == 0 ? L"zh" : L"en";
}

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A project folder and the files in it that end in the extension (all when it is empty).
std::wstring ProjectLine(const std::wstring& project, const std::vector<std::wstring>& files,
                         const std::wstring& extension)
{
    std::wstring line = L"  " + project + L"\\ ";
    for (const std::wstring& file : files)
        if (file.compare(0, project.size() + 1, project + L"\\") == 0 && EndsWith(file, extension))
            line += L" " + file.substr(project.size() + 1);
    return line;
}

// The data as it lies on the device: projects, their files and upload.ini.
void PrintData()
{
    std::vector<std::wstring> files, folders;
    testsupport::ListTree(kData, files, folders);
    Print(L"The data folder " + std::wstring(kData) + L" (project files *" + kExtension + L"):");
    for (const std::wstring& project : folders) {
        Print(ProjectLine(project, files, kExtension));
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

// The host's next message box once the one before it has gone: printed, then
// pictured when a name is given, then answered.
bool AnswerNextBox(testsupport::HostProgram& host, HWND& box, int button, const std::wstring& what,
                   const std::wstring& folder, const std::wstring& picture = std::wstring())
{
    for (DWORD start = ::GetTickCount(); box && ::IsWindow(box) && ::GetTickCount() - start < kPatience;)
        ::Sleep(10);
    testsupport::MessageBoxSeen seen;
    if (!testsupport::WaitForMessageBox(host.Id(), seen, kPatience)) {
        Print(L"    no " + what + L" came");
        return false;
    }
    box = seen.window;
    Print(L"    " + what + L", captioned " + Quoted(seen.title) + L":");
    for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 2) {
        end = seen.text.find(L"\r\n", start);
        Print(L"        " + Quoted(seen.text.substr(start, end == std::wstring::npos ? end : end - start)));
    }
    if (!picture.empty())
        Picture(box, folder, picture, what);
    testsupport::PressButton(box, button);
    return true;
}

// The export halfway: while the host takes its time over the first project
// told to it, the screen as the file manager painted it (nothing repainted
// for the picture: the export holds its thread).
bool PictureHalfway(testsupport::HostProgram& host, HWND dialog, const std::wstring& folder, const std::wstring& name)
{
    for (DWORD start = ::GetTickCount(); host.Journal(L"hook onExported").empty();) {
        if (::GetTickCount() - start > kPatience) {
            Print(L"    no project was exported");
            return false;
        }
        ::Sleep(10);
    }
    Print(L"    journal  " + host.Journal(L"hook onExported").front());
    const std::wstring path = folder + L"\\" + name;
    Print(demo::TakePicture(dialog, path) ? L"    picture (the export halfway, its progress under the lists): " + path
                                          : L"    no picture: the export halfway");
    return true;
}

// Export of projects to the bundled U disk, the question and the summary as
// the host's real message boxes on the screen.
bool ExportToUDisk(testsupport::HostProgram& host, const std::wstring& record, int language,
                   const std::wstring& pictures)
{
    Print(L"");
    Print(L"Q9Main.exe /host opens the file manager again, for an export to the U disk (real message boxes;");
    Print(L"its onExported takes 2 s over each project):");
    HWND dialog = host.Start(record + L" exported=2000") ? host.WaitForDialog() : nullptr;
    if (!dialog) {
        Print(L"the file manager did not show");
        return false;
    }
    HWND projects = ::GetDlgItem(dialog, IDC_PROJECT_GRID);
    bool ok = false;
    if (language == 0) {
        Print(L"  the header check box of the project list is ticked");
        ok = host.Click(projects, POINT{4, 4});
    } else {
        Print(L"  the check boxes of the first and the third project are ticked");
        ok = host.Click(projects, POINT{4, kRowHeight + kRowHeight / 2}) &&
             host.Click(projects, POINT{4, 3 * kRowHeight + kRowHeight / 2});
    }
    PrintButtons(dialog);
    Print(L"  " + Quoted(testsupport::WindowText(::GetDlgItem(dialog, IDC_EXPORT))) + L" (Export) is pressed");
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT, BN_CLICKED), 0);
    HWND box = nullptr;
    ok = ok && AnswerNextBox(host, box, IDYES, L"question", pictures) &&
         PictureHalfway(host, dialog, pictures, L"export-" + LanguageTag(language) + L"-halfway.png") &&
         AnswerNextBox(host, box, IDOK, L"summary", pictures, L"export-" + LanguageTag(language) + L".png");
    Print(L"  Exit is pressed");
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    if (!ok || !host.Finish()) {
        Print(L"the export did not end");
        return false;
    }
    PrintHostEnd(host);
    std::vector<std::wstring> files, folders;
    testsupport::ListTree(kUDiskData, files, folders);
    Print(L"The U disk's " + std::wstring(kUDiskData) + L" afterwards:");
    for (const std::wstring& project : folders)
        Print(ProjectLine(project, files, std::wstring()));
    return true;
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
    const std::wstring tag = LanguageTag(language);
    const std::wstring record = settings + L" language=" + std::to_wstring(language);
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
    // Scripted: a notice gets OK and no message box waits for a person.
    HWND dialog = host.Start(record + L" answers=") ? host.WaitForDialog() : nullptr;
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
    return ExportToUDisk(host, record, language, pictures) ? 0 : 1;
}
