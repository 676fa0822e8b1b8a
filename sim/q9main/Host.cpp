#include "Host.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "GridCtrl.h"
#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "plugin/Corvane.h"

namespace sim {

namespace {

// A text of the record: a value, or a null pointer.
struct Text {
    bool null = false;
    fw::WString value;
};

struct Settings {
    bool nullRecord = false;
    Text data{false, L"Flash Disk\\Data\\"};
    Text start;
    Text pattern{false, L"*.abc"};
    bool hasLayout = false;
    int layout = 0;
    int language = 0;
    fw::WString fontFace;  // empty: no font object
    int fontHeight = -16;
    COLORREF background = RGB(255, 255, 255);
    COLORREF button = RGB(240, 240, 240);
    COLORREF text = RGB(0, 0, 0);
    COLORREF textBack = RGB(255, 255, 255);
    unsigned hooks = ~0u;  // bit i: the hook kHooks[i]
    bool scripted = false;
    std::vector<int> answers;
    bool deletes = true;
    bool uploads = true;
    long exportedMilliseconds = 0;  // how long onExported takes
    bool listFolder = false;
    Text folder;
    fw::WString control = L"combo";
    bool showManager = true;
};

// The session the hooks (plain functions) report to.
struct Session {
    StandInApp* app = nullptr;
    const Settings* settings = nullptr;
    size_t nextAnswer = 0;
};
Session g_session;

void Journal(const fw::WString& line)
{
    g_session.app->Write(line);
}

// A text in double quotes, control characters shown as their pictures (CR as
// U+240D, LF as U+240A, ...), so that every journal entry stays on one line.
fw::WString Quoted(const wchar_t* text)
{
    fw::WString quoted(L"\"");
    for (; text && *text; ++text)
        quoted += *text < 0x20 ? static_cast<wchar_t>(0x2400 + *text) : *text;
    return quoted + L"\"";
}

fw::WString Quoted(const Text& text)
{
    return text.null ? fw::WString(L"null") : Quoted(text.value.c_str());
}

// --- the hooks

int32_t CORVANE_CALL OnExported(const wchar_t* folder)
{
    Journal(L"hook onExported folder=" + Quoted(folder));
    // The host's own work on the folder, while the export waits (the demo
    // pictures it so); its windows are served meanwhile, as a busy host's are.
    const DWORD wait = static_cast<DWORD>(g_session.settings->exportedMilliseconds);
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < wait;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return 0;
}

int32_t CORVANE_CALL AskUser(CorvaneString text, CorvaneString caption, int32_t type)
{
    const Settings& settings = *g_session.settings;
    int answer = 0;
    if (!settings.scripted) {
        // Owned by the window it speaks for (the file manager), so that closing it gives that window back.
        fw::Window* main = g_session.app->MainWindow();
        HWND owner = ::GetActiveWindow();
        if (!owner && main)
            owner = main->Handle();
        answer = ::MessageBoxW(owner, text.c_str(), caption.c_str(), static_cast<UINT>(type));
    } else if (g_session.nextAnswer < settings.answers.size()) {
        answer = settings.answers[g_session.nextAnswer++];
    } else {
        answer = type == MB_YESNO ? IDNO : IDOK;  // the script has ended: nothing is agreed to
    }
    Journal(fw::WString::Format(L"hook messageBox text=%ls caption=%ls type=%d answer=%d", Quoted(text.c_str()).c_str(),
                                Quoted(caption.c_str()).c_str(), type, answer));
    return answer;
}

void CORVANE_CALL UploadItem(CorvaneString path, CorvaneString extra)
{
    Journal(L"hook uploadItem path=" + Quoted(path.c_str()) + L" extra=" + Quoted(extra.c_str()));
}

int32_t CORVANE_CALL CanUpload()
{
    int32_t answer = g_session.settings->uploads ? 1 : 0;
    Journal(fw::WString::Format(L"hook canUpload answer=%d", answer));
    return answer;
}

int32_t CORVANE_CALL DeleteFileHook(CorvaneString path)
{
    fw::WString line = L"hook deleteFile path=" + Quoted(path.c_str());
    int32_t answer = 0;
    DWORD error = 0;
    if (!g_session.settings->deletes) {
        line += L" answer=0 refused";
    } else if (::DeleteFileW(path.c_str())) {
        answer = 1;
        line += L" answer=1";
    } else {
        error = ::GetLastError();
        line += fw::WString::Format(L" answer=0 error=%lu", error);
    }
    Journal(line);
    // The plug-in explains a failed deletion by the last error (32: held
    // open), as after a deletion of its own; the journal's writing must not
    // change it.
    ::SetLastError(error);
    return answer;
}

// A hook that only tells of an event: its journal line is its name.
template <const wchar_t* kName>
void CORVANE_CALL Notice()
{
    Journal(fw::WString(L"hook ") + kName);
}

constexpr wchar_t kOnUploadProjectChanged[] = L"onUploadProjectChanged";
constexpr wchar_t kOnUploadDone[] = L"onUploadDone";
constexpr wchar_t kReserved1[] = L"reserved1";
constexpr wchar_t kOnUploadRefused[] = L"onUploadRefused";
constexpr wchar_t kReserved2[] = L"reserved2";

// The hooks in the order of the record: the name that settings and the
// journal use, and how a chosen one goes into the record (its function
// journals each call).
struct Hook {
    const wchar_t* name;
    void (*fill)(ShowManagerParams& record);
};
const Hook kHooks[] = {
    {L"onExported", [](ShowManagerParams& record) { record.onExported = &OnExported; }},
    {L"messageBox", [](ShowManagerParams& record) { record.messageBox = &AskUser; }},
    {kOnUploadProjectChanged,
     [](ShowManagerParams& record) { record.onUploadProjectChanged = &Notice<kOnUploadProjectChanged>; }},
    {L"uploadItem", [](ShowManagerParams& record) { record.uploadItem = &UploadItem; }},
    {L"canUpload", [](ShowManagerParams& record) { record.canUpload = &CanUpload; }},
    {kOnUploadDone, [](ShowManagerParams& record) { record.onUploadDone = &Notice<kOnUploadDone>; }},
    {kReserved1, [](ShowManagerParams& record) { record.reserved1 = &Notice<kReserved1>; }},
    {kOnUploadRefused, [](ShowManagerParams& record) { record.onUploadRefused = &Notice<kOnUploadRefused>; }},
    {L"deleteFile", [](ShowManagerParams& record) { record.deleteFile = &DeleteFileHook; }},
    {kReserved2, [](ShowManagerParams& record) { record.reserved2 = &Notice<kReserved2>; }},
};
constexpr size_t kHookCount = sizeof kHooks / sizeof kHooks[0];

// --- the settings

bool ReadNumber(const fw::WString& text, int base, long& value)
{
    if (text.IsEmpty())
        return false;
    wchar_t* end = nullptr;
    value = std::wcstol(text.c_str(), &end, base);
    return end && *end == L'\0';
}

// The parts of a comma list, empty ones included (an empty list is one empty part).
std::vector<fw::WString> SplitAtCommas(const fw::WString& list)
{
    std::vector<fw::WString> parts;
    size_t start = 0;
    for (size_t comma; (comma = list.Find(L',', start)) != fw::WString::kNoPosition; start = comma + 1)
        parts.push_back(list.Mid(start, comma - start));
    parts.push_back(list.Mid(start));
    return parts;
}

bool ReadHooks(const fw::WString& list, unsigned& hooks)
{
    hooks = list == L"all" ? ~0u : 0u;
    if (list == L"all" || list == L"none")
        return true;
    for (const fw::WString& name : SplitAtCommas(list)) {
        size_t hook = 0;
        while (hook < kHookCount && name != kHooks[hook].name)
            ++hook;
        if (hook == kHookCount)
            return false;
        hooks |= 1u << hook;
    }
    return true;
}

bool ReadAnswers(const fw::WString& list, std::vector<int>& answers)
{
    answers.clear();
    if (list.IsEmpty())
        return true;
    for (const fw::WString& part : SplitAtCommas(list)) {
        long answer = 0;
        if (!ReadNumber(part, 10, answer))
            return false;
        answers.push_back(static_cast<int>(answer));
    }
    return true;
}

bool ReadYesNo(const fw::WString& value, bool& flag)
{
    flag = value == L"yes";
    return flag || value == L"no";
}

Text ReadText(const fw::WString& value)
{
    return value == L"(null)" ? Text{true, fw::WString()} : Text{false, value};
}

bool Apply(Settings& settings, const fw::WString& key, const fw::WString& value)
{
    long number = 0;
    if (key == L"record") {
        settings.nullRecord = value == L"null";
        return settings.nullRecord || value == L"yes";
    }
    if (key == L"data")
        settings.data = ReadText(value);
    else if (key == L"start")
        settings.start = ReadText(value);
    else if (key == L"pattern")
        settings.pattern = ReadText(value);
    else if (key == L"layout") {
        if (!ReadNumber(value, 10, number))
            return false;
        settings.hasLayout = true;
        settings.layout = static_cast<int>(number);
    } else if (key == L"language") {
        if (!ReadNumber(value, 10, number))
            return false;
        settings.language = static_cast<int>(number);
    } else if (key == L"font") {
        size_t comma = value.ReverseFind(L',');
        settings.fontFace = value.Left(comma);
        if (comma != fw::WString::kNoPosition) {
            if (!ReadNumber(value.Mid(comma + 1), 10, number))
                return false;
            settings.fontHeight = static_cast<int>(number);
        }
    } else if (key == L"background" || key == L"button" || key == L"text" || key == L"textback") {
        if (!ReadNumber(value, 16, number) || value.Length() != 6)
            return false;
        COLORREF colour = RGB((number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
        (key == L"background" ? settings.background
         : key == L"button"   ? settings.button
         : key == L"text"     ? settings.text
                              : settings.textBack) = colour;
    } else if (key == L"hooks")
        return ReadHooks(value, settings.hooks);
    else if (key == L"answers") {
        settings.scripted = true;
        return ReadAnswers(value, settings.answers);
    } else if (key == L"delete")
        return ReadYesNo(value, settings.deletes);
    else if (key == L"exported")
        return ReadNumber(value, 10, settings.exportedMilliseconds) && settings.exportedMilliseconds >= 0;
    else if (key == L"upload")
        return ReadYesNo(value, settings.uploads);
    else if (key == L"folder") {
        settings.listFolder = true;
        settings.folder = ReadText(value);
    } else if (key == L"control") {
        settings.control = value;
        return value == L"combo" || value == L"grid" || value == L"static" || value == L"null";
    } else if (key == L"manager")
        return ReadYesNo(value, settings.showManager);
    else
        return false;
    return true;
}

bool ApplyLine(Settings& settings, const fw::WString& line)
{
    size_t equals = line.Find(L'=');
    return equals != fw::WString::kNoPosition && Apply(settings, line.Left(equals), line.Mid(equals + 1));
}

bool ReadFileBytes(const fw::WString& path, std::string& bytes)
{
    fw::KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    char buffer[4096];
    DWORD read = 0;
    bool ok = true;
    bytes.clear();
    while ((ok = ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0)
        bytes.append(buffer, read);
    return ok;
}

// A settings file: UTF-8 (a byte-order mark is skipped), key=value lines;
// empty lines and lines starting with "#" are skipped. False with the bad line.
bool ApplyFile(Settings& settings, const fw::WString& path, fw::WString& bad)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        bad = L"cannot read " + path;
        return false;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? bytes.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        fw::WString text = fw::WString::FromUtf8(line);
        if (!ApplyLine(settings, text)) {
            bad = text;
            return false;
        }
    }
    return true;
}

// --- the record

// The record and everything it points to, alive for the whole session.
class Record {
public:
    explicit Record(const Settings& settings)
    {
        Keep(settings.data, m_data);
        Keep(settings.start, m_start);
        Keep(settings.pattern, m_pattern);
        if (settings.hasLayout && !settings.pattern.null) {
            m_pattern += ' ';  // any character, then the layout byte
            m_pattern += static_cast<char>(settings.layout);
        }
        if (!settings.fontFace.IsEmpty()) {
            m_font.Reset(::CreateFontW(settings.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       0, 0, 0, 0, settings.fontFace.c_str()));
            m_fontObject = CorvaneFont{kFontOperations, m_font.Get()};
        }
        m_background.Reset(::CreateSolidBrush(settings.background));
        m_button.Reset(::CreateSolidBrush(settings.button));

        m_record.dataLocation = settings.data.null ? nullptr : m_data.c_str();
        m_record.startLocation = settings.start.null ? nullptr : m_start.c_str();
        m_record.filePattern = settings.pattern.null ? nullptr : m_pattern.c_str();
        m_record.font = settings.fontFace.IsEmpty() ? nullptr : &m_fontObject;
        m_record.language = settings.language;
        m_record.colors = ColorScheme{m_background.Get(), m_button.Get(), settings.text, settings.textBack, 0};
        for (size_t hook = 0; hook < kHookCount; ++hook)
            if (settings.hooks & (1u << hook))
                kHooks[hook].fill(m_record);
    }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    const ShowManagerParams& Get() const { return m_record; }

private:
    // Stands in for the host's font class: the plug-in reads only the handle after it.
    static constexpr const void* kFontOperations = nullptr;

    static void Keep(const Text& text, std::string& bytes)
    {
        if (!text.null)
            bytes = text.value.ToAnsi();
    }

    std::string m_data, m_start, m_pattern;
    fw::Font m_font;
    CorvaneFont m_fontObject{};
    fw::Brush m_background, m_button;
    ShowManagerParams m_record{};
};

fw::WString DescribeRecord(const Settings& settings)
{
    fw::WString hooks;
    for (size_t hook = 0; hook < kHookCount; ++hook)
        if (settings.hooks & (1u << hook))
            hooks += (hooks.IsEmpty() ? L"" : L",") + fw::WString(kHooks[hook].name);
    fw::WString layout = settings.hasLayout ? fw::WString::Format(L" layout=%d", settings.layout) : fw::WString();
    fw::WString font = settings.fontFace.IsEmpty() ? fw::WString(L"null")
                                                   : Quoted(settings.fontFace.c_str()) +
                                                         fw::WString::Format(L",%d", settings.fontHeight);
    return L"record data=" + Quoted(settings.data) + L" start=" + Quoted(settings.start) + L" pattern=" +
           Quoted(settings.pattern) + layout + fw::WString::Format(L" language=%d", settings.language) +
           L" font=" + font + L" hooks=" + (hooks.IsEmpty() ? fw::WString(L"none") : hooks);
}

// --- the exports

void UnloadModule(HMODULE module)
{
    ::FreeLibrary(module);
}

class Plugin {
public:
    explicit Plugin(const fw::WString& path) : m_module(::LoadLibraryW(path.c_str()))
    {
        if (!m_module)
            return;
        m_showManager = reinterpret_cast<CorvaneShowManagerFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_module.Get(), "Corvane_ShowManager")));
        m_setFolderCtrl = reinterpret_cast<CorvaneSetFolderCtrlFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_module.Get(), "Corvane_SetFolderCtrl")));
    }

    bool IsLoaded() const { return static_cast<bool>(m_module); }
    CorvaneShowManagerFunction ShowManager() const { return m_showManager; }
    CorvaneSetFolderCtrlFunction SetFolderCtrl() const { return m_setFolderCtrl; }

