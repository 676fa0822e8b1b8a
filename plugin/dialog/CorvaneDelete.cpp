// Delete: first the checked files of the open project, then the checked
// projects, keeping both grids in step with the disk row by row. A file
// held open by some process stops the run with a notice.
#include "CorvaneDlg.h"

#include <cwchar>

#include "BusyState.h"
#include "OperationProgress.h"
#include "framework/FileFinder.h"
#include "framework/Path.h"

namespace {

// The number in the parentheses of a header's title ("工程名称(12)"); 0 when none.
int HeaderCount(CGridCtrl& grid)
{
    const fw::WString title = grid.GetItemText(0, CCorvaneDlg::kColumnName);
    const size_t open = title.Find(L'(');
    return open == fw::WString::kNoPosition ? 0 : static_cast<int>(std::wcstol(title.c_str() + open + 1, nullptr, 10));
}

bool SameLastThree(const wchar_t* name, const fw::WString& pattern)
{
    const size_t length = std::wcslen(name);
    return length >= 3 && pattern.Length() >= 3 &&
           ::lstrcmpiW(name + length - 3, pattern.c_str() + pattern.Length() - 3) == 0;
}

// Every file below a folder, of any type: what DeleteFolderTree goes through.
int FilesBelow(const fw::WString& folder)
{
    int files = 0;
    fw::FileFinder find(folder + L"*.*");
    if (find.IsOpen()) {
        do {
            if (find.IsFolder())
                files += find.IsDots() ? 0 : FilesBelow(folder + find.Name() + L"\\");
            else
                ++files;
        } while (find.Next());
    }
    return files;
}

}  // namespace

int CCorvaneDlg::FilesOfCheckedProjects()
{
    int files = 0;
    for (int row = NextCheckedRow(m_projectGrid, 1); row > 0; row = NextCheckedRow(m_projectGrid, row + 1))
        files += FilesBelow(m_storageRoot + m_dataFolder + m_projectGrid.GetItemText(row, kColumnName) + L"\\");
    return files;
}

void CCorvaneDlg::OnDelete()
{
    if (!Agrees(CorvaneText::kDeleteQuestion, CorvaneText::kDeleteTitle))
        return;
    BusyState busy;
    int projects = 0;
    int files = 0;
    bool failed = false;
    const fw::WString data = m_storageRoot + m_dataFolder;
    // Stops the run where a file is held open: the notice has told the user.
    const auto heldOpen = [this] {
        return NoticeIfLastError(ERROR_SHARING_VIOLATION, CorvaneText::kFileOpen, CorvaneText::kNoticeCaption,
                                 HostHooks::kOk);
    };
    bool stopped = false;
    const int checkedFiles = CountCheckedRows(m_fileGrid);
    OperationProgress progress(*this, CorvaneText::kDeleteProgress, checkedFiles + FilesOfCheckedProjects());

    if (checkedFiles > 0) {
        for (int row = NextCheckedRow(m_fileGrid, 1); row > 0; row = NextCheckedRow(m_fileGrid, row)) {
            const fw::WString path = data + m_openProject + ListedFileName(row);
            ::SetLastError(0);
            const bool removed = m_host.RemoveFile(path);
            progress.Step();  // leaves the last error to explain a failure
            if (!removed) {
                // The file is still there: its row stays and it is not counted.
                failed = true;
                if ((stopped = heldOpen()))
                    break;
                ++row;
                continue;
            }
            ++files;
            m_fileGrid.DeleteRow(row);  // the next row moves up into its place
            m_fileGrid.Invalidate();
        }
        if (!stopped && m_fileGrid.GetRowCount() == m_fileGrid.GetFixedRowCount()) {
            // Every listed file is gone: so is the project from the list, even
            // when files of other types keep its folder.
            ::RemoveDirectoryW((data + m_openProject).c_str());
            const int openRow = SelectedProjectRow();
            if (openRow > 0) {
                m_projectGrid.DeleteRow(openRow);
                SetHeaderCount(m_projectGrid, HeaderCount(m_projectGrid) - 1);
            }
            m_projectGrid.Invalidate();
        }
    }

    if (!stopped && CountCheckedRows(m_projectGrid) > 0) {
        // The file phase may have taken files of a checked project already.
        if (checkedFiles > 0)
            progress.SetTotal(progress.Done() + FilesOfCheckedProjects());
        for (int row = NextCheckedRow(m_projectGrid, 1); row > 0; row = NextCheckedRow(m_projectGrid, row)) {
            const fw::WString folder = data + m_projectGrid.GetItemText(row, kColumnName) + L"\\";
            ::SetLastError(0);
            const TreeCount deleted = DeleteFolderTree(folder);
            files += deleted.files;
            // A project that could not be deleted whole is a failure of the run.
            failed = failed || deleted.failed;
            if (deleted.failed && (stopped = heldOpen())) {
                ShowProjectFiles(SelectedProjectRow());
                break;
            }
            if (::RemoveDirectoryW(folder.c_str())) {
                ++projects;
                m_projectGrid.DeleteRow(row);
            } else {
                failed = true;
                ++row;
            }
            m_projectGrid.Invalidate();
        }
        if (!stopped) {
            ShowProjectFiles(SelectedProjectRow());
            if (projects > 0)
                SetHeaderCount(m_projectGrid, HeaderCount(m_projectGrid) - projects);
        }
    }
    // Without an open project (its row went) there is nothing to list; the
    // data folder's own files are no project's.
    if (!stopped && !m_openProject.IsEmpty())
        ListFolder(data + m_openProject, m_filePattern, &m_fileGrid);

    busy.Leave();
    PauseBeforeResult();
    for (CGridCtrl* grid : {&m_fileGrid, &m_projectGrid})
        if (CGridCellCheck* header = CheckCellOf(*grid, 0))
            header->SetCheck(false);
    UpdateButtons();
    ShowResultSummary(CorvaneText::kDeleteTitle.For(m_language), projects, files, failed);
    // Files have gone: the lists are rebuilt from the disk, and the first project is opened.
    if (files > 0)
        InitGrids();
    if (projects > 0)
        ClickRow(m_projectGrid, 1);
}

CCorvaneDlg::TreeCount CCorvaneDlg::DeleteFolderTree(const fw::WString& folder)
{
    const fw::WString path = fw::WithFinalBackslash(folder);
    TreeCount count;
    fw::FileFinder find(path + L"*.*");
    if (!find.IsOpen()) {
        ::SetLastError(0);
        return count;
    }
    DWORD lastFailure = 0;  // of this level only: a file held open deeper raises no notice
    do {
        if (find.IsDots())
            continue;
        const fw::WString entry = path + find.Name();
        if (find.IsFolder()) {
            const TreeCount below = DeleteFolderTree(entry);
            count.files += below.files;
            count.failed = count.failed || below.failed;
            ::RemoveDirectoryW(entry.c_str());
        } else {
            const bool deleted = ::DeleteFileW(entry.c_str()) != FALSE;
            if (!deleted) {
                count.failed = true;
                lastFailure = ::GetLastError();
            } else if (SameLastThree(find.Name(), m_filePattern)) {
                ++count.files;  // other types go uncounted
            }
            if (m_progress)
                m_progress->Step();
        }
    } while (find.Next());
    find.Close();
    ::SetLastError(lastFailure);
    return count;
}
