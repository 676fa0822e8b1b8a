// The listing of projects and files into the grids (or a host's grid or
// combo box), with the files' sizes, times and upload states, the
// preselection by posted clicks, and the row helpers the operations share.
#include "CorvaneDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CorvaneTexts.h"
#include "GridCellPool.h"
#include "ProfileReader.h"
#include "framework/FileFinder.h"
#include "framework/LocalTime.h"
#include "framework/Path.h"
#include "plugin/resource.h"

namespace {

constexpr wchar_t kFolderPattern[] = L"*.*";
// The upload state of a project's files, written by another program.
constexpr wchar_t kUploadStatusFile[] = L"/upload.ini";
constexpr wchar_t kUploadStatusSection[] = L"result";
// Between upload time and state in an upload.ini value.
constexpr wchar_t kStatusSeparator[] = L"##";

// Seconds between 1601 and 1970, in file-time units of 100 ns.
constexpr long long kUnixEpochFileTime = 116444736000000000LL;
constexpr long long kFileTimeUnitsPerSecond = 10000000LL;

fw::WString DropLast(const fw::WString& text, size_t count)
{
    return text.Left(text.Length() > count ? text.Length() - count : 0);
}

// The part before the first backslash; all of it when it has none.
fw::WString FirstComponent(const fw::WString& path)
{
    return path.Left(path.Find(L'\\'));
}

// By name: another module's copy of a class has a descriptor of its own.
bool HasRuntimeClassNamed(const fw::Object& object, const char* name)
{
    for (const fw::RuntimeClass* at = object.GetRuntimeClass(); at; at = at->base)
        if (at->name && std::strcmp(at->name, name) == 0)
            return true;
    return false;
}

// Filling many rows: the grid lays out its scroll bars and paints once, at the end.
class RedrawSuspended {
public:
    explicit RedrawSuspended(CGridCtrl& grid) : m_grid(grid), m_allowed(grid.GetRedraw()) { grid.SetRedraw(false); }
    ~RedrawSuspended() { m_grid.SetRedraw(m_allowed, true); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    CGridCtrl& m_grid;
    bool m_allowed;
};

// Appends the number in decimal, with zeros in front up to width digits: as
// "%0<width>llu" gives it, without the formatter's cost, which a listing of
// thousands of files would pay twice a row.
void AppendNumber(std::wstring& text, unsigned long long number, int width = 1)
{
    wchar_t digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count < width)
        digits[count++] = L'0';
    while (count > 0)
        text += digits[--count];
}

// Appends "%d.%02d.%02d-%02d:%02d" in local time; a time that cannot be
// converted shows year, month and day 0 and hour and minute -1.
void AppendLocalTime(std::wstring& text, const FILETIME& time, const fw::LocalZone& zone)
{
    const long long ticks = static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                                   time.dwLowDateTime);
    const long long seconds = (ticks - kUnixEpochFileTime) / kFileTimeUnitsPerSecond;
    SYSTEMTIME local{};
    if (!zone.ToLocal(seconds, local)) {
        text += fw::WString::Format(L"%d.%02d.%02d-%02d:%02d", 0, 0, 0, -1, -1).str();
        return;
    }
    AppendNumber(text, local.wYear);
    text += L'.';
    AppendNumber(text, local.wMonth, 2);
    text += L'.';
    AppendNumber(text, local.wDay, 2);
    text += L'-';
    AppendNumber(text, local.wHour, 2);
    text += L':';
    AppendNumber(text, local.wMinute, 2);
}

}  // namespace

bool CCorvaneDlg::HasWindowClass(HWND window, const wchar_t* name)
{
    wchar_t className[64] = {};
    return ::GetClassNameW(window, className, 64) > 0 && ::lstrcmpiW(className, name) == 0;
}

CGridCellCheck* CCorvaneDlg::CheckCellOf(CGridCtrl& grid, int row)
{
    CGridCellBase* cell = grid.GetCell(row, kColumnCheck);
    return cell && cell->IsKindOf(&CGridCellCheck::Class) ? static_cast<CGridCellCheck*>(cell) : nullptr;
}

