// Export: the checked projects, or else the checked files of the open
// project, copied to the U disk under a folder named like the data folder's
// last component, each project in the shape it has on the device.
#include "CorvaneDlg.h"

#include "BusyState.h"
#include "OperationProgress.h"
#include "framework/FileFinder.h"
#include "framework/Files.h"
#include "framework/Path.h"

namespace {

// "\硬盘\" + the data folder's last component + "\"; the U disk's root
// itself when the data folder is the storage root.
fw::WString ExportFolderOf(const fw::WString& dataFolder)
{
    const fw::WString last = fw::FileNameOf(fw::WithoutFinalBackslash(dataFolder));
    const fw::WString root = CCorvaneDlg::kUDiskRoot;
    return last.IsEmpty() ? root : root + last + L"\\";
}

bool UDiskIsPresent()
{
    // The volume's own entry: an empty U disk has nothing to list inside.
    fw::FileFinder find(fw::WithoutFinalBackslash(CCorvaneDlg::kUDiskRoot));
    return find.IsOpen() && find.IsFolder();
}

constexpr unsigned long long kMegabyte = 1024 * 1024;

// What an export will write: its files, and the room they take on the U disk
// beyond the files of the same names they replace there.
struct ExportPlan {
    int files = 0;
    unsigned long long needed = 0;

    void Add(unsigned long long size, const fw::WString& target)
    {
        ++files;
        const unsigned long long replaced = fw::FileSizeOf(target);
        if (size > replaced)
            needed += size - replaced;
    }
    // Every file of the tree below from, bound for the same place below to.
    void AddTree(const fw::WString& from, const fw::WString& to)
    {
        fw::FileFinder find(from + L"*.*");
        if (!find.IsOpen())
            return;  // the copy finds out what is wrong with it
        do {
            if (find.IsDots())
                continue;
            const fw::WString name = find.Name();
            if (find.IsFolder())
                AddTree(from + name + L"\\", to + name + L"\\");
            else
                Add(find.Size(), to + name);
        } while (find.Next());
    }
};

}  // namespace

void CCorvaneDlg::OnExport()
{
    if (!Agrees(CorvaneText::kExportQuestion, CorvaneText::kExportCaption))
        return;
    BusyState busy;

    const fw::WString exportFolder = ExportFolderOf(m_dataFolder);
    if (!UDiskIsPresent()) {
        if (const wchar_t* text = CorvaneText::kInsertUDisk.For(m_language))
            m_host.Notice(text, CorvaneText::kNoticeCaption.For(m_language));
        return;
    }
    int projects = 0;
    int files = 0;
    bool failed = false;
    const fw::WString source = m_storageRoot + m_dataFolder;
    const bool singleFiles = CountCheckedRows(m_fileGrid) > 0 && CountCheckedRows(m_projectGrid) == 0;

    // Nothing is written unless the U disk has room for all of it.
    ExportPlan plan;
    if (singleFiles) {
        for (int row = NextCheckedRow(m_fileGrid, 1); row > 0; row = NextCheckedRow(m_fileGrid, row + 1)) {
            const fw::WString name = ListedFileName(row);
            plan.Add(fw::FileSizeOf(source + m_openProject + name), exportFolder + m_openProject + name);
        }
    } else {
        for (int row = NextCheckedRow(m_projectGrid, 1); row > 0; row = NextCheckedRow(m_projectGrid, row + 1)) {
            const fw::WString project = m_projectGrid.GetItemText(row, kColumnName) + L"\\";
            plan.AddTree(source + project, exportFolder + project);
        }
    }
    unsigned long long free = 0;
    if (fw::FreeSpaceFor(exportFolder, free) && plan.needed > free) {
        if (const wchar_t* format = CorvaneText::kUDiskTooSmall.For(m_language))
            m_host.Notice(fw::WString::Format(format, static_cast<unsigned>((plan.needed + kMegabyte - 1) / kMegabyte),
                                              static_cast<unsigned>(free / kMegabyte)),
                          CorvaneText::kNoticeCaption.For(m_language));
        return;
    }

    OperationProgress progress(*this, CorvaneText::kExportProgress, plan.files);
    FolderState folder = EnsureFolder(exportFolder);
    if (folder != FolderState::Ready) {
        // nothing to copy into
    } else if (singleFiles) {
        const fw::WString destination = exportFolder + m_openProject;
        for (int row = NextCheckedRow(m_fileGrid, 1); row > 0; row = NextCheckedRow(m_fileGrid, row + 1)) {
            if ((folder = EnsureFolder(destination)) != FolderState::Ready)
                break;
            const fw::WString name = ListedFileName(row);
            ::SetLastError(0);
            if (!fw::CopyFileFlushed(source + m_openProject + name, destination + name)) {
                failed = true;
                NoticeIfDiskFull();
                break;
            }
            ++files;
            progress.Step();
        }
        // Only a folder that is there has been exported to, also after a failed copy.
        if (folder == FolderState::Ready) {
            progress.Show();
            m_host.Exported(destination);
        }
    } else {
        // Projects; checked files beside them are left out.
        for (int row = NextCheckedRow(m_projectGrid, 1); row > 0; row = NextCheckedRow(m_projectGrid, row + 1)) {
            const fw::WString project = m_projectGrid.GetItemText(row, kColumnName) + L"\\";
            const fw::WString destination = exportFolder + project;
            if ((folder = EnsureFolder(destination)) != FolderState::Ready)
                break;
            ::SetLastError(0);
            const TreeCount copied = CopyFolderTree(source + project, destination);
            files += copied.files;
            if (copied.failed) {
                // This project is not counted, and no further one is touched.
                failed = true;
                NoticeIfDiskFull();
                break;
            }
            progress.Show();
            m_host.Exported(destination);
            ++projects;
        }
    }
    // A full disk has been explained by its notice and ends the run at once.
    // A folder that cannot be made for another reason ends it with the
    // summary's failure line, so that the user learns the export did not happen.
    if (folder == FolderState::DiskFull)
        return;
    failed = failed || folder == FolderState::Failed;
    // The U disk pulled during the export: say so, then what was done.
    if (failed && !UDiskIsPresent()) {
        progress.Show();
        if (const wchar_t* text = CorvaneText::kInsertUDisk.For(m_language))
            m_host.Notice(text, CorvaneText::kNoticeCaption.For(m_language));
    }

    busy.Leave();
    PauseBeforeResult();
    ShowResultSummary(CorvaneText::kExportTitle.For(m_language), projects, files, failed);
    InitGrids();
}