private:
    fw::UniqueHandle<HMODULE, UnloadModule> m_module;
    CorvaneShowManagerFunction m_showManager = nullptr;
    CorvaneSetFolderCtrlFunction m_setFolderCtrl = nullptr;
};

// Corvane_SetFolderCtrl into a control of the host's own window, then what the control holds.
void ListFolderInto(const Plugin& plugin, const Settings& settings, HWND owner)
{
    std::string folder = settings.folder.value.ToAnsi();
    const char* folderText = settings.folder.null ? nullptr : folder.c_str();
    const RECT place{0, 0, 320, 200};
    fw::WString line = L"folder control=" + settings.control + L" path=" + Quoted(settings.folder);

    if (settings.control == L"grid") {
        CGridCtrl grid(1, 2, 1, 0);
        if (!grid.Create(place, owner, 101)) {
            Journal(line + L" not made");
            return;
        }
        grid.SetItemText(0, 1, L"Folder");
        plugin.SetFolderCtrl()(folderText, static_cast<fw::Window*>(&grid));
        Journal(line + fw::WString::Format(L" entries=%d header=", grid.GetRowCount() - grid.GetFixedRowCount()) +
                Quoted(grid.GetItemText(0, 1).c_str()));
        for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row)
            Journal(L"entry " + Quoted(grid.GetItemText(row, 1).c_str()));
        return;
    }
    if (settings.control == L"null") {
        plugin.SetFolderCtrl()(folderText, nullptr);
        Journal(line);
        return;
    }
    const bool combo = settings.control == L"combo";
    fw::Window control(::CreateWindowExW(0, combo ? L"COMBOBOX" : L"STATIC", L"",
                                         WS_CHILD | WS_VISIBLE | (combo ? CBS_DROPDOWNLIST | WS_VSCROLL : 0), place.left,
                                         place.top, place.right, place.bottom, owner, nullptr, nullptr, nullptr));
    plugin.SetFolderCtrl()(folderText, &control);
    const int count = combo ? static_cast<int>(control.Send(CB_GETCOUNT)) : 0;
    Journal(line + fw::WString::Format(L" entries=%d", count));
    for (int i = 0; i < count; ++i) {
        LRESULT length = control.Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        std::wstring entry(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        control.Send(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&entry[0]));
        Journal(L"entry " + Quoted(entry.c_str()));
    }
    ::DestroyWindow(control.Handle());
}

