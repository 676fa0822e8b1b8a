// The host's record through the plug-in's exports, as a host calls them: texts
// null, empty, long or not valid in the ANSI code page, short patterns, any
// layout byte, any language. The dialog is ended by a posted Open or Exit and
// must answer with a valid text every time. The data location then fills the
// host's combo box with folder names. An input that goes on after its texts
// is a person at the dialog instead (the plug-in's dialog in this process, on
// a device made afresh): ticking, opening projects, and Export, Delete and
// Upload answered Yes, after each of which nothing but the checked items may
// have changed on the disk and the summary's counts must be the disk's.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CorvaneDlg.h"
#include "Fuzz.h"
#include "framework/FileFinder.h"
#include "framework/Window.h"
#include "plugin/Corvane.h"
#include "plugin/resource.h"
#include "support/Device.h"
#include "support/Process.h"

namespace {

using fuzz::Bytes;

// The longest answer that makes sense: a path, not a buffer overrun.
constexpr size_t kLongestPath = 32768;
constexpr DWORD kDialogTimeLimit = 10000;

using ShowManager = const char*(CORVANE_CALL*)(const ShowManagerParams*);
using SetFolderCtrl = void(CORVANE_CALL*)(const char*, void*);

struct Plugin {
    ShowManager showManager = nullptr;
    SetFolderCtrl setFolderCtrl = nullptr;
    // The host's combo box that the folder export fills.
    fw::Window combo;

    Plugin()
    {
        HMODULE module = ::LoadLibraryW(L"CorvaneChecked.dll");
        if (!module)
            return;
        showManager = reinterpret_cast<ShowManager>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "Corvane_ShowManager")));
        setFolderCtrl = reinterpret_cast<SetFolderCtrl>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "Corvane_SetFolderCtrl")));
        combo.Attach(::CreateWindowExW(0, L"ComboBox", L"", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 200, 200, nullptr,
                                       nullptr, nullptr, nullptr));
    }
    bool IsReady() const { return showManager && setFolderCtrl && combo.IsWindow(); }
};

