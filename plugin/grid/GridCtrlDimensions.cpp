// The grid's rows and columns: counts and fixed counts, inserts and deletes,
// the row order of virtual mode, sizes and auto-size.
#include "GridCtrl.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "framework/Gdi.h"

// Rows and columns as the dimension operations see them: one axis, and the
// other one across it.
struct CGridCtrl::Axis {
    bool rows;  // the rows; else the columns
    int& count;
    int& fixedCount;
    std::vector<int>& sizes;  // heights or widths
    int& focus;               // the focus cell's row or column
    const int& acrossCount;   // of the other axis
    const int& acrossFixedCount;
    UINT fixedFlag;  // what marks a cell fixed along this axis

    // The cell at index on this axis and at across on the other.
    GridCellId Cell(int index, int across) const
    {
        return rows ? GridCellId(index, across) : GridCellId(across, index);
    }
};

CGridCtrl::Axis CGridCtrl::Rows()
{
    return Axis{true, m_rowCount, m_fixedRowCount, m_rowHeights, m_focus.row,
                m_colCount, m_fixedColCount, GridState::kFixedRow};
}

CGridCtrl::Axis CGridCtrl::Columns()
{
    return Axis{false, m_colCount, m_fixedColCount, m_colWidths, m_focus.col,
                m_rowCount, m_fixedRowCount, GridState::kFixedCol};
}

namespace {

// Room for one more element, growing as the vector itself grows: an exact
// reserve for every insert would copy the whole vector each time.
template <class Vector>
void RoomForOneMore(Vector& vector)
{
    if (vector.size() == vector.capacity())
        vector.reserve(std::max<size_t>(16, vector.size() * 2));
}

// The one rollback of half-made cells: count cells made one by one (make),
// each handed to place; when one cannot be made (null, or thrown: that goes
// on) take hands back those placed so far, and they are deleted.
template <class Make, class Place, class Take>
bool MakeCells(int count, Make make, Place place, Take take)
{
    int made = 0;
    bool complete = false;
    try {
        for (; made < count; ++made) {
            std::unique_ptr<CGridCellBase> cell(make(made));
            if (!cell)
                break;
            place(made, cell.get());
            cell.release();
        }
        complete = made == count;
    } catch (...) {
        while (made-- > 0)
            delete take(made);
        throw;
    }
    if (!complete)
        while (made-- > 0)
            delete take(made);
    return complete;
}

}  // namespace

// --- counts

int CGridCtrl::NewSize(bool rows, MadeBy by) const
{
    // Rows take the normal default cell's height, an inserted one the fixed
    // row's; columns take the fixed column's width, those the window is made
    // with the normal cell's.
    if (rows)
        return m_defaultCells[by == MadeBy::kInsert ? 2 : 0].GetHeight();
    return m_defaultCells[by == MadeBy::kWindow ? 0 : 1].GetWidth();
}

bool CGridCtrl::FillRow(GridRow& row, int rowIndex, RowClasses classes)
{
    const auto make = [&](int col) {
        return col == classes.col ? CreateCellOf(classes.cellClass, rowIndex, col) : CreateCell(rowIndex, col);
    };
    return MakeCells(
        static_cast<int>(row.size()), make,
        [&](int col, CGridCellBase* cell) { row[col] = cell; },
        [&](int col) { return std::exchange(row[col], nullptr); });
}

bool CGridCtrl::InsertColumnCells(int col)
{
    // The rows have room for the cell (reserved before), so placing it cannot fail.
    return MakeCells(
        m_rowCount, [&](int row) { return CreateCell(row, col); },
        [&](int row, CGridCellBase* cell) { m_rows[row].insert(m_rows[row].begin() + col, cell); },
        [&](int row) {
            CGridCellBase* cell = m_rows[row][col];
            m_rows[row].erase(m_rows[row].begin() + col);
            return cell;
        });
}

