#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Handles.h"
#include "support/Process.h"

namespace dialogtest {

RecordingHost* RecordingHost::s_current = nullptr;
DialogDriver* DialogDriver::s_current = nullptr;

std::string Ansi(const std::wstring& text)
{
    return fw::WString(text).ToAnsi();
}

bool AnsiCarriesChinese()
{
    return fw::WString::FromAnsi(Ansi(L"项目").c_str()) == L"项目";
}

RecordingHost::RecordingHost()
{
    s_current = this;
}

RecordingHost::~RecordingHost()
{
    if (s_current == this)
        s_current = nullptr;
}

const ShowManagerParams& RecordingHost::Record()
{
    ShowManagerParams& params = m_record;
    params = ShowManagerParams{};
    params.dataLocation = dataLocation.c_str();
    params.startLocation = startLocation.c_str();
    params.filePattern = filePattern.c_str();
    params.font = font;
    params.language = language;
    params.onExported = &Exported;
    params.messageBox = withMessageBox ? &OnMessageBox : nullptr;
    params.colors = colors;
    params.onUploadProjectChanged = &ProjectChanged;
    params.uploadItem = withUploadItem ? &UploadItem : nullptr;
    params.canUpload = &CanUpload;
    params.onUploadDone = &UploadDone;
    params.reserved1 = &Reserved;
    params.onUploadRefused = &UploadRefused;
    params.deleteFile = withDeleteFile ? &OnDeleteFile : nullptr;
    params.reserved2 = &Reserved;
    return params;
}

void RecordingHost::Note(const std::wstring& line)
{
    if (!s_current)
        return;
    s_current->m_journal.push_back(line);
    if (s_current->onCall)
        s_current->onCall(line);
}

int32_t CORVANE_CALL RecordingHost::OnMessageBox(CorvaneString text, CorvaneString caption, int32_t type)
{
    RecordingHost* host = s_current;
    if (!host)
        return 0;
    const bool scripted = host->m_answered < host->answers.size();
    const int32_t answer = scripted ? host->answers[host->m_answered++] : type == 4 ? IDYES : IDOK;
    Note(L"messageBox(" + std::wstring(text.c_str()) + L"|" + caption.c_str() + L"|" + std::to_wstring(type) + L")");
    return answer;
}

int32_t CORVANE_CALL RecordingHost::Exported(const wchar_t* folder)
{
    Note(L"onExported(" + std::wstring(folder ? folder : L"") + L")");
    return 0;
}

void CORVANE_CALL RecordingHost::UploadItem(CorvaneString path, CorvaneString extra)
{
    Note(L"uploadItem(" + std::wstring(path.c_str()) + L"|" + extra.c_str() + L")");
}

int32_t CORVANE_CALL RecordingHost::CanUpload()
{
    Note(L"canUpload()");
    return s_current ? s_current->canUploadAnswer : 1;
}

int32_t CORVANE_CALL RecordingHost::OnDeleteFile(CorvaneString path)
{
    Note(L"deleteFile(" + std::wstring(path.c_str()) + L")");
    return ::DeleteFileW(path.c_str()) ? 1 : 0;
}

void CORVANE_CALL RecordingHost::ProjectChanged() { Note(L"onUploadProjectChanged()"); }
void CORVANE_CALL RecordingHost::UploadDone() { Note(L"onUploadDone()"); }
void CORVANE_CALL RecordingHost::UploadRefused() { Note(L"onUploadRefused()"); }
void CORVANE_CALL RecordingHost::Reserved() { ADD_FAILURE() << "a reserved hook was called"; }

DialogDriver::DialogDriver(CCorvaneDlg& dialog, unsigned timeLimitMilliseconds)
    : m_dialog(&dialog), m_timeLimit(timeLimitMilliseconds)
{
}

DialogDriver::DialogDriver(unsigned timeLimitMilliseconds) : m_timeLimit(timeLimitMilliseconds) {}

DialogDriver::~DialogDriver()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    if (s_current == this)
        s_current = nullptr;
}