// The combo box's entries: folder names, nothing else.
std::string CheckFolderList(const fw::Window& combo)
{
    const LRESULT count = ::SendMessageW(combo.Handle(), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t name[MAX_PATH + 1] = {};
        if (::SendMessageW(combo.Handle(), CB_GETLBTEXTLEN, i, 0) > MAX_PATH)
            return "folder entry longer than a name";
        ::SendMessageW(combo.Handle(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        const std::wstring entry = name;
        if (entry.empty() || entry == L"." || entry == L".." || entry.find(L'\\') != std::wstring::npos)
            return fuzz::Finding("folder entry ", entry);
    }
    return {};
}

int32_t CORVANE_CALL AnswerMessageBox(CorvaneString, CorvaneString, int32_t type)
{
    return type == 4 ? 7 : 1;  // No to every question: nothing is deleted or exported
}

// Ends the dialog this thread shows: Open first when asked, then Exit.
struct Ender {
    bool open = false;
    int ticks = 0;
    DWORD deadline = 0;
    bool timedOut = false;
};
Ender* g_ender = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    Ender& ender = *g_ender;
    HWND dialog = testsupport::VisibleDialogOfThisThread();
    if (!dialog)
        return;
    if (::GetTickCount() > ender.deadline) {
        ender.timedOut = true;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    const int id = ender.open && ender.ticks == 0 ? IDC_OPEN : IDC_EXIT;
    ++ender.ticks;
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool IsExistingFile(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Export, Delete and Upload answered Yes, on a device made afresh for the input

// Paths as the file system compares them.
struct NoCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                      TRUE) == CSTR_LESS_THAN;
    }
};

// The device's files and folders, relative to its root ("Flash Disk\Data\P1\a.dat").
struct Disk {
    std::map<std::wstring, std::string, NoCase> files;
    std::set<std::wstring, NoCase> folders;
};

// A device path as the disk lists it: no leading backslash, none doubled.
std::wstring Relative(std::wstring path)
{
    for (size_t at = path.find(L"\\\\"); at != std::wstring::npos; at = path.find(L"\\\\"))
        path.erase(at, 1);
    return path.empty() || path[0] != L'\\' ? path : path.substr(1);
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end)
{
    return !end.empty() && text.size() >= end.size() &&
           ::CompareStringOrdinal(text.c_str() + text.size() - end.size(), static_cast<int>(end.size()), end.c_str(),
                                  static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

// Three volumes with projects of files of the pattern's type and of others,
// a nested folder and an upload.ini; the U disk holds a project of its own.
class OperationDevice {
public:
    OperationDevice() : m_device(true) { Restore(); }
    bool IsReady() const { return m_device.IsReady(); }
    void Enter() { m_device.Enter(); }
    // Everything as it was at the start: what the operations of the last input left goes.
    void Restore()
    {
        m_device.Enter();
        if (!m_changed)
            return;
        m_changed = false;
        Disk left = Read();
        for (auto it = left.files.rbegin(); it != left.files.rend(); ++it)
            ::DeleteFileW(m_device.Path(L"\\" + it->first).c_str());
        for (auto it = left.folders.rbegin(); it != left.folders.rend(); ++it)
            ::RemoveDirectoryW(m_device.Path(L"\\" + *it).c_str());
        const std::string status = "[result]\r\na.dat=2024-03-08 12:10##uploaded\r\n";
        const std::pair<const wchar_t*, const char*> files[] = {
            {L"Flash Disk\\Data\\P1\\a.dat", "a"},         {L"Flash Disk\\Data\\P1\\b.DAT", "bb"},
            {L"Flash Disk\\Data\\P1\\notes.txt", "n"},     {L"Flash Disk\\Data\\P1\\sub\\c.dat", "ccc"},
            {L"Flash Disk\\Data\\P1\\upload.ini", nullptr}, {L"Flash Disk\\Data\\项目\\测点001.dat", "d"},
            {L"Flash Disk\\Data\\项目\\测点002.dat", "dd"}, {L"Flash Disk\\Data\\空\\.keep", ""},
            {L"Storage Card\\Data\\C1\\x.dat", "x"},        {L"Storage Card\\Data\\C1\\y.dat", "yy"},
            {L"Storage Card\\P2\\z.dat", "z"},              {L"硬盘\\Data\\P3\\u.dat", "u"},
        };
        for (const auto& [path, bytes] : files)
            m_device.WriteFile(L"\\" + std::wstring(path), bytes ? bytes : status);
    }
    // An operation may have changed the disk.
    void Changed() { m_changed = true; }
    Disk Read() const
    {
        Disk disk;
        std::vector<std::wstring> files;
        std::vector<std::wstring> folders;
        testsupport::ListTree(m_device.Root(), files, folders);
        for (const std::wstring& file : files)
            disk.files[file] = testsupport::FileBytes(m_device.Root() + file);
        disk.folders.insert(folders.begin(), folders.end());
        return disk;
    }

private:
    testsupport::Device m_device;
    bool m_changed = true;
};

// What the host's hooks were told, one line each.
std::vector<std::wstring> g_journal;
bool g_messageBox = true;
bool g_answerNo = false;
bool g_refuseUpload = false;

int32_t CORVANE_CALL JournalMessageBox(CorvaneString text, CorvaneString caption, int32_t type)
{
    g_journal.push_back(L"messageBox " + std::wstring(text.c_str()) + L"|" + caption.c_str());
    return type == 4 ? (g_answerNo ? 7 : 6) : 1;
}

constexpr size_t kMostActions = 16;

// The dialog without its pause before the summary: thousands of operations, not minutes.
class OperationDialog : public CCorvaneDlg {
protected:
    void PauseBeforeResult() const override {}
};

// The names of a grid's rows, or of its checked ones; a file row's is its file's own name.
std::vector<std::wstring> Names(CCorvaneDlg& dialog, bool files, bool checkedOnly)
{
    CGridCtrl& grid = files ? dialog.FileGrid() : dialog.ProjectGrid();
    std::vector<std::wstring> names;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        auto* check = dynamic_cast<CGridCellCheck*>(grid.GetCell(row, 0));
        if (!checkedOnly || (check && check->GetCheck()))
            names.push_back((files ? dialog.ListedFileName(row) : grid.GetItemText(row, 1)).str());
    }
    return names;
}

// The number before a clause of the summary, -1 without the clause.
int NumberBefore(const std::wstring& text, const std::wstring& clause)
{
    size_t at = text.find(clause);
    if (at == std::wstring::npos)
        return -1;
    while (at > 0 && text[at - 1] == L' ')
        --at;
    while (at > 0 && ((text[at - 1] >= L'0' && text[at - 1] <= L'9') || text[at - 1] == L'-'))
        --at;
    return std::wcstol(text.c_str() + at, nullptr, 10);
}

// A person at the dialog: ticks, opens projects and presses the operations,
// as the input says; after each operation the disk and the summary are held
// against what was checked when the button went down.
class Person {
public:
    Person(OperationDialog& dialog, OperationDevice& device, const Bytes& actions)
        : m_dialog(dialog), m_device(device), m_actions(actions)
    {
    }
    std::string finding;

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD)
    {
        Person* person = s_current;
        if (person && person->m_dialog.IsModalRunning()) {
            s_current = nullptr;  // once
            person->Play();
        }
    }
    static Person* s_current;

private:
    struct Press {
        int button = 0;
        std::wstring data;  // storage root and data folder, relative
        std::wstring open;  // the open project, with its backslash
        std::wstring extension;
        std::wstring pattern;
        std::vector<std::wstring> projects;  // checked
        std::vector<std::wstring> files;     // checked, their files' own names
        bool allFiles = false;               // every listed file checked
        int32_t language = 0;
        Disk before;
        size_t journal = 0;
    };

    void Play();
    void Click(CGridCtrl& grid, int row, int col);
    void PressButton(int id);
    std::string CheckOperation();
    std::string CheckExport(const Press& p, const Disk& after, bool agreed);
    std::string CheckDelete(const Press& p, const Disk& after, bool agreed);
    std::string CheckUpload(const Press& p, const Disk& after, bool agreed);
    std::string CheckSummary(const Press& p, int projects, int files, bool failed);
    static std::string CompareDisks(Disk expected, const Disk& after, const std::wstring& newFoldersUnder);

    OperationDialog& m_dialog;
    OperationDevice& m_device;
    const Bytes& m_actions;
    Press m_press;
};

Person* Person::s_current = nullptr;

// All the actions at the first tick of the dialog's loop, each once the
// dialog has handled what the one before posted.
void Person::Play()
{
    CGridCtrl& projects = m_dialog.ProjectGrid();
    CGridCtrl& files = m_dialog.FileGrid();
    for (size_t at = 0; at < std::min(m_actions.size(), kMostActions) && finding.empty(); ++at) {
        const uint8_t b = static_cast<uint8_t>(m_actions[at]);
        const auto rowOf = [b](CGridCtrl& grid) {
            return grid.GetRowCount() > 1 ? 1 + (b >> 4) % (grid.GetRowCount() - 1) : 0;
        };
        switch (b % 14) {
        case 0:
        case 1:
            Click(projects, rowOf(projects), 1);  // opens the project
            break;
        case 2:
        case 3:
            Click(projects, rowOf(projects), 0);
            break;
        case 4:
        case 5:
            Click(files, rowOf(files), 0);
            break;
        case 6:
            Click(b & 0x10 ? files : projects, 0, 0);  // every row
            break;
        case 7:
        case 8:
            PressButton(IDC_EXPORT);
            break;
        case 9:
        case 10:
            PressButton(IDC_DELETE);
            break;
        case 11:
        case 12:
            PressButton(IDC_UPLOAD);
            break;
        default:
            at = m_actions.size();  // Exit
            break;
        }
        testsupport::PumpMessages();
        if (m_press.button)
            finding = CheckOperation();
        m_press.button = 0;
        if (!m_dialog.IsModalRunning())
            return;
    }
    m_dialog.EndDialog(IDCANCEL);
}

void Person::Click(CGridCtrl& grid, int row, int col)
{
    if (row < 0 || row >= grid.GetRowCount() || col >= grid.GetColumnCount())
        return;
    grid.EnsureVisible(row, col);
    RECT cell{};
    if (!grid.GetCellRect(row, col, &cell))
        return;
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON, at);
    grid.Post(WM_LBUTTONUP, 0, at);
}

