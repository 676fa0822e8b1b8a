// Focus cell, selection and sorting of the grid, and its answers to clicks
// on fixed cells and to the select-all command.
#include "GridCtrl.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

#include "framework/Gdi.h"
#include "framework/WaitCursor.h"

// --- focus

void CGridCtrl::RedrawHeadersOf(const GridCellId& cell, const GridCellId& other)
{
    if (!m_trackFocusCell)
        return;
    if (cell.col != other.col)
        for (int row = 0; row < m_fixedRowCount; ++row)
            RedrawCell(row, cell.col);
    if (cell.row != other.row)
        for (int col = 0; col < m_fixedColCount; ++col)
            RedrawCell(cell.row, col);
}

GridCellId CGridCtrl::SetFocusCell(int row, int col)
{
    // The focus never lies on a fixed cell.
    if (row != -1)
        row = std::max(row, m_fixedRowCount);
    if (col != -1)
        col = std::max(col, m_fixedColCount);
    const GridCellId previous = m_focus;
    const GridCellId next(row, col);
    // Only a cell of the grid, or none: a focus outside it would become a
    // cell without the focused flag once the grid grows under it.
    if (next == previous || (next != GridCellId() && !IsValid(next)))
        return previous;

    m_focus = next;
    if (IsValid(previous)) {
        SetItemState(previous.row, previous.col, GetItemState(previous.row, previous.col) & ~GridState::kFocused);
        RedrawCell(previous.row, previous.col);
        RedrawHeadersOf(previous, next);
    }
    if (IsValid(next)) {
        SetItemState(next.row, next.col, GetItemState(next.row, next.col) | GridState::kFocused);
        RedrawCell(next.row, next.col);
        RedrawHeadersOf(next, previous);
    }
    return previous;
}

// --- selection

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint, bool select)
{
    if (!m_enableSelection)
        return;
    if (minRow >= 0 && minRow < m_fixedRowCount)
        minRow = m_fixedRowCount;
    if (maxRow >= 0 && maxRow < m_fixedRowCount)
        maxRow = m_fixedRowCount;
    if (!m_fixedColsSelectable) {
        if (minCol >= 0 && minCol < m_fixedColCount)
            minCol = m_fixedColCount;
        if (maxCol >= 0 && maxCol < m_fixedColCount)
            maxCol = m_fixedColCount;
    }
    const GridCellRange range(minRow, minCol, maxRow, maxCol);
    // Nothing selected to clear or bring back, and no range: the common
    // reset before every inserted row costs nothing.
    if (!IsValid(range) && (!select || (m_selected.empty() && m_previousSelection.empty())))
        return;

    fw::WaitCursor wait;
    std::unique_ptr<fw::ClientDC> clientDC;
    if (forceRepaint && IsWindow() && m_allowDraw)
        clientDC = std::make_unique<fw::ClientDC>(m_hwnd);
    HDC dc = clientDC ? clientDC->Get() : nullptr;

    // What is on screen, worked out once for the whole range.
    const bool drawing = IsWindow() && m_allowDraw;
    const GridCellRange visible = drawing ? GetVisibleNonFixedCellRange() : GridCellRange();
    auto onScreen = [&](int row, int col) {
        return drawing && (row < m_fixedRowCount || (row >= visible.minRow && row <= visible.maxRow)) &&
               (col < m_fixedColCount || (col >= visible.minCol && col <= visible.maxCol));
    };

    if (select) {
        SelectionMap old;
        old.swap(m_selected);
        for (const auto& entry : old) {
            const GridCellId& id = entry.second;
            if (!IsValid(id))
                continue;
            if (!m_virtualMode)
                if (CGridCellBase* cell = GetCell(id.row, id.col))
                    cell->SetState(cell->GetState() & ~GridState::kSelected);
            if (!range.Contains(id.row, id.col) && onScreen(id.row, id.col))
                RedrawCell(id.row, id.col, dc);
        }
        if (!GetSingleRowSelection()) {
            for (const auto& entry : m_previousSelection) {
                const GridCellId& id = entry.second;
                if (!IsValid(id))
                    continue;
                SetItemState(id.row, id.col, (m_virtualMode ? 0 : GetItemState(id.row, id.col)) | GridState::kSelected);
                if (onScreen(id.row, id.col))
                    RedrawCell(id.row, id.col, dc);
            }
        }
    }

    if (!IsValid(range))
        return;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            bool selected;
            UINT state = 0;
            if (m_virtualMode) {
                selected = m_selected.count(SelectionKey(row, col)) != 0;
            } else {
                CGridCellBase* cell = GetCell(row, col);
                if (!cell)
                    continue;
                state = cell->GetState();
                selected = (state & GridState::kSelected) != 0;
            }
            if (selected == select)
                continue;
            SetItemState(row, col, select ? state | GridState::kSelected : state & ~GridState::kSelected);
            if (onScreen(row, col))
                RedrawCell(row, col, dc);
        }
    }
}

