// The grid's rows and columns: counts and fixed counts, inserts and deletes,
// the row order of virtual mode, sizes and auto-size.
#include "GridCtrl.h"

#include <algorithm>
#include <numeric>

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

}  // namespace

// --- counts

bool CGridCtrl::FillRow(GridRow& row, int rowIndex, int firstCol)
{
    for (int col = firstCol; col < static_cast<int>(row.size()); ++col) {
        row[col] = CreateCell(rowIndex, col);
        if (!row[col]) {
            for (int made = firstCol; made < col; ++made) {
                delete row[made];
                row[made] = nullptr;
            }
            return false;
        }
    }
    return true;
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
        if (!result)
            ReportMemoryFailure();  // a cell could not be made
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

bool CGridCtrl::GrowRows(int rows)
{
    // Room first, so that adding a finished row cannot fail half-way.
    m_rows.reserve(static_cast<size_t>(rows));
    m_rowHeights.reserve(static_cast<size_t>(rows));
    const int height = m_defaultCells[0].GetHeight();
    while (m_rowCount < rows) {
        auto row = std::make_unique<GridRow>(static_cast<size_t>(m_colCount), nullptr);
        if (!FillRow(*row, m_rowCount, 0))
            return false;
        m_rows.push_back(std::move(row));
        m_rowHeights.push_back(height);
        ++m_rowCount;
    }
    return true;
}

bool CGridCtrl::SetRowCount(int rows)
{
    return SetCount(Rows(), rows, [&] {
        if (m_virtualMode) {
            m_rowHeights.resize(static_cast<size_t>(rows), m_defaultCells[0].GetHeight());
            m_rowCount = rows;
            ResetRowOrder();
            return true;
        }
        if (rows > m_rowCount)
            return GrowRows(rows);
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
            row->reserve(static_cast<size_t>(cols));
    const int width = m_defaultCells[1].GetWidth();
    // One column at a time, so that a failure leaves whole columns.
    while (m_colCount < cols) {
        if (!m_virtualMode) {
            for (int row = 0; row < m_rowCount; ++row) {
                CGridCellBase* cell = CreateCell(row, m_colCount);
                if (!cell) {
                    for (int undo = 0; undo < row; ++undo) {
                        delete m_rows[undo]->back();
                        m_rows[undo]->pop_back();
                    }
                    return false;
                }
                m_rows[row]->push_back(cell);
            }
        }
        m_colWidths.push_back(width);
        ++m_colCount;
    }
    return true;
}

bool CGridCtrl::SetColumnCount(int cols)
{
    return SetCount(Columns(), cols, [&] {
        bool grown = true;
        if (cols > m_colCount) {
            grown = GrowColumns(cols);
        } else {
            if (!m_virtualMode) {
                for (int row = 0; row < m_rowCount; ++row) {
                    for (int col = cols; col < m_colCount; ++col)
                        DestroyCell(row, col);
                    m_rows[row]->resize(static_cast<size_t>(cols));
                }
            }
            m_colWidths.resize(static_cast<size_t>(cols));
            m_colCount = cols;
        }
        return ResetColumnOrder() && grown;
    });
}

bool CGridCtrl::ResetColumnOrder()
{
    try {
        m_colOrder.resize(static_cast<size_t>(m_colCount));
    } catch (const std::exception&) {
        m_colOrder.clear();  // an empty order reads as the identity
        return false;
    }
    std::iota(m_colOrder.begin(), m_colOrder.end(), 0);
    return true;
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

// Before a row (column) goes in: room in the count, no selection, and
// something across it.
bool CGridCtrl::ReadyToInsert(const Axis& axis)
{
    if (axis.count == INT_MAX)
        return false;
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    return axis.acrossCount >= 1 || (axis.rows ? SetColumnCount(1) : SetRowCount(1));
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
    if (before >= 0 && (before < m_fixedRowCount || before >= m_rowCount))
        return -1;
    if (!ReadyToInsert(Rows()))
        return -1;
    const int index = before < 0 ? m_rowCount : before;

    try {
        RoomForOneMore(m_rowHeights);
        if (m_virtualMode) {
            RoomForOneMore(m_rowOrder);
        } else {
            RoomForOneMore(m_rows);
            auto row = std::make_unique<GridRow>(static_cast<size_t>(m_colCount), nullptr);
            if (!FillRow(*row, index, 0)) {
                ReportMemoryFailure();
                return -1;
            }
            m_rows.insert(m_rows.begin() + index, std::move(row));
        }
        m_rowHeights.insert(m_rowHeights.begin() + index, m_defaultCells[2].GetHeight());
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
    if (before >= 0 && (before < m_fixedColCount || before > m_colCount))
        return -1;
    if (!ReadyToInsert(Columns()))
        return -1;
    const int index = before < 0 ? m_colCount : before;

    try {
        RoomForOneMore(m_colWidths);
        RoomForOneMore(m_colOrder);
        if (!m_virtualMode) {
            std::vector<CGridCellBase*> made(static_cast<size_t>(m_rowCount), nullptr);
            for (auto& row : m_rows)
                RoomForOneMore(*row);
            for (int row = 0; row < m_rowCount; ++row) {
                made[row] = CreateCell(row, index);
                if (!made[row]) {
                    for (CGridCellBase* cell : made)
                        delete cell;
                    ReportMemoryFailure();
                    return -1;
                }
            }
            for (int row = 0; row < m_rowCount; ++row)
                m_rows[row]->insert(m_rows[row]->begin() + index, made[row]);
        }
        m_colWidths.insert(m_colWidths.begin() + index, m_defaultCells[1].GetWidth());
    } catch (const std::exception& error) {
        ReportFailure(error);
        return -1;
    }
    ++m_colCount;
    ResetColumnOrder();  // capacity reserved above

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
            m_rows[row]->erase(m_rows[row]->begin() + col);
        }
    }
    Removed(Columns(), col);
    ResetColumnOrder();  // smaller: cannot fail
    return true;
}

void CGridCtrl::DeleteAllCells()
{
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row)
        for (int col = 0; col < static_cast<int>(m_rows[row]->size()); ++col)
            DestroyCell(row, col);
    std::vector<std::unique_ptr<GridRow>>().swap(m_rows);
}

bool CGridCtrl::DeleteAllItems()
{
    EndEditBeforeCellsMove();
    ResetSelectedRange();
    std::vector<int>().swap(m_colWidths);
    std::vector<int>().swap(m_rowHeights);
    DeleteAllCells();
    std::vector<int>().swap(m_rowOrder);
    std::vector<int>().swap(m_colOrder);
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

int CGridCtrl::GetRowHeight(int row) const
{
    if (row < 0 || row >= m_rowCount || row >= static_cast<int>(m_rowHeights.size()))
        return -1;
    return m_rowHeights[row];
}

int CGridCtrl::GetColumnWidth(int col) const
{
    if (col < 0 || col >= m_colCount)
        return -1;
    const int physical = col < static_cast<int>(m_colOrder.size()) ? m_colOrder[col] : col;
    if (physical < 0 || physical >= static_cast<int>(m_colWidths.size()))
        return -1;
    return m_colWidths[physical];
}

bool CGridCtrl::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= m_rowCount || height < 0 || row >= static_cast<int>(m_rowHeights.size()))
        return false;
    const bool grows = row >= m_fixedRowCount && height >= m_rowHeights[row];
    m_rowHeights[row] = height;
    ForgetTopLeft();
    if (grows)
        ResetScrollBarsSoon();
    else
        ResetScrollBars();
    return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= m_colCount || width < 0)
        return false;
    const int physical = col < static_cast<int>(m_colOrder.size()) ? m_colOrder[col] : col;
    if (physical < 0 || physical >= static_cast<int>(m_colWidths.size()))
        return false;
    const bool grows = col >= m_fixedColCount && width >= m_colWidths[physical];
    m_colWidths[physical] = width;
    ForgetTopLeft();
    if (grows)
        ResetScrollBarsSoon();
    else
        ResetScrollBars();
    return true;
}