void Person::PressButton(int id)
{
    HWND button = ::GetDlgItem(m_dialog.Handle(), id);
    if (!::IsWindowVisible(button) || !::IsWindowEnabled(button))
        return;  // a person cannot press it
    Press& p = m_press;
    p = Press();
    p.button = id;
    p.data = Relative((m_dialog.StorageRoot() + m_dialog.DataFolder()).str());
    p.open = m_dialog.OpenProject().str();
    p.extension = m_dialog.Extension().str();
    p.pattern = m_dialog.FilePattern().str();
    p.projects = Names(m_dialog, false, true);
    p.files = Names(m_dialog, true, true);
    p.allFiles = !p.files.empty() && p.files.size() == Names(m_dialog, true, false).size();
    p.language = m_dialog.Language();
    p.before = m_device.Read();
    p.journal = g_journal.size();
    m_device.Changed();
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

std::string Person::CheckOperation()
{
    const Press& p = m_press;
    const Disk after = m_device.Read();
    // A language without texts asks nothing and goes on; else the answer decides.
    const bool asked = p.language == 0 || p.language == 1;
    const bool agreed = !asked || (g_messageBox && !g_answerNo);
    if (p.button == IDC_EXPORT)
        return CheckExport(p, after, agreed);
    if (p.button == IDC_DELETE)
        return CheckDelete(p, after, agreed);
    return CheckUpload(p, after, agreed);
}

// Nothing but what was expected changed; new folders only below one place.
std::string Person::CompareDisks(Disk expected, const Disk& after, const std::wstring& newFoldersUnder)
{
    for (const std::wstring& folder : after.folders)
        if (!newFoldersUnder.empty() && folder.rfind(newFoldersUnder, 0) == 0)
            expected.folders.insert(folder);
    // Where the two listings first part: what was expected there, and what is there.
    const auto first = [](const auto& want, const auto& got, const auto& key) {
        const auto [a, b] = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
        return a == want.end() && b == got.end() ? std::wstring()
                                                 : (a == want.end() ? L"nothing" : key(*a)) + L" but found " +
                                                       (b == got.end() ? L"nothing" : key(*b));
    };
    std::wstring part = first(expected.files, after.files, [](const auto& entry) { return entry.first; });
    if (part.empty())
        part = first(expected.folders, after.folders, [](const std::wstring& folder) { return folder; });
    return part.empty() ? std::string() : fuzz::Finding("the disk is not as expected: ", part);
}

std::string Person::CheckSummary(const Press& p, int projects, int files, bool failed)
{
    if (p.language != 0 && p.language != 1)
        return {};
    if (g_journal.size() <= p.journal)
        return "no summary";
    const std::wstring summary = g_journal.back();
    const bool english = p.language == 1;
    const int shownProjects = NumberBefore(summary, english ? L"Project(s)" : L"个工程");
    const int shownFiles = NumberBefore(summary, english ? L"File(s)" : L"个文件");
    const bool shownFailed = summary.find(english ? L"Error!" : L"出错") != std::wstring::npos;
    if (shownProjects != (projects > 0 ? projects : -1) || shownFiles != files || shownFailed != failed)
        return fuzz::Finding("the summary ", summary, " for ", projects, " projects and ", files, " files on the disk",
                             failed ? ", failed" : "");
    return {};
}

std::string Person::CheckExport(const Press& p, const Disk& after, bool agreed)
{
    Disk expected = p.before;
    if (!agreed)
        return CompareDisks(expected, after, L"");
    // "\硬盘\" and the data folder's last component.
    std::wstring folder = m_dialog.DataFolder().str();
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    const std::wstring target = Relative(L"\\硬盘\\" + folder.substr(folder.rfind(L'\\') + 1) + L"\\");
    int projects = 0;
    int files = 0;
    bool failed = false;
    if (!p.projects.empty() || p.files.empty()) {
        // Whole projects, every file on every level.
        for (const std::wstring& project : p.projects) {
            const std::wstring from = Relative(p.data + project + L"\\");
            for (const auto& [path, bytes] : p.before.files)
                if (path.rfind(from, 0) == 0) {
                    expected.files[target + project + L"\\" + path.substr(from.size())] = bytes;
                    ++files;
                }
            ++projects;
        }
    } else {
        // Single files of the open project, until one cannot be copied.
        for (const std::wstring& name : p.files) {
            const auto source = p.before.files.find(Relative(p.data + p.open + name));
            if (source == p.before.files.end()) {
                failed = true;
                break;
            }
            expected.files[Relative(target + p.open + name)] = source->second;
            ++files;
        }
    }
    if (std::string f = CompareDisks(expected, after, Relative(L"\\硬盘\\")); !f.empty())
        return "Export: " + f;
    return CheckSummary(p, projects, files, failed);
}

std::string Person::CheckDelete(const Press& p, const Disk& after, bool agreed)
{
    Disk expected = p.before;
    if (!agreed)
        return CompareDisks(expected, after, L"");
    int projects = 0;
    int files = 0;
    bool failed = false;
    const auto erase = [&](const std::wstring& path) { return expected.files.erase(path) > 0; };
    // The checked files of the open project first; one that is not there stays listed and uncounted.
    for (const std::wstring& name : p.files) {
        const bool erased = erase(Relative(p.data + p.open + name));
        failed = failed || !erased;
        files += erased;
    }
    // With every listed file gone the open project's row goes, and its folder if nothing else is left.
    std::wstring open = p.open;
    if (!open.empty() && open.back() == L'\\')
        open.pop_back();
    const bool rowGone = p.allFiles && !failed;
    if (rowGone) {
        const std::wstring folder = Relative(p.data + open);
        bool empty = true;
        for (const auto& entry : expected.files)
            empty = empty && entry.first.rfind(folder + L"\\", 0) != 0;
        for (const std::wstring& below : expected.folders)
            empty = empty && below.rfind(folder + L"\\", 0) != 0;
        if (empty)
            expected.folders.erase(folder);
    }
    // Then whole projects: every file goes, those of the pattern's type count.
    for (const std::wstring& project : p.projects) {
        if (rowGone && project == open)
            continue;
        const std::wstring folder = Relative(p.data + project);
        for (auto it = expected.files.begin(); it != expected.files.end();)
            if (it->first.rfind(folder + L"\\", 0) == 0) {
                files += EndsWithNoCase(it->first, p.extension.size() > 3 ? p.extension.substr(p.extension.size() - 3)
                                                                           : p.extension);
                it = expected.files.erase(it);
            } else {
                ++it;
            }
        for (auto it = expected.folders.begin(); it != expected.folders.end();)
            it = *it == folder || it->rfind(folder + L"\\", 0) == 0 ? expected.folders.erase(it) : std::next(it);
        ++projects;
    }
    if (std::string f = CompareDisks(expected, after, L""); !f.empty())
        return "Delete: " + f;
    return CheckSummary(p, projects, files, failed);
}

std::string Person::CheckUpload(const Press& p, const Disk& after, bool agreed)
{
    Disk expected = p.before;
    std::vector<std::wstring> items;
    std::wstring open = p.open;
    if (!open.empty() && open.back() == L'\\')
        open.pop_back();
    const bool uploads = !g_refuseUpload && p.projects.size() <= 1 && agreed;
    if (uploads) {
        expected.folders.insert(L"Flash Disk");
        expected.folders.insert(L"Flash Disk\\Upload");
        // The open project's checked files, unless its own row is checked; then the checked project's items.
        if (std::find(p.projects.begin(), p.projects.end(), open) == p.projects.end())
            for (const std::wstring& name : p.files)
                items.push_back(L"uploadItem \\" + p.data + p.open + name);
        for (const std::wstring& project : p.projects) {
            const std::wstring folder = L"\\" + p.data + project + L"\\";
            std::vector<std::wstring> listed;
            fw::FileFinder find(fw::WString(folder + p.pattern));
            for (bool more = find.IsOpen(); more; more = find.Next())
                if (find.IsFolder() == (p.pattern == L"*.*") && !find.IsDots())
                    listed.push_back(L"uploadItem " + folder + find.Name());
            std::sort(listed.begin(), listed.end());
            items.insert(items.end(), listed.begin(), listed.end());
        }
        items.push_back(L"onUploadDone");
    }
    // In any order: the folder lists a project's items as it likes.
    std::vector<std::wstring> told;
    for (size_t at = p.journal; at < g_journal.size(); ++at)
        if (g_journal[at].rfind(L"messageBox", 0) != 0)
            told.push_back(g_journal[at]);
    std::sort(told.begin(), told.end());
    std::sort(items.begin(), items.end());
    if (told != items)
        return fuzz::Finding("Upload: the host was told ", told.size(), " things, expected ", items.size());
    if (std::string f = CompareDisks(expected, after, L""); !f.empty())
        return "Upload: " + f;
    return {};
}

// The record and the person's actions on the plug-in's dialog in this process.
std::string RunOperations(OperationDevice& device, const ShowManagerParams& record, const Bytes& actions)
{
    device.Restore();
    g_journal.clear();
    const uint8_t how = actions.empty() ? 0 : static_cast<uint8_t>(actions[0]);
    g_messageBox = record.messageBox != nullptr;
    g_answerNo = how & 1;
    g_refuseUpload = how & 4;
    ShowManagerParams hooks = record;
    hooks.messageBox = record.messageBox ? &JournalMessageBox : nullptr;
    hooks.onExported = [](const wchar_t*) { return 0; };
    hooks.uploadItem = [](CorvaneString path, CorvaneString) { g_journal.push_back(L"uploadItem " + std::wstring(path.c_str())); };
    hooks.canUpload = [] { return g_refuseUpload ? 0 : 1; };
    hooks.onUploadDone = [] { g_journal.push_back(L"onUploadDone"); };
    hooks.onUploadProjectChanged = [] {};
    hooks.onUploadRefused = [] {};
    if (how & 2)
        hooks.deleteFile = [](CorvaneString path) { return ::DeleteFileW(path.c_str()) ? 1 : 0; };

    OperationDialog dialog;
    dialog.TakeOverRecord(hooks);
    const Bytes steps = actions.substr(actions.empty() ? 0 : 1);
    Person person(dialog, device, steps);
    Person::s_current = &person;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Person::OnTick);
    dialog.DoModal();
    ::KillTimer(nullptr, timer);
    Person::s_current = nullptr;
    return person.finding;
}

}  // namespace

