// The host's record through the plug-in's exports, as a host calls them: texts
// null, empty, long or not valid in the ANSI code page, short patterns, any
// layout byte, any language. The dialog is ended by a posted Open or Exit and
// must answer with a valid text every time. The data location then fills the
// host's combo box with folder names.
#include <windows.h>

#include <cstring>
#include <memory>

#include "Fuzz.h"
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

// A device with projects on both volumes, the working drive of this process.
class FuzzDevice {
public:
    FuzzDevice() : m_device(true)
    {
        if (!m_device.IsReady())
            return;
        m_device.Enter();
        const std::string status = "[result]\r\na.dat=2024-03-08 12:10##uploaded\r\n";
        for (const wchar_t* root : {L"\\Flash Disk\\Data\\", L"\\Storage Card\\Data\\"}) {
            const std::wstring base = root;
            m_device.WriteFile(base + L"P1\\a.dat", "a");
            m_device.WriteFile(base + L"P1\\b.dat", "bb");
            m_device.WriteFile(base + L"P1\\upload.ini", status);
            m_device.WriteFile(base + L"项目\\测点001.dat", "c");
            m_device.WriteFile(base + L"空\\.keep", "");
        }
        m_device.WriteFile(L"\\Storage Card\\P2\\x.dat", "x");
        m_device.WriteFile(L"\\硬盘\\Data\\P3\\y.dat", "y");
    }
    bool IsReady() const { return m_device.IsReady(); }

private:
    testsupport::Device m_device;
};

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

}  // namespace

// Byte 0: which texts are null (bits 0-2), no messageBox (3), Open (4), a
// font (5), the language (6-7: 0, 1, 2, or bytes 1-4); then the data
// location, the start location and the pattern, each ended by a zero byte.
FUZZ_SEEDS(record)
{
    return {
        Bytes("\x10\0\0\0\0Storage Card\\Data\\\0P1\\a\0*.dat\0", 38),
        Bytes("\x50\0\0\0\0Flash Disk\\Data\\\0\xCF\xEE\xC4\xBF\\\xB2\xE2\xB5\xE3\x30\x30\x31\0*.dat\0", 43),
        Bytes("\x30\0\0\0\0\\Flash Disk\\Data\0P1\\b.dat\0*.datx\x03\0", 40),
        Bytes("\x07\0\0\0\0", 5),
        Bytes("\xD8\xFF\xFF\xFF\x7F\xD3\xB2\xC5\xCC\\Data\\\0Missing\\a\0*.d\0", 32),
        Bytes("\x10\0\0\0\0Storage Card\\Data\\\0Missing\\a.dat\0*.dat\0", 44),
        Bytes("\x08\0\0\0\0Storage Card\0P2\\x\0*\0", 26),
    };
}

FUZZ_WORDS(record)
{
    return {"Flash Disk\\Data\\", "Storage Card\\", "\xD3\xB2\xC5\xCC\\", "P1\\", "*.dat", "\\", "\x81\x30", "\0"};
}

FUZZ_TARGET(record, 100, "Corvane_ShowManager with hostile records, ended by Open or Exit; Corvane_SetFolderCtrl")
{
    static FuzzDevice device;
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