// What setting the row count and the column count share; resize() makes or
// removes the rows (columns) and says whether all could be made.
template <class Resize>
bool CGridCtrl::SetCount(const Axis& axis, int count, Resize resize)
{
    if (count == axis.count)
        return true;
    if (count < 0)
        return false;
    EndEditBeforeCellsMove();
    ForgetTopLeft();
    const int before = axis.count;
    if (count < axis.fixedCount)
        axis.fixedCount = count;
    if (axis.focus >= count)
        m_focus = GridCellId();

    // A failure keeps what was made so far. Besides running out of memory,
    // a 32-bit library refuses a count its arrays cannot hold (length_error).
    bool result = false;
    try {
        result = resize();
    } catch (const std::exception& error) {
        ReportFailure(error);
    }

    SetModified(true, -1, -1);
    if (axis.count > before)
        ResetScrollBarsSoon();
    else
        ResetScrollBars();
    if (IsWindow() && m_allowDraw)
        Invalidate();
    return result;
}

bool CGridCtrl::GrowRows(int rows, RowClasses classes)
{
    // Room first, so that adding a finished row cannot fail half-way.
    m_rows.reserve(static_cast<size_t>(rows));
    m_rowHeights.reserve(static_cast<size_t>(rows));
    const int height = NewSize(true, MadeBy::kCount);
    while (m_rowCount < rows) {
        GridRow row(static_cast<size_t>(m_colCount), nullptr);
        if (!FillRow(row, m_rowCount, classes))
            return false;
        m_rows.push_back(std::move(row));
        m_rowHeights.push_back(height);
        ++m_rowCount;
    }
    return true;
}

bool CGridCtrl::SetRowCount(int rows)
{
    return SetRowCount(rows, -1, nullptr);
}

bool CGridCtrl::SetRowCount(int rows, int classColumn, const fw::RuntimeClass* cellClass)
{
    if (cellClass && !MakesCells(cellClass))
        return false;
    return SetCount(Rows(), rows, [&] {
        if (m_virtualMode) {
            m_rowHeights.resize(static_cast<size_t>(rows), NewSize(true, MadeBy::kCount));
            m_rowCount = rows;
            ResetRowOrder();
            return true;
        }
        if (rows > m_rowCount)
            return GrowRows(rows, RowClasses{cellClass ? classColumn : -1, cellClass});
        for (int row = rows; row < m_rowCount; ++row)
            for (int col = 0; col < m_colCount; ++col)
                DestroyCell(row, col);
        m_rows.resize(static_cast<size_t>(rows));
        m_rowHeights.resize(static_cast<size_t>(rows));
        m_rowCount = rows;
        return true;
    });
}

bool CGridCtrl::GrowColumns(int cols)
{
    m_colWidths.reserve(static_cast<size_t>(cols));
    if (!m_virtualMode)
        for (auto& row : m_rows)
            row.reserve(static_cast<size_t>(cols));
    const int width = NewSize(false, MadeBy::kCount);
    // One column at a time, so that a failure leaves whole columns.
    while (m_colCount < cols) {
        if (!m_virtualMode && !InsertColumnCells(m_colCount))
            return false;
        m_colWidths.push_back(width);
        ++m_colCount;
    }
    return true;
}

bool CGridCtrl::SetColumnCount(int cols)
{
    return SetCount(Columns(), cols, [&] {
        if (cols > m_colCount)
            return GrowColumns(cols);
        if (!m_virtualMode) {
            for (int row = 0; row < m_rowCount; ++row) {
                for (int col = cols; col < m_colCount; ++col)
                    DestroyCell(row, col);
                m_rows[row].resize(static_cast<size_t>(cols));
            }
        }
        m_colWidths.resize(static_cast<size_t>(cols));
        m_colCount = cols;
        return true;
    });
}

void CGridCtrl::MarkFixed(int row, int col, UINT flag, bool fixed, bool fixedOtherWay)
{
    const UINT state = GetItemState(row, col);
    if (!fixed && fixedOtherWay) {
        SetItemState(row, col, state & ~flag);  // still a header the other way: keeps its look
        return;
    }
    SetItemState(row, col, fixed ? state | GridState::kFixed | flag : state & ~(GridState::kFixed | flag));
    SetItemTextColour(row, col, kGridDefaultColour);
    SetItemBackColour(row, col, kGridDefaultColour);
}