// Byte 0: which texts are null (bits 0-2), no messageBox (3), Open (4), a
// font (5), the language (6-7: 0, 1, 2, or bytes 1-4); then the data
// location, the start location and the pattern, each ended by a zero byte.
// What follows makes a person of the input: a byte of how the host answers
// (bit 0 No to questions, 1 a deleteFile hook, 2 refusing uploads), then one
// byte per action.
template <size_t n>
Bytes Of(const char (&bytes)[n])
{
    return Bytes(bytes, n - 1);
}

FUZZ_SEEDS(record)
{
    return {
        Of("\x10\0\0\0\0Storage Card\\Data\\\0P1\\a\0*.dat\0"),
        Of("\x50\0\0\0\0Flash Disk\\Data\\\0\xCF\xEE\xC4\xBF\\\xB2\xE2\xB5\xE3\x30\x30\x31\0*.dat\0"),
        Of("\x30\0\0\0\0\\Flash Disk\\Data\0P1\\b.dat\0*.datx\x03\0"),
        Of("\x07\0\0\0\0"),
        Of("\xD8\xFF\xFF\xFF\x7F\xD3\xB2\xC5\xCC\\Data\\\0Missing\\a\0*.d\0"),
        Of("\x10\0\0\0\0Storage Card\\Data\\\0Missing\\a.dat\0*.dat\0"),
        Of("\x08\0\0\0\0Storage Card\0P2\\x\0*\0"),
        // Persons: a project ticked and exported; two files of 项目 deleted through the host, then
        // every project; every file of C1 uploaded, then a project, then exported; all of it answered No;
        // the card's top folders with the pattern "*.*"; each project in turn ticked (which opens
        // it) with a file of it, uploaded.
        Of("\x00\0\0\0\0Flash Disk\\Data\\\0P1\\a\0*.dat\0\x00\x12\x07\x0B"),
        Of("\x00\0\0\0\0Flash Disk\\Data\\\0\xCF\xEE\xC4\xBF\\\0*.dat\0\x02\x04\x14\x09\x06\x09\x0B"),
        Of("\x00\0\0\0\0Storage Card\\Data\\\0C1\\x\0*.dat\0\x00\x16\x0A\x02\x0A\x07\x0B"),
        Of("\x00\0\0\0\0Flash Disk\\Data\\\0P1\\\0*.dat\0\x01\x06\x07\x09\x0A\x0B"),
        Of("\x00\0\0\0\0Storage Card\0\0*.*\0\x00\x06\x07\x0A\x12\x0A\x09"),
        Of("\x00\0\0\0\0Flash Disk\\Data\\\0P1\\\0*.dat\0\x00\x02\x04\x0B\x12\x04\x0B\x22\x04\x0B"),
    };
}