bool CGridCtrl::AutoSizeColumn(int col, UINT flags, bool resetScroll)
{
    if (col < 0 || col >= m_colCount || GetColumnWidth(col) <= 0)  // a hidden column stays hidden
        return false;
    if (!IsWindow())
        return false;
    fw::ClientDC dc(m_hwnd);
    if (!dc.Get())
        return false;
    if (flags == 0)
        flags = m_autoSizeFlags;
    const int first = (flags & GridAutoSize::kHeader) ? 0 : m_fixedRowCount;
    const int last = (flags & GridAutoSize::kData) ? m_rowCount - 1 : m_fixedRowCount - 1;
    int width = -1;
    for (int row = first; row <= last; ++row)
        if (CGridCellBase* cell = GetCell(row, col))
            width = std::max(width, static_cast<int>(cell->GetCellExtent(dc.Get()).cx));
    if (width < 0)
        return false;  // no row measured: the width stays
    SetColumnWidth(col, width);
    if (resetScroll)
        ResetScrollBars();
    return true;
}

bool CGridCtrl::AutoSizeRow(int row, bool resetScroll)
{
    if (row < 0 || row >= m_rowCount || GetRowHeight(row) <= 0)  // a hidden row stays hidden
        return false;
    if (!IsWindow())
        return false;
    fw::ClientDC dc(m_hwnd);
    if (!dc.Get())
        return false;
    int height = -1;
    for (int col = 0; col < m_colCount; ++col)
        if (CGridCellBase* cell = GetCell(row, col))
            height = std::max(height, static_cast<int>(cell->GetCellExtent(dc.Get()).cy));
    if (height < 0)
        return false;
    m_rowHeights[row] = height;
    ForgetTopLeft();
    if (resetScroll)
        ResetScrollBars();
    return true;
}

void CGridCtrl::AutoSizeColumns(UINT flags)
{
    for (int col = 0; col < m_colCount; ++col)
        if (GetColumnWidth(col) > 0)
            AutoSizeColumn(col, flags, false);
    ResetScrollBars();
}