void CGridCtrl::SelectAllCells()
{
    SetSelectedRange(m_fixedRowCount, m_fixedColCount, m_rowCount - 1, m_colCount - 1);
}

void CGridCtrl::SelectRows(GridCellId cell, bool forceRepaint, bool select)
{
    if (!IsValid(cell) || cell.row < m_fixedRowCount)
        return;
    const int firstCol = m_fixedColsSelectable ? 0 : m_fixedColCount;
    if (GetSingleRowSelection())
        SetSelectedRange(cell.row, firstCol, cell.row, m_colCount - 1, forceRepaint, select);
    else
        SetSelectedRange(std::min(m_selectionStart.row, cell.row), firstCol, std::max(m_selectionStart.row, cell.row),
                         m_colCount - 1, forceRepaint, select);
}

void CGridCtrl::SelectColumns(GridCellId cell, bool forceRepaint, bool select)
{
    if (!IsValid(cell) || cell.col < m_fixedColCount)
        return;
    if (m_singleColSelection)
        SetSelectedRange(m_fixedRowCount, cell.col, m_rowCount - 1, cell.col, forceRepaint, select);
    else
        SetSelectedRange(m_fixedRowCount, std::min(m_selectionStart.col, cell.col), m_rowCount - 1,
                         std::max(m_selectionStart.col, cell.col), forceRepaint, select);
}

void CGridCtrl::SelectCells(GridCellId cell, bool forceRepaint, bool select)
{
    if (!IsValid(cell) || IsCellFixed(cell.row, cell.col))
        return;
    SetSelectedRange(std::min(m_selectionStart.row, cell.row), std::min(m_selectionStart.col, cell.col),
                     std::max(m_selectionStart.row, cell.row), std::max(m_selectionStart.col, cell.col),
                     forceRepaint, select);
}

void CGridCtrl::SelectForMouseMode(const GridCellId& cell)
{
    switch (m_mouseMode) {
    case MouseMode::kSelectAll:
        SelectAllCells();
        break;
    case MouseMode::kSelectCol:
        SelectColumns(cell);
        break;
    case MouseMode::kSelectRow:
        SelectRows(cell);
        break;
    case MouseMode::kSelectCells:
        SelectCells(cell);
        break;
    default:
        break;
    }
}

void CGridCtrl::ResetSelectedRange()
{
    m_previousSelection.clear();
    SetSelectedRange(-1, -1, -1, -1);
    SetFocusCell(-1, -1);
}

bool CGridCtrl::IsCellSelected(int row, int col) const
{
    if (!m_enableSelection || !IsValid(row, col))
        return false;
    if (m_virtualMode)
        return m_selected.count(SelectionKey(row, col)) != 0;
    const CGridCellBase* cell = GetCell(row, col);
    return cell && cell->IsSelected();
}

GridCellRange CGridCtrl::GetSelectedCellRange() const
{
    GridCellRange range(m_rowCount, m_colCount, -1, -1);
    for (const auto& entry : m_selected) {
        const GridCellId& id = entry.second;
        range.minRow = std::min(range.minRow, id.row);
        range.minCol = std::min(range.minCol, id.col);
        range.maxRow = std::max(range.maxRow, id.row);
        range.maxCol = std::max(range.maxCol, id.col);
    }
    return range;
}

void CGridCtrl::SetListMode(bool listMode)
{
    ResetSelectedRange();
    SetSortColumn(-1);
    m_fixedColClickSelectsRow = false;
    m_listMode = listMode;
    if (IsWindow() && m_allowDraw)
        Invalidate();
}

// --- sorting

void CGridCtrl::SetSortColumn(int col)
{
    const int old = m_sortColumn;
    m_sortColumn = col;
    if (old >= 0)
        RedrawCell(0, old);
    if (col >= 0 && col != old)
        RedrawCell(0, col);
}