FUZZ_WORDS(record)
{
    return {"Flash Disk\\Data\\", "Storage Card\\", "\xD3\xB2\xC5\xCC\\", "P1\\", "*.dat", "\\", "\x81\x30", "\0"};
}

FUZZ_TARGET(record, 100, "Corvane_ShowManager with hostile records; Export, Delete and Upload answered Yes")
{
    static OperationDevice device;
    static Plugin plugin;
    if (!device.IsReady() || !plugin.IsReady())
        return "no device or no plug-in (CorvaneChecked.dll)";

    const uint8_t flags = input.empty() ? 0 : static_cast<uint8_t>(input[0]);
    int32_t language = (flags >> 6) & 3;
    if (language == 3 && input.size() >= 5)
        std::memcpy(&language, input.data() + 1, 4);
    const std::vector<std::string> texts = fuzz::ZeroEndedTexts(input, 5, 3);
    const std::string& data = texts[0];
    const std::string& start = texts[1];
    const std::string& pattern = texts[2];

    static const CorvaneFont font{nullptr, static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))};
    ShowManagerParams record{};
    record.dataLocation = flags & 1 ? nullptr : data.c_str();
    record.startLocation = flags & 2 ? nullptr : start.c_str();
    record.filePattern = flags & 4 ? nullptr : pattern.c_str();
    record.messageBox = flags & 8 ? nullptr : &AnswerMessageBox;
    record.font = flags & 32 ? &font : nullptr;
    record.language = language;
    record.colors.textColour = 0x00FFFFFF;
    size_t end = 5;
    for (int zeros = 0; end < input.size() && zeros < 3; ++end)
        zeros += input[end] == '\0';
    if (end < input.size())
        return RunOperations(device, record, input.substr(end));

    device.Enter();
    Ender ender;
    ender.open = (flags & 16) != 0;
    ender.deadline = ::GetTickCount() + kDialogTimeLimit;
    g_ender = &ender;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &OnTick);
    const char* result = plugin.showManager(&record);
    ::KillTimer(nullptr, timer);
    g_ender = nullptr;

    if (ender.timedOut)
        return "the dialog did not end on Exit";
    if (!result)
        return "a null answer";
    const size_t length = strnlen(result, kLongestPath);
    if (length == kLongestPath)
        return "an answer without its end";
    if (length > 0 && (!ender.open || !IsExistingFile(result)))
        return fuzz::Finding(ender.open ? "Open answered a path that is no file: " : "Exit answered a path: ", result);

    // The same data location as the folder of the host's combo box: a null
    // folder leaves the box as it is.
    ::SendMessageW(plugin.combo.Handle(), CB_RESETCONTENT, 0, 0);
    ::SendMessageW(plugin.combo.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"kept"));
    plugin.setFolderCtrl(record.dataLocation, &plugin.combo);
    if (!record.dataLocation && ::SendMessageW(plugin.combo.Handle(), CB_GETCOUNT, 0, 0) != 1)
        return "a null folder changed the combo box";
    return record.dataLocation ? CheckFolderList(plugin.combo) : std::string();
}