DialogDriver& DialogDriver::Then(std::function<void()> step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

INT_PTR DialogDriver::Run()
{
    INT_PTR result = -1;
    Play([&] { result = m_dialog->DoModal(); });
    return result;
}

void DialogDriver::Show(const std::function<void()>& show)
{
    s_current = this;
    m_next = 0;
    m_window = nullptr;
    m_ended = 0;
    m_opened = false;
    m_deadline = ::GetTickCount() + m_timeLimit;
    m_timer = ::SetTimer(nullptr, 0, 10, &DialogDriver::OnTimer);
    show();
    ::KillTimer(nullptr, m_timer);
    m_timer = 0;
    s_current = nullptr;
}

void DialogDriver::Play(const std::function<void()>& show)
{
    Show(show);
    const std::string ran = " (" + std::to_string(m_next) + " of " + std::to_string(m_steps.size()) + " steps run)";
    if (m_ended == kTimedOut)
        ADD_FAILURE() << "the dialog did not get through its steps in time" << ran;
    else if (!m_opened)
        ADD_FAILURE() << "the dialog did not open";
    else if (m_next < m_steps.size())
        ADD_FAILURE() << "the dialog ended before its last step" << ran;
}

void DialogDriver::PlayWithoutDialog(const std::function<void()>& show)
{
    Show(show);
    EXPECT_FALSE(m_opened) << "a dialog opened";
}

void DialogDriver::End(INT_PTR result)
{
    m_ended = result;
    if (m_dialog)
        m_dialog->EndDialog(result);
    else  // as the Exit button cancels
        ::PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver* self = s_current;
    if (!self || self->m_ended)
        return;
    if (!self->m_dialog && !self->m_window)
        self->m_window = testsupport::VisibleDialogOfThisThread();
    if (self->m_dialog ? !self->m_dialog->IsModalRunning() : !::IsWindowVisible(self->m_window))
        return;
    self->m_opened = true;
    if (static_cast<int>(::GetTickCount() - self->m_deadline) > 0)
        self->End(kTimedOut);
    else if (self->m_next < self->m_steps.size())
        self->m_steps[self->m_next++]();
    else
        self->End(kScriptEnded);
}

void DialogDriver::Click(CGridCtrl& grid, int row, int col)
{
    grid.EnsureVisible(row, col);
    RECT cell{};
    if (!grid.GetCellRect(row, col, &cell)) {
        ADD_FAILURE() << "cell (" << row << ", " << col << ") is not on the screen";
        return;
    }
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON, at);
    grid.Post(WM_LBUTTONUP, 0, at);
}

void DialogDriver::Swipe(CGridCtrl& grid, POINT from, POINT to)
{
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    grid.Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    grid.Post(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

void DialogDriver::Key(UINT key)
{
    HWND focus = ::GetFocus();
    HWND target = focus ? focus : Window();
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void DialogDriver::Press(int id)
{
    HWND button = ::GetDlgItem(Window(), id);
    if (!::IsWindowVisible(button) || !::IsWindowEnabled(button)) {
        ADD_FAILURE() << "button " << id << " cannot be pressed";
        return;
    }
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

std::vector<std::wstring> DialogDriver::Column(CGridCtrl& grid, int col)
{
    std::vector<std::wstring> texts;
    for (int row = 1; row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetItemText(row, col).str());
    return texts;
}

std::vector<std::wstring> DialogDriver::Checked(CGridCtrl& grid)
{
    std::vector<std::wstring> names;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        auto* check = dynamic_cast<CGridCellCheck*>(grid.GetCell(row, 0));
        if (check && check->GetCheck())
            names.push_back(grid.GetItemText(row, 1).str());
    }
    return names;
}

std::wstring DialogDriver::Text(int id) const
{
    return fw::Window(::GetDlgItem(Window(), id)).GetText().str();
}

RECT DialogDriver::RectOf(int id) const
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(Window(), id), &rect);
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::unique_ptr<fw::MemoryBitmap> DialogDriver::Snapshot() const
{
    HWND window = Window();
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    HDC dc = ::GetWindowDC(window);
    auto picture = std::make_unique<fw::MemoryBitmap>(rect.right - rect.left, rect.bottom - rect.top, dc);
    if (picture->IsValid())
        ::BitBlt(picture->DC(), 0, 0, picture->Width(), picture->Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window, dc);
    return picture;
}

namespace {

bool LocalFileTime(const std::wstring& localTime, FILETIME* time)
{
    SYSTEMTIME local{};
    if (swscanf(localTime.c_str(), L"%hu-%hu-%hu %hu:%hu", &local.wYear, &local.wMonth, &local.wDay, &local.wHour,
                &local.wMinute) != 5)
        return false;
    SYSTEMTIME universal{};
    return ::TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) && ::SystemTimeToFileTime(&universal, time);
}

}  // namespace

bool WriteProject(const testsupport::Device& device, const std::wstring& projectFolder,
                  const std::vector<TestFile>& files, const std::string& uploadIni)
{
    bool ok = true;
    for (const TestFile& file : files) {
        const std::wstring path = projectFolder + file.name;
        ok = device.WriteFile(path, file.bytes) && ok;
        FILETIME time{};
        if (!file.modified.empty() && LocalFileTime(file.modified, &time)) {
            fw::KernelHandle handle(::CreateFileW(device.Path(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            ok = handle && ::SetFileTime(handle.Get(), nullptr, nullptr, &time) && ok;
        }
    }
    if (!uploadIni.empty())
        ok = device.WriteFile(projectFolder + L"upload.ini", uploadIni) && ok;
    if (files.empty())
        ok = testsupport::RunUnix(L"mkdir -p " + testsupport::ShellQuote(device.UnixPath(projectFolder))) == 0;
    return ok;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

int RowOf(CGridCtrl& grid, const std::wstring& name)
{
    for (int row = 1; row < grid.GetRowCount(); ++row)
        if (grid.GetItemText(row, 1).str() == name)
            return row;
    return -1;
}

}  // namespace dialogtest