bool CGridCtrl::SortItems(int col, bool ascending, LPARAM user)
{
    return SortItems(m_compare ? m_compare : &CGridCtrl::TextCompare, col, ascending, user);
}

bool CGridCtrl::SortItems(GridCompareFunction compare, int col, bool ascending, LPARAM user)
{
    EndEditBeforeCellsMove();
    SetSortColumn(col);
    SetSortAscending(ascending);
    ResetSelectedRange();
    SetFocusCell(-1, -1);
    const bool sorted = SortRange(compare, col, ascending, user, m_fixedRowCount, m_rowCount - 1);
    if (IsWindow() && m_allowDraw)
        Invalidate();
    return sorted;
}

void CGridCtrl::SwapRows(int first, int second)
{
    if (!m_virtualMode)
        std::swap(m_rows[first], m_rows[second]);  // every cell of the two rows at once
    else if (first < static_cast<int>(m_rowOrder.size()) && second < static_cast<int>(m_rowOrder.size()))
        std::swap(m_rowOrder[first], m_rowOrder[second]);
    std::swap(m_rowHeights[first], m_rowHeights[second]);
}

namespace {

// The quicksort of the grid's rows. Order supplies a key per row (held by
// value, so the pivot's key stays with its row whatever moves), the
// comparison of two keys and the exchange of two whole rows. The smaller
// part of each split is sorted by a call, the larger one by the next round
// of the loop, so the depth stays below the logarithm of the row count; the
// parts are apart, so the order is what sorting both by calls gives.
template <class Order>
void QuickSort(Order& order, bool ascending, int low, int high)
{
    while (low < high) {
        const typename Order::Key pivot = order.KeyOf((low + high) / 2);
        int lower = low;
        int upper = high;
        while (lower <= upper) {
            if (ascending) {
                while (lower < high && order.Compare(order.KeyOf(lower), pivot) < 0)
                    ++lower;
                while (upper > low && order.Compare(order.KeyOf(upper), pivot) > 0)
                    --upper;
            } else {
                while (lower < high && order.Compare(order.KeyOf(lower), pivot) > 0)
                    ++lower;
                while (upper > low && order.Compare(order.KeyOf(upper), pivot) < 0)
                    --upper;
            }
            if (lower <= upper) {
                if (order.Compare(order.KeyOf(lower), order.KeyOf(upper)) != 0)
                    order.Swap(lower, upper);
                ++lower;
                --upper;
            }
        }
        if (upper - low < high - lower) {
            if (low < upper)
                QuickSort(order, ascending, low, upper);
            low = lower;
        } else {
            if (lower < high)
                QuickSort(order, ascending, lower, high);
            high = upper;
        }
    }
}

}  // namespace

// Any compare function: the keys are the cells themselves (the pivot by identity).
struct CGridCtrl::CellOrder {
    using Key = const CGridCellBase*;
    CGridCtrl& grid;
    GridCompareFunction compare;
    int col;
    LPARAM user;
    Key KeyOf(int row) const { return grid.GetCell(row, col); }
    int Compare(Key a, Key b) const { return compare(a, b, user); }
    void Swap(int a, int b) { grid.SwapRows(a, b); }
};

// Virtual mode with the application's function: the rows have no cells of
// their own (the one scratch cell would be compared with itself), so two
// cells are filled for each comparison. A row's key is its row-order entry,
// which moves with it.
struct CGridCtrl::VirtualCellOrder {
    using Key = int;
    CGridCtrl& grid;
    GridCompareFunction compare;
    int col;
    LPARAM user;
    int anyRow;  // of the sorted range: with selection and focus reset, all fill alike
    std::unique_ptr<CGridCellBase> first;
    std::unique_ptr<CGridCellBase> second;
    Key KeyOf(int row) const { return grid.PhysicalRow(row); }
    int Compare(Key a, Key b)
    {
        grid.FillVirtualCell(*first, anyRow, col, a);
        grid.FillVirtualCell(*second, anyRow, col, b);
        return compare(first.get(), second.get(), user);
    }
    void Swap(int a, int b) { grid.SwapRows(a, b); }
};

// The grid's own compare functions depend on the texts alone, which a sort
// does not change: their keys are taken once and moved with the rows.
template <class K, int (*CompareKeys)(K, K)>
struct CGridCtrl::KeyOrder {
    using Key = K;
    CGridCtrl& grid;
    std::vector<K> keys;  // by row
    Key KeyOf(int row) const { return keys[row]; }
    int Compare(Key a, Key b) const { return CompareKeys(a, b); }
    void Swap(int a, int b)
    {
        std::swap(keys[a], keys[b]);
        grid.SwapRows(a, b);
    }
};

