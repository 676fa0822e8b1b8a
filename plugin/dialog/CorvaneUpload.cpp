// Upload: the checked project, or the checked files of the open project,
// handed item by item to the host, which uploads them to the mobile client.
// The plug-in copies nothing; it only makes sure the staging folder exists.
#include "CorvaneDlg.h"

#include "BusyState.h"
#include "framework/FileFinder.h"
#include "framework/Path.h"

namespace {

constexpr wchar_t kUploadFolder[] = L"\\Flash Disk\\Upload\\";
// With this project-file pattern a project's items are its sub-folders.
constexpr wchar_t kFolderPattern[] = L"*.*";

}  // namespace

void CCorvaneDlg::OnUpload()
{
    if (!m_host.CanUpload()) {
        m_host.UploadRefused();
        return;
    }
    if (CountCheckedRows(m_projectGrid) > 1) {
        if (const wchar_t* text = CorvaneText::kOneProjectOnly.For(m_language))
            m_host.Notice(text, CorvaneText::kUploadTitle.For(m_language));
        return;
    }
    if (m_hostProjectFolder != m_openProject) {
        m_host.UploadProjectChanged();
        m_hostProjectFolder = m_openProject;
    }
    if (!Agrees(CorvaneText::kUploadQuestion, CorvaneText::kUploadTitle))
        return;
    BusyState busy;
    if (EnsureFolder(kUploadFolder) != FolderState::Ready)
        return;

    const fw::WString data = m_storageRoot + m_dataFolder;
    // A checked open project goes whole with the project phase, its files with it.
    const int openRow = SelectedProjectRow();
    const CGridCellCheck* openCheck = openRow > 0 ? CheckCellOf(m_projectGrid, openRow) : nullptr;
    if (CountCheckedRows(m_fileGrid) > 0 && !(openCheck && openCheck->GetCheck())) {
        for (int row = NextCheckedRow(m_fileGrid, 1); row > 0; row = NextCheckedRow(m_fileGrid, row + 1)) {
            ::SetLastError(0);
            m_host.UploadItem(data + m_openProject + ListedFileName(row));
        }
    }
    for (int row = NextCheckedRow(m_projectGrid, 1); row > 0; row = NextCheckedRow(m_projectGrid, row + 1)) {
        ::SetLastError(0);
        if (UploadProjectItems(data + m_projectGrid.GetItemText(row, kColumnName) + L"\\") <= 0)
            break;
    }

    busy.Leave();
    PauseBeforeResult();
    m_host.UploadDone();
    InitGrids();
}

int CCorvaneDlg::UploadProjectItems(const fw::WString& projectFolder)
{
    const fw::WString path = fw::WithFinalBackslash(projectFolder);
    const bool folders = m_filePattern == kFolderPattern;
    int items = 0;
    fw::FileFinder find(path + m_filePattern);
    if (!find.IsOpen())
        return 0;
    do {
        // "." and ".." are no items: the second would hand over the whole data folder.
        if (find.IsFolder() != folders || find.IsDots())
            continue;
        m_host.UploadItem(path + find.Name());
        ++items;
    } while (find.Next());
    return items;
}