CGridCtrl* CCorvaneDlg::GridBehind(fw::Window* control)
{
    if (!control || !control->IsWindow() || !HasWindowClass(control->Handle(), CGridCtrl::kWindowClass))
        return nullptr;
    fw::WindowImpl* object = fw::WindowImpl::FromHandle(control->Handle());
    if (!object || !HasRuntimeClassNamed(*object, "CGridCtrl"))
        return nullptr;
    return static_cast<CGridCtrl*>(object);
}

int CCorvaneDlg::ListFolder(const fw::WString& folder, const fw::WString& pattern, fw::Window* control)
{
    const bool folders = pattern == kFolderPattern;
    fw::FileFinder find(folder + pattern);

    CGridCtrl* grid = GridBehind(control);
    HWND combo = nullptr;
    if (!grid && control && control->IsWindow() && HasWindowClass(control->Handle(), kComboBoxClass))
        combo = control->Handle();
    if (combo)
        ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const int id = grid ? grid->GetId() : 0;
    const bool ownFileGrid = grid == &m_fileGrid;
    const size_t extensionLength = Extension().Length();
    const fw::WString selectedProject = FirstComponent(m_openProject);
    const fw::WString startName = DropLast(m_startFile, extensionLength);

    int listed = 0;
    int matchRow = -1;
    fw::WString matchName;
    {
        // The cells dropped here leave their memory for the rows made below.
        GridCellPool::KeepBlocks keep;
        std::optional<RedrawSuspended> suspended;
        std::vector<fw::WString> names;  // for a grid, in the order of the enumeration
        std::vector<FileStatus> statuses;  // for a file grid, of each name
        if (grid) {
            // Suspended first: the emptied grid would lay out its bars and paint them at once.
            suspended.emplace(*grid);
            grid->DeleteNonFixedRows();
        }
        std::wstring path = folder.str();
        if (find.IsOpen()) {
            do {
                if (find.IsDots() || find.IsFolder() != folders)
                    continue;
                ++listed;
                if (combo) {
                    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(find.Name()));
                } else if (grid) {
                    names.push_back(find.Name());
                    if (!folders) {
                        // Each file's status is asked for as the listing meets it, while its
                        // folder is being read: that costs less than asking afterwards.
                        path.resize(folder.Length());
                        path += find.Name();
                        WIN32_FILE_ATTRIBUTE_DATA status{};
                        statuses.emplace_back();
                        if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &status)) {
                            statuses.back().known = true;
                            statuses.back().lastWrite = status.ftLastWriteTime;
                            statuses.back().size =
                                (static_cast<unsigned long long>(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
                        }
                    }
                }
                // any other window: counted, nothing added
            } while (find.Next());
        }
        if (ownFileGrid)
            m_listedFiles.clear();
        const int first = grid ? grid->GetRowCount() : 0;
        if (grid) {
            // All rows at once, appended as single inserts would: the grid grows in one step.
            grid->SetRowCount(first + static_cast<int>(names.size()), kColumnCheck, &CGridCellCheck::Class);
            for (int row = first; row < grid->GetRowCount(); ++row) {
                fw::WString& entry = names[static_cast<size_t>(row - first)];
                const fw::WString name = ownFileGrid ? DropLast(entry, extensionLength) : entry;
                grid->SetItemText(row, kColumnName, name.c_str());
                if (ownFileGrid) {
                    // The file's own name goes with its row (through sorts and deletions).
                    m_listedFiles.push_back(std::move(entry));
                    grid->SetItemData(row, kColumnName, static_cast<LPARAM>(m_listedFiles.size()));
                }
                const bool matches = (id == IDC_PROJECT_GRID && name == selectedProject) ||
                                     (id == IDC_FILE_GRID && !m_startFile.IsEmpty() && name == startName);
                if (matches) {
                    matchRow = row;
                    matchName = name;
                }
            }
        }
        if (grid && !folders) {
            FillFileStatus(*grid, folder, first, statuses);
            SetHeaderCount(*grid, listed);
            grid->AutoSizeColumns(GridAutoSize::kBoth);
            // Newest first: the time format sorts as text in time order.
            grid->SortItems(&CGridCtrl::TextCompare, kColumnModified, false);
        } else if (grid) {
            SetHeaderCount(*grid, listed);
            if (grid == &m_projectGrid)
                grid->AutoSizeColumns(GridAutoSize::kBoth);
        }
    }
    if (!grid)
        return listed;
    grid->Invalidate();
    if (id == IDC_FILE_GRID && matchRow < 0)
        m_startFile.Empty();

    // The preselection: a click posted into the matching row where it now
    // stands (after the sort), handled once the dialog takes its messages.
    if (matchRow > 0) {
        int row = matchRow;
        if (!folders)
            for (row = grid->GetFixedRowCount(); row < grid->GetRowCount(); ++row)
                if (grid->GetItemText(row, kColumnName) == matchName)
                    break;
        ClickRow(*grid, row);
    }
    if (!folders) {
        if (ownFileGrid)
            SelectHostStartFile(folder);
        grid->Show(SW_SHOW);
    }
    return listed;
}