namespace {
int CompareTexts(const wchar_t* a, const wchar_t* b)
{
    return std::wcscmp(a, b);
}
int CompareNumbers(long a, long b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}
}  // namespace

bool CGridCtrl::SortRange(GridCompareFunction compare, int col, bool ascending, LPARAM user, int low, int high)
{
    if (!compare || col < 0 || col >= m_colCount || low < 0 || high >= m_rowCount || high <= low)
        return false;
    const bool ownCompare = compare == &CGridCtrl::TextCompare || compare == &CGridCtrl::NumericCompare;
    try {
        if (ownCompare && SortByTexts(compare == &CGridCtrl::TextCompare, col, ascending, low, high))
            return true;
        if (m_virtualMode) {
            auto makeCell = [this] { return static_cast<CGridCellBase*>(m_cellClass->CreateObject()); };
            VirtualCellOrder order{*this, compare, col, user, low, std::unique_ptr<CGridCellBase>(makeCell()),
                                   std::unique_ptr<CGridCellBase>(makeCell())};
            if (!order.first || !order.second)
                return false;
            QuickSort(order, ascending, low, high);
            return true;
        }
    } catch (const std::exception&) {
        if (m_virtualMode)
            return false;
        // no room for the keys: compare the cells themselves
    }
    CellOrder order{*this, compare, col, user};
    QuickSort(order, ascending, low, high);
    return true;
}

bool CGridCtrl::SortByTexts(bool asText, int col, bool ascending, int low, int high)
{
    // The texts of the rows; in virtual mode copies, as the one scratch cell
    // is filled again for every row.
    std::vector<fw::WString> copies(m_virtualMode ? m_rowCount : 0);
    std::vector<const wchar_t*> texts(m_rowCount, L"");
    for (int row = low; row <= high; ++row) {
        const CGridCellBase* cell = GetCell(row, col);
        if (!cell)
            return false;  // a row without its cell: only the cells' compare orders it as asked
        if (m_virtualMode)
            copies[row] = fw::WString(cell->GetText());
        texts[row] = m_virtualMode ? copies[row].c_str() : cell->GetText();
    }
    if (asText) {
        KeyOrder<const wchar_t*, CompareTexts> order{*this, std::move(texts)};
        QuickSort(order, ascending, low, high);
        return true;
    }
    KeyOrder<long, CompareNumbers> order{*this, std::vector<long>(m_rowCount, 0)};
    for (int row = low; row <= high; ++row)
        order.keys[row] = std::wcstol(texts[row], nullptr, 10);
    QuickSort(order, ascending, low, high);
    return true;
}

int CGridCtrl::TextCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    if (!first || !second)
        return 0;
    return std::wcscmp(first->GetText(), second->GetText());
}

int CGridCtrl::NumericCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    if (!first || !second)
        return 0;
    const long a = std::wcstol(first->GetText(), nullptr, 10);
    const long b = std::wcstol(second->GetText(), nullptr, 10);
    return a < b ? -1 : (a > b ? 1 : 0);
}

// --- fixed cells and the select-all command

void CGridCtrl::OnFixedRowClick(const GridCellId& cell)
{
    if (!IsValid(cell))
        return;
    if (m_headerSort) {
        fw::WaitCursor wait;
        const bool ascending = !(cell.col == m_sortColumn && m_sortAscending);
        SortItems(cell.col, ascending, 0);
        if (IsWindow())
            Invalidate();
    }
    if (m_fixedRowClickSelectsCol) {
        m_mouseMode = cell.col < m_fixedColCount ? MouseMode::kSelectAll : MouseMode::kSelectCol;
        SelectForMouseMode(cell);
    }
}

void CGridCtrl::OnFixedColumnClick(const GridCellId& cell)
{
    if (!IsValid(cell))
        return;
    if (m_fixedColClickSelectsRow) {
        m_mouseMode = cell.row < m_fixedRowCount ? MouseMode::kSelectAll : MouseMode::kSelectRow;
        SelectForMouseMode(cell);
    }
}

void CGridCtrl::OnSelectAll()
{
    SendNotification(m_clickDown.row, m_clickDown.col, LVN_ITEMCHANGING);
    SelectAllCells();
    SendNotification(m_focus.row, m_focus.col, LVN_ITEMCHANGED);
}