bool CGridCtrl::SetFixedCount(const Axis& axis, int fixed)
{
    if (fixed == axis.fixedCount)
        return true;
    if (fixed < 0)
        return false;
    ResetSelectedRange();
    if (fixed > axis.count && !(axis.rows ? SetRowCount(fixed) : SetColumnCount(fixed)))
        return false;
    if (axis.focus < fixed)
        SetFocusCell(-1, -1);

    if (!m_virtualMode) {
        const bool growing = fixed > axis.fixedCount;
        for (int index = std::min(fixed, axis.fixedCount); index < std::max(fixed, axis.fixedCount); ++index) {
            for (int other = 0; other < axis.acrossCount; ++other) {
                const GridCellId cell = axis.Cell(index, other);
                MarkFixed(cell.row, cell.col, axis.fixedFlag, growing, other < axis.acrossFixedCount);
            }
        }
    }
    axis.fixedCount = fixed;
    ForgetTopLeft();
    ResetScrollBars();
    if (IsWindow() && m_allowDraw)
        Invalidate();
    return true;
}

bool CGridCtrl::SetFixedRowCount(int fixedRows)
{
    return SetFixedCount(Rows(), fixedRows);
}

bool CGridCtrl::SetFixedColumnCount(int fixedCols)
{
    return SetFixedCount(Columns(), fixedCols);
}

// --- inserts and deletes

// Before a row (column) goes in before the one at before (-1: after the last,
// which lastBefore may name too): its index, or -1 when it cannot go there.
// Then there is room in the count, no selection, and something across it.
int CGridCtrl::ReadyToInsert(const Axis& axis, int before, int lastBefore)
{
    if (before >= 0 && (before < axis.fixedCount || before > lastBefore))
        return -1;
    if (axis.count == INT_MAX)
        return -1;
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    if (axis.acrossCount < 1 && !(axis.rows ? SetColumnCount(1) : SetRowCount(1)))
        return -1;
    return before < 0 ? axis.count : before;
}

// After a row (column) went in at index and has its heading.
int CGridCtrl::Inserted(const Axis& axis, int index)
{
    if (axis.focus > index)
        ++axis.focus;
    ForgetTopLeft();
    ResetScrollBarsSoon();
    SetModified(true, -1, -1);
    return index;
}

int CGridCtrl::InsertRow(const wchar_t* heading, int before)
{
    const int index = ReadyToInsert(Rows(), before, m_rowCount - 1);
    if (index < 0)
        return -1;

    try {
        RoomForOneMore(m_rowHeights);
        if (m_virtualMode) {
            RoomForOneMore(m_rowOrder);
        } else {
            RoomForOneMore(m_rows);
            GridRow row(static_cast<size_t>(m_colCount), nullptr);
            if (!FillRow(row, index, RowClasses{}))
                return -1;
            m_rows.insert(m_rows.begin() + index, std::move(row));
        }
        m_rowHeights.insert(m_rowHeights.begin() + index, NewSize(true, MadeBy::kInsert));
    } catch (const std::exception& error) {
        ReportFailure(error);
        return -1;
    }
    ++m_rowCount;
    if (m_virtualMode)
        AdjustRowOrder(index, 1);

    const wchar_t* text = heading ? heading : L"";
    SetItemText(index, 0, text);
    if (*text) {
        if (CGridCellBase* cell = GetCell(index, 0))
            m_rowHeights[index] = cell->GetTextExtent(text).cy;
    }
    return Inserted(Rows(), index);
}