void CCorvaneDlg::FillFileStatus(CGridCtrl& grid, const fw::WString& folder, int first,
                                 const std::vector<FileStatus>& statuses)
{
    // Read once for the whole listing, for the listed files only, answering like the per-key reader.
    fw::WString text;  // of a host's grid
    const auto nameOf = [&](int row) -> const fw::WString& {
        if (&grid == &m_fileGrid)
            return ListedFileName(row);
        text = grid.GetItemText(row, kColumnName);
        return text;
    };
    ProfileSection uploads;
    for (int row = 1; row < grid.GetRowCount(); ++row)
        uploads.Want(nameOf(row));
    uploads.Load(folder + kUploadStatusFile, kUploadStatusSection);
    const std::wstring separator = kStatusSeparator;
    const fw::LocalZone zone;  // once for the listing
    // The texts of a row, kept between the rows: a listing of thousands of
    // files would otherwise make and free each of them for every one.
    std::wstring shown;
    std::wstring uploadTime;
    std::wstring state;
    for (int row = std::max(1, first); row < grid.GetRowCount(); ++row) {
        const size_t entry = static_cast<size_t>(row - first);
        if (entry >= statuses.size() || !statuses[entry].known)
            continue;
        const FileStatus& status = statuses[entry];
        shown.clear();
        AppendLocalTime(shown, status.lastWrite, zone);
        grid.SetItemText(row, kColumnModified, shown.c_str());
        shown.clear();
        if (status.size == 0)
            shown = CorvaneText::kUnknownSize.EnglishFor1Only(m_language);
        else
            AppendNumber(shown, status.size >> 10);
        grid.SetItemText(row, kColumnSize, shown.c_str());

        // time + "##" + state + the writer's line end, which is dropped.
        uploadTime.clear();
        state.clear();
        std::wstring_view value;
        const size_t at = uploads.Find(nameOf(row), &value) ? value.find(separator) : std::wstring_view::npos;
        if (at != std::wstring_view::npos) {
            uploadTime.assign(value.substr(0, at));
            const size_t rest = value.size() - at - separator.size();
            state.assign(value.substr(at + separator.size(), rest > 0 ? rest - 1 : 0));
        }
        grid.SetItemText(row, kColumnState, state.c_str());
        grid.SetItemText(row, kColumnUploadTime, uploadTime.c_str());
    }
}

const fw::WString& CCorvaneDlg::ListedFileName(int row)
{
    static const fw::WString none;
    const LPARAM entry = m_fileGrid.GetItemData(row, kColumnName);
    return entry > 0 && static_cast<size_t>(entry) <= m_listedFiles.size() ? m_listedFiles[static_cast<size_t>(entry - 1)]
                                                                            : none;
}