void PrintResult(const char* result)
{
    fw::WString path = fw::WString::FromAnsi(result);
    Journal(result ? L"result path=" + Quoted(path.c_str()) : fw::WString(L"result null"));
    std::string bytes = (path + L"\n").ToUtf8();
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int RunHostSession(StandInApp& app, const std::vector<fw::WString>& arguments)
{
    g_session = Session{&app, nullptr, 0};
    Settings settings;
    for (const fw::WString& argument : arguments) {
        fw::WString bad;
        bool applied = argument.Find(L'=') != fw::WString::kNoPosition ? ApplyLine(settings, argument)
                                                                 : ApplyFile(settings, argument, bad);
        if (!applied) {
            Journal(L"settings error " + Quoted((bad.IsEmpty() ? argument : bad).c_str()));
            return 2;
        }
    }
    g_session.settings = &settings;

    const fw::WString path = fw::ModuleFolder() + L"Corvane.dll";
    Plugin plugin(path);
    if (!plugin.IsLoaded() || !plugin.ShowManager() || !plugin.SetFolderCtrl()) {
        Journal(L"load path=" + Quoted(path.c_str()) +
                fw::WString::Format(plugin.IsLoaded() ? L" export missing" : L" failed error=%lu", ::GetLastError()));
        return 2;
    }
    Journal(L"load path=" + Quoted(path.c_str()) + fw::WString::Format(L" ansi=%u", ::GetACP()));

    fw::Window* main = app.MainWindow();
    if (settings.listFolder)
        ListFolderInto(plugin, settings, main ? main->Handle() : nullptr);
    if (settings.showManager) {
        Record record(settings);
        Journal(settings.nullRecord ? fw::WString(L"record null") : DescribeRecord(settings));
        PrintResult(plugin.ShowManager()(settings.nullRecord ? nullptr : &record.Get()));
    }
    return 0;
}

}  // namespace sim