int CGridCtrl::InsertColumn(const wchar_t* heading, UINT format, int before)
{
    const int index = ReadyToInsert(Columns(), before, m_colCount);  // equal to the count appends
    if (index < 0)
        return -1;

    try {
        RoomForOneMore(m_colWidths);
        if (!m_virtualMode) {
            for (auto& row : m_rows)
                RoomForOneMore(row);
            if (!InsertColumnCells(index))
                return -1;
        }
        m_colWidths.insert(m_colWidths.begin() + index, NewSize(false, MadeBy::kInsert));
    } catch (const std::exception& error) {
        ReportFailure(error);
        return -1;
    }
    ++m_colCount;

    const wchar_t* text = heading ? heading : L"";
    SetItemText(0, index, text);
    for (int row = 0; row < m_rowCount; ++row)
        SetItemFormat(row, index, format);
    if (CGridCellBase* cell = GetCell(0, index))
        m_colWidths[index] = cell->GetTextExtent(text).cx;
    return Inserted(Columns(), index);
}

// After the cells of a row (column) at index have gone.
void CGridCtrl::Removed(const Axis& axis, int index)
{
    axis.sizes.erase(axis.sizes.begin() + index);
    --axis.count;
    if (index < axis.fixedCount)
        --axis.fixedCount;
    if (axis.focus == index)
        m_focus = GridCellId();
    else if (axis.focus > index)
        --axis.focus;
    ForgetTopLeft();
    ResetScrollBars();
    SetModified(true, -1, -1);
}

bool CGridCtrl::DeleteRow(int row)
{
    if (row < 0 || row >= m_rowCount)
        return false;
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    if (m_virtualMode) {
        AdjustRowOrder(row, -1);
    } else {
        for (int col = 0; col < m_colCount; ++col)
            DestroyCell(row, col);
        m_rows.erase(m_rows.begin() + row);
    }
    Removed(Rows(), row);
    return true;
}

bool CGridCtrl::DeleteColumn(int col)
{
    if (col < 0 || col >= m_colCount)
        return false;
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    if (!m_virtualMode) {
        for (int row = 0; row < m_rowCount; ++row) {
            DestroyCell(row, col);
            m_rows[row].erase(m_rows[row].begin() + col);
        }
    }
    Removed(Columns(), col);
    return true;
}

void CGridCtrl::DeleteAllCells()
{
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row)
        for (int col = 0; col < static_cast<int>(m_rows[row].size()); ++col)
            DestroyCell(row, col);
    std::vector<GridRow>().swap(m_rows);
}

bool CGridCtrl::DeleteAllItems()
{
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    std::vector<int>().swap(m_colWidths);
    std::vector<int>().swap(m_rowHeights);
    DeleteAllCells();
    std::vector<int>().swap(m_rowOrder);
    m_focus = GridCellId();
    m_rowCount = m_colCount = m_fixedRowCount = m_fixedColCount = 0;
    ForgetTopLeft();
    ResetScrollBars();
    SetModified(true, -1, -1);
    return true;
}

bool CGridCtrl::DeleteNonFixedRows()
{
    ResetSelectedRange();
    SetRowCount(m_fixedRowCount);
    if (m_virtualMode) {
        ResetRowOrder();
        m_focus = GridCellId();
    }
    return true;
}

void CGridCtrl::ResetRowOrder()
{
    m_rowOrder.resize(static_cast<size_t>(m_rowCount));
    for (int row = 0; row < m_rowCount; ++row)
        m_rowOrder[row] = row;
}

void CGridCtrl::AdjustRowOrder(int row, int count)
{
    // Keeps the logical-to-physical map in step: removed rows leave it, new
    // ones are numbered after the others.
    if (count > 0) {
        const int base = static_cast<int>(m_rowOrder.size());
        for (int i = 0; i < count; ++i)
            m_rowOrder.insert(m_rowOrder.begin() + std::min(row + i, static_cast<int>(m_rowOrder.size())), base + i);
    } else if (count < 0 && row >= 0 && row < static_cast<int>(m_rowOrder.size())) {
        const int removed = m_rowOrder[row];
        m_rowOrder.erase(m_rowOrder.begin() + row);
        for (int& physical : m_rowOrder)
            if (physical > removed)
                --physical;
    }
}

// --- sizes

namespace {

bool HasSize(const std::vector<int>& sizes, int count, int index)
{
    return index >= 0 && index < count && index < static_cast<int>(sizes.size());
}

int SizeOf(const std::vector<int>& sizes, int count, int index)
{
    return HasSize(sizes, count, index) ? sizes[index] : -1;
}

}  // namespace

