// What the user does on the grids: clicks (header check box, sorting,
// opening a project, choosing a file), keyboard navigation, the device's
// keys and vertical swipes that page a list.
#include "CorvaneDlg.h"

#include <cstdlib>

#include "plugin/resource.h"

namespace {

// A swipe pages a list when it is long and steep enough.
constexpr int kSwipeMinimumHeight = 100;

bool HasFocusIn(const CGridCtrl& grid, HWND focus)
{
    return focus && (focus == grid.Handle() || ::IsChild(grid.Handle(), focus));
}

POINT PointOf(LPARAM position)
{
    return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
}

}  // namespace

void CCorvaneDlg::OnGridClick(int id, const GridNotification& notification)
{
    CGridCtrl* grid = GridOf(id);
    if (!grid)
        return;
    if (notification.row == 0) {
        if (notification.column < 0)
            return;
        if (notification.column == kColumnCheck) {
            // The header's check box ticks or clears every row, itself included.
            const CGridCellCheck* header = CheckCellOf(*grid, 0);
            const bool checked = header && header->GetCheck();
            for (int row = 0; row < grid->GetRowCount(); ++row)
                if (CGridCellCheck* check = CheckCellOf(*grid, row))
                    check->SetCheck(!checked);
        } else if (notification.column == kColumnSize) {
            // The grid has sorted by text on the press; sizes sort by number.
            grid->SortItems(&CGridCtrl::NumericCompare, kColumnSize, grid->GetSortAscending());
        } else {
            grid->SortItems(notification.column, grid->GetSortAscending());
        }
    } else if (notification.row > 0) {
        const int row = grid->GetSelectedCellRange().maxRow;
        if (row > 0) {
            if (id == IDC_PROJECT_GRID)
                ShowProjectFiles(row);
            else
                RememberFile(row);
        }
    }
    UpdateButtons();
    grid->Invalidate();
}

void CCorvaneDlg::OnGridSelChanged(int id)
{
    // Mouse clicks are handled by OnGridClick alone.
    CGridCtrl* grid = GridOf(id);
    if (!m_keyboardNavigation || !grid)
        return;
    const GridCellRange selected = grid->GetSelectedCellRange();
    grid->EnsureVisible(selected.minRow, kColumnName);
    grid->Invalidate();
    ClickSelectedRow(id);
    m_keyboardNavigation = false;
}

void CCorvaneDlg::ClickSelectedRow(int id)
{
    CGridCtrl* grid = GridOf(id);
    if (!grid)
        return;
    const int row = grid->GetSelectedCellRange().maxRow;
    RECT cell{};
    if (id == IDC_PROJECT_GRID && row == 0)
        m_openProject.Empty();
    else if (row > 0 && grid->GetCellRect(row, kColumnName, &cell))
        PostClick(*grid, POINT{cell.left + 3, cell.top + 3});
    grid->Invalidate();
}

bool CCorvaneDlg::PreTranslateMessage(MSG* message)
{
    // The device's function keys have been mapped by the application already.
    if (message->message == WM_KEYDOWN) {
        switch (message->wParam) {
        case VK_RETURN: {
            HWND focus = ::GetFocus();
            if (HasFocusIn(m_projectGrid, focus)) {
                ClickSelectedRow(IDC_PROJECT_GRID);
                UpdateButtons();
                return true;
            }
            if (HasFocusIn(m_fileGrid, focus)) {
                // Open tells the user when there is nothing to open.
                Post(WM_COMMAND, MAKEWPARAM(IDC_OPEN, BN_CLICKED), reinterpret_cast<LPARAM>(GetItem(IDC_OPEN).Handle()));
                return true;
            }
            break;
        }
        case VK_LEFT:
            return true;
        case VK_UP:
        case VK_DOWN:
            m_keyboardNavigation = true;  // the grid moves the selection and reports it
            break;
        case VK_F3:
            if (GetItem(IDC_DELETE).IsEnabled())
                Post(WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetItem(IDC_DELETE).Handle()));
            return true;
        case VK_F4:
            message->wParam = VK_ESCAPE;  // leaves the dialog
            break;
        default:
            break;
        }
    } else if (message->message == WM_LBUTTONDOWN && GridOfWindow(message->hwnd)) {
        m_pressPoint = PointOf(message->lParam);
    } else if (message->message == WM_LBUTTONUP) {
        if (CGridCtrl* grid = GridOfWindow(message->hwnd)) {
            const POINT release = PointOf(message->lParam);
            const int dx = std::abs(m_pressPoint.x - release.x);
            const int dy = std::abs(m_pressPoint.y - release.y);
            if (dx != 0 && dy > kSwipeMinimumHeight && dy / dx > 1)
                grid->Post(WM_VSCROLL, MAKEWPARAM(release.y > m_pressPoint.y ? SB_PAGEDOWN : SB_PAGEUP, 0), 0);
        }
    }
    return fw::Dialog::PreTranslateMessage(message);
}
