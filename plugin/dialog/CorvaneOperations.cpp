// What Export, Delete and Upload share: making sure a folder is there, the
// copy of a folder tree, the notices that explain a platform failure, the
// busy state, the pause before the result and the result summary.
#include "CorvaneDlg.h"

#include "BusyState.h"
#include "OperationProgress.h"
#include "framework/FileFinder.h"
#include "framework/Files.h"
#include "framework/Path.h"

namespace {

constexpr DWORD kResultPause = 500;

// A listing that found nothing because the folder has no entries (the
// platform says "no file" or "no more files", and the folder is there), as
// against one that is gone or cannot be read.
bool HasNoEntries(const fw::FileFinder& find, const fw::WString& folder)
{
    const DWORD error = find.FirstError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
        return false;
    const DWORD attributes = ::GetFileAttributesW(fw::WithoutFinalBackslash(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

BusyState::BusyState()
{
    m_cursor.emplace();
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2);
}

CCorvaneDlg::FolderState CCorvaneDlg::EnsureFolder(const fw::WString& path)
{
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return FolderState::Ready;
    ::SetLastError(0);
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return FolderState::Ready;
    if (NoticeIfDiskFull())
        return FolderState::DiskFull;
    return FolderState::Failed;
}

CCorvaneDlg::TreeCount CCorvaneDlg::CopyFolderTree(const fw::WString& source, const fw::WString& destination)
{
    const fw::WString from = fw::WithFinalBackslash(source);
    const fw::WString to = fw::WithFinalBackslash(destination);
    TreeCount count;
    DWORD failure = 0;
    fw::FileFinder find(from + L"*.*");
    if (!find.IsOpen()) {
        // Only a folder without entries is empty; one that vanished or cannot be read fails the copy.
        if (!HasNoEntries(find, from)) {
            count.failed = true;
            ::SetLastError(find.FirstError());
        }
        return count;
    }
    do {
        if (find.IsDots())
            continue;
        const fw::WString name = find.Name();
        if (find.IsFolder()) {
            if (::GetFileAttributesW((to + name).c_str()) == INVALID_FILE_ATTRIBUTES &&
                !::CreateDirectoryW((to + name).c_str(), nullptr)) {
                count.failed = true;
            } else {
                const TreeCount below = CopyFolderTree(from + name, to + name);
                count.files += below.files;
                count.failed = below.failed;
            }
        } else if (fw::CopyFileFlushed(from + name, to + name)) {
            ++count.files;
            if (m_progress)
                m_progress->Step();
        } else {
            count.failed = true;
        }
        if (count.failed)
            failure = ::GetLastError();
    } while (!count.failed && find.Next());
    find.Close();
    // The caller explains the failure (a full disk) from the last error.
    if (count.failed)
        ::SetLastError(failure);
    return count;
}

bool CCorvaneDlg::NoticeIfLastError(DWORD code, const TwoLanguageText& text, const TwoLanguageText& caption,
                                    int32_t type)
{
    if (::GetLastError() != code)
        return false;
    ShowProgress();
    if (const wchar_t* shown = text.For(m_language))
        m_host.Message(shown, caption.For(m_language), type);
    return true;
}

bool CCorvaneDlg::NoticeIfDiskFull()
{
    return NoticeIfLastError(ERROR_DISK_FULL, CorvaneText::kDiskFull, CorvaneText::kNoticeCaption, HostHooks::kOk);
}

void CCorvaneDlg::ShowResultSummary(const fw::WString& title, int projects, int files, bool failed)
{
    fw::WString first;
    fw::WString second;
    if (m_language == 0 || m_language == 1) {
        const TwoLanguageText& outcome = failed ? CorvaneText::kSummaryFailed : CorvaneText::kSummaryCompleted;
        // Chinese puts the title before the outcome; English has the outcome alone.
        first = (m_language == 0 ? title : fw::WString()) + outcome.For(m_language);
        second = CorvaneText::kSummaryTotal.For(m_language) + title;
        if (projects > 0)
            second += fw::WString::Format(CorvaneText::kSummaryProjects.For(m_language), projects);
        second += fw::WString::Format(CorvaneText::kSummaryFiles.For(m_language), files);
    }
    ShowProgress();
    m_host.Message(first + second, title, HostHooks::kOk);
}

void CCorvaneDlg::ShowProgress()
{
    if (m_progress)
        m_progress->Show();
}

bool CCorvaneDlg::Agrees(const TwoLanguageText& question, const TwoLanguageText& caption) const
{
    const wchar_t* text = question.For(m_language);
    return !text || m_host.Confirm(text, caption.For(m_language));
}

int CCorvaneDlg::SelectedProjectRow()
{
    const int row = m_projectGrid.GetSelectedCellRange().maxRow;
    return row > 0 && row < m_projectGrid.GetRowCount() ? row : -1;
}

void CCorvaneDlg::PauseBeforeResult() const
{
    ::Sleep(kResultPause);
}