int CGridCtrl::GetRowHeight(int row) const
{
    return SizeOf(m_rowHeights, m_rowCount, row);
}

int CGridCtrl::GetColumnWidth(int col) const
{
    return SizeOf(m_colWidths, m_colCount, col);
}

bool CGridCtrl::SetRowHeight(int row, int height)
{
    return SetSize(Rows(), row, height);
}

bool CGridCtrl::SetColumnWidth(int col, int width)
{
    return SetSize(Columns(), col, width);
}

bool CGridCtrl::SetSize(const Axis& axis, int index, int size)
{
    if (!HasSize(axis.sizes, axis.count, index) || size < 0)
        return false;
    const bool grows = index >= axis.fixedCount && size >= axis.sizes[index];
    axis.sizes[index] = size;
    ForgetTopLeft();
    if (grows)
        ResetScrollBarsSoon();
    else
        ResetScrollBars();
    return true;
}

bool CGridCtrl::AutoSizeColumn(int col, UINT flags, bool resetScroll)
{
    if (flags == 0)
        flags = m_autoSizeFlags;
    const int first = (flags & GridAutoSize::kHeader) ? 0 : m_fixedRowCount;
    const int last = (flags & GridAutoSize::kData) ? m_rowCount - 1 : m_fixedRowCount - 1;
    return AutoSize(Columns(), col, first, last, resetScroll);
}

bool CGridCtrl::AutoSizeRow(int row, bool resetScroll)
{
    return AutoSize(Rows(), row, 0, m_colCount - 1, resetScroll);
}

bool CGridCtrl::AutoSize(const Axis& axis, int index, int first, int last, bool resetScroll)
{
    if (SizeOf(axis.sizes, axis.count, index) <= 0)  // a hidden row or column stays hidden
        return false;
    if (!IsWindow())
        return false;
    fw::ClientDC dc(m_hwnd);
    if (!dc.Get())
        return false;
    // The font most cells measure in, selected once for all of them.
    const HFONT normalFont = m_defaultCells[0].GetFontObject();
    fw::SelectGuard font(dc.Get(), normalFont);
    ExtentMemo memo{normalFont, {}};
    struct Forget {
        ExtentMemo*& memo;
        ~Forget() { memo = nullptr; }
    } forget{m_extentMemo};
    if (!m_virtualMode)  // there one cell stands for all, its text changing from cell to cell
        m_extentMemo = &memo;
    int size = -1;
    for (int across = first; across <= last; ++across) {
        const GridCellId at = axis.Cell(index, across);
        if (CGridCellBase* cell = GetCell(at.row, at.col)) {
            const SIZE extent = cell->GetCellExtent(dc.Get());
            size = std::max(size, static_cast<int>(axis.rows ? extent.cy : extent.cx));
        }
    }
    if (size < 0)
        return false;  // nothing measured: the size stays
    SetSize(axis, index, size);
    if (resetScroll)
        ResetScrollBars();
    return true;
}

bool CGridCtrl::MeasuredBefore(HFONT font, const wchar_t* text, SIZE& extent) const
{
    if (!m_extentMemo || font != m_extentMemo->font)
        return false;
    const auto found = m_extentMemo->extents.find(text);
    if (found == m_extentMemo->extents.end())
        return false;
    extent = found->second;
    return true;
}

void CGridCtrl::Measured(HFONT font, const wchar_t* text, SIZE extent)
{
    if (!m_extentMemo || font != m_extentMemo->font)
        return;
    try {
        m_extentMemo->extents.emplace(text, extent);
    } catch (const std::bad_alloc&) {
        // not remembered: measured again when it comes up again
    }
}

void CGridCtrl::AutoSizeColumns(UINT flags)
{
    for (int col = 0; col < m_colCount; ++col)
        if (GetColumnWidth(col) > 0)
            AutoSizeColumn(col, flags, false);
    ResetScrollBars();
}