void CCorvaneDlg::SelectHostStartFile(const fw::WString& folder)
{
    // The host's file, when the listed project is the host's project folder
    // (its start location kept whole: "\Project\File.ext").
    const size_t last = m_hostProjectFolder.ReverseFind(L'\\');
    const fw::WString file = DropLast(m_hostProjectFolder.Mid(last == fw::WString::kNoPosition ? 0 : last + 1),
                                      Extension().Length());
    fw::WString hostProject = last == fw::WString::kNoPosition ? fw::WString() : m_hostProjectFolder.Left(last);
    fw::WString listed = fw::FileNameOf(fw::WithoutFinalBackslash(folder));
    hostProject.Remove(L'\\');
    listed.Remove(L'\\');
    if (listed == hostProject)
        SelectStartFile(file);
}

void CCorvaneDlg::ShowProjectFiles(int row)
{
    m_openProject = m_projectGrid.GetItemText(row, kColumnName);
    if (m_openProject.IsEmpty()) {
        m_fileGrid.DeleteNonFixedRows();
        UpdateButtons();
        return;
    }
    m_openProject += L'\\';
    ListFolder(m_storageRoot + m_dataFolder + m_openProject, m_filePattern, &m_fileGrid);
    if (CGridCellCheck* header = CheckCellOf(m_fileGrid, 0))
        header->SetCheck(false);
}

void CCorvaneDlg::SelectStartFile(const fw::WString& name)
{
    const int rows = m_fileGrid.GetRowCount();
    for (int row = 1; row < rows; ++row) {
        if (m_fileGrid.GetItemText(row, kColumnName) == name) {
            m_fileGrid.EnsureVisible(row, 0);
            break;
        }
    }
    for (int row = 1; row < rows; ++row) {
        RECT cell{};
        if (m_fileGrid.IsCellVisible(row, 0) && m_fileGrid.GetItemText(row, kColumnName) == name &&
            m_fileGrid.GetCellRect(row, kColumnName, &cell)) {
            PostClick(m_fileGrid, POINT{cell.right - 3, cell.bottom - 3});
            return;
        }
    }
}

void CCorvaneDlg::SetHeaderCount(CGridCtrl& grid, int count)
{
    fw::WString title = grid.GetItemText(0, kColumnName);
    if (title.EndsWith(L")"))
        title = title.Left(title.Find(L'('));
    grid.SetItemText(0, kColumnName, (title + fw::WString::Format(L"(%d)", count)).c_str());
}

bool CCorvaneDlg::ClickRow(CGridCtrl& grid, int row)
{
    if (row <= 0 || row >= grid.GetRowCount())
        return false;
    grid.EnsureVisible(row, 0);
    RECT cell{};
    if (!grid.GetCellRect(row, kColumnName, &cell))
        return false;
    PostClick(grid, POINT{cell.right - 3, cell.bottom - 3});
    return true;
}

void CCorvaneDlg::PostClick(CGridCtrl& grid, POINT point)
{
    const LPARAM position = MAKELPARAM(point.x, point.y);
    grid.Post(WM_LBUTTONDOWN, MK_LBUTTON, position);
    grid.Post(WM_LBUTTONUP, MK_LBUTTON, position);
}

int CCorvaneDlg::NextCheckedRow(CGridCtrl& grid, int from)
{
    for (int row = from < 0 ? 0 : from; row < grid.GetRowCount(); ++row) {
        const CGridCellCheck* check = CheckCellOf(grid, row);
        if (check && check->GetCheck())
            return row;
    }
    return 0;
}

int CCorvaneDlg::CountCheckedRows(CGridCtrl& grid)
{
    int count = 0;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        const CGridCellCheck* check = CheckCellOf(grid, row);
        if (check && check->GetCheck())
            ++count;
    }
    return count;
}
