// The grid's window class, its model (rows of cells, sizes, default cells),
// the cell operations and the notifications to the parent.
#include "GridCtrl.h"

#include <algorithm>
#include <new>
#include <numeric>

#include "GridCell.h"
#include "framework/App.h"
#include "framework/Gdi.h"

const fw::RuntimeClass CGridCtrl::Class = fw::RuntimeClass::Creatable<CGridCtrl>("CGridCtrl", &fw::WindowImpl::Class);

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols)
    : m_backColour(::GetSysColor(COLOR_BTNSHADOW)),
      m_windowTextColour(::GetSysColor(COLOR_WINDOWTEXT)),
      m_windowColour(::GetSysColor(COLOR_WINDOW)),
      m_faceColour(::GetSysColor(COLOR_BTNFACE)),
      m_shadowColour(::GetSysColor(COLOR_BTNSHADOW)),
      m_cellClass(&CGridCell::Class)
{
    RegisterWindowClass();
    for (int i = 0; i < 4; ++i) {
        m_defaultCells[i].SetGrid(this);
        m_defaultCells[i].SetTextColour(m_windowTextColour);
        m_defaultCells[i].SetBackColour(i == 0 ? m_windowColour : m_faceColour);
    }
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
}

CGridCtrl::~CGridCtrl()
{
    m_destroying = true;
    DeleteAllItems();  // the window goes with the object (fw::WindowImpl)
}

// --- creation

bool CGridCtrl::RegisterWindowClass()
{
    WNDCLASSW wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    // Windows of the class are subclassed by CGridCtrl once made, by code or from a template.
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kWindowClass;
    // The module owns the class: a plug-in's goes when its call ends.
    return fw::RegisterModuleClass(wc);
}

bool CGridCtrl::Create(const RECT& rect, HWND parent, UINT id, DWORD style)
{
    m_scrollBarsPosted = false;  // a new window: nothing is on its way to it
    if (!CreateEx(0, kWindowClass, L"", style, rect, parent, id))
        return false;
    try {
        m_rowHeights.assign(static_cast<size_t>(m_rowCount), m_defaultCells[0].GetHeight());
        m_colWidths.assign(static_cast<size_t>(m_colCount), m_defaultCells[0].GetWidth());
    } catch (const std::exception& error) {
        ReportFailure(error);
        DestroyWindow();
        return false;
    }
    ForgetTopLeft();
    ResetScrollBars();
    return true;
}

bool CGridCtrl::SubclassWindow(HWND handle)
{
    if (!fw::WindowImpl::SubclassWindow(handle))
        return false;
    m_scrollBarsPosted = false;
    // A template control has been sized before we saw it: make it size again.
    if (!m_inAttachResize) {
        m_inAttachResize = true;
        RECT rect = GetWindowRect();
        HWND parent = ::GetParent(handle);
        if (parent)
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE;
        ::SetWindowPos(handle, nullptr, 0, 0, rect.right - rect.left + 1, rect.bottom - rect.top + 1, flags);
        ::SetWindowPos(handle, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, flags);
        m_inAttachResize = false;
    }
    return true;
}

bool CGridCtrl::SubclassDlgItem(UINT id, HWND parent)
{
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

void CGridCtrl::ReportFailure(const std::exception& error) const
{
    fw::ReportException(error, m_hwnd);
}

void CGridCtrl::ReportMemoryFailure() const
{
    ReportFailure(std::bad_alloc());
}

// --- dimensions

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

// --- cells

bool CGridCtrl::IsValid(const GridCellRange& range) const
{
    return range.minRow >= 0 && range.minCol >= 0 && range.maxRow >= 0 && range.maxCol >= 0 &&
           range.maxRow < m_rowCount && range.maxCol < m_colCount && range.minRow <= range.maxRow &&
           range.minCol <= range.maxCol;
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol)
{
    if (fixedRow && fixedCol)
        return &m_defaultCells[3];
    if (fixedRow)
        return &m_defaultCells[2];
    if (fixedCol)
        return &m_defaultCells[1];
    return &m_defaultCells[0];
}

CGridCellBase* CGridCtrl::GetCell(int row, int col)
{
    if (!IsValid(row, col))
        return nullptr;
    if (!m_virtualMode) {
        if (row >= static_cast<int>(m_rows.size()) || !m_rows[row] || col >= static_cast<int>(m_rows[row]->size()))
            return nullptr;
        return (*m_rows[row])[col];
    }
    if (m_destroying)
        return nullptr;

    // Virtual mode: one scratch cell, filled from the default cell and then by the application.
    if (!m_scratchCell || m_scratchCell->GetRuntimeClass() != m_cellClass)
        m_scratchCell.reset(static_cast<CGridCellBase*>(m_cellClass->CreateObject()));
    CGridCellBase* cell = m_scratchCell.get();
    if (!cell)
        return nullptr;
    FillVirtualCell(*cell, row, col, PhysicalRow(row));
    return cell;
}

int CGridCtrl::PhysicalRow(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rowOrder.size()) ? m_rowOrder[row] : row;
}

void CGridCtrl::FillVirtualCell(CGridCellBase& target, int row, int col, int physicalRow)
{
    CGridCellBase* cell = &target;
    cell->Reset();
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    UINT state = 0;
    if (m_selected.count(SelectionKey(row, col)))
        state |= GridState::kSelected;
    if (row < m_fixedRowCount)
        state |= GridState::kFixed | GridState::kFixedRow;
    if (col < m_fixedColCount)
        state |= GridState::kFixed | GridState::kFixedCol;
    if (m_focus == GridCellId(row, col))
        state |= GridState::kFocused;
    CGridDefaultCell* defaults = GetDefaultCell(row < m_fixedRowCount, col < m_fixedColCount);

    GridDisplayInfo info{};
    info.row = physicalRow;
    info.column = col < static_cast<int>(m_colOrder.size()) ? m_colOrder[col] : col;
    info.mask = 0xFFFFFFFF;
    info.state = state;
    info.format = defaults->GetFormat();
    info.image = defaults->GetImage();
    info.backColour = defaults->GetBackColour();
    info.textColour = defaults->GetTextColour();
    info.data = 0;
    if (const LOGFONTW* font = defaults->GetFont())
        info.font = *font;
    info.margin = defaults->GetMargin();
    if (m_displayCallback)
        m_displayCallback(&info, m_displayUser);
    else
        SendDisplayRequest(&info);

    cell->SetState(info.state);
    cell->SetFormat(info.format);
    cell->SetImage(info.image);
    cell->SetBackColour(info.backColour);
    cell->SetTextColour(info.textColour);
    cell->SetData(info.data);
    cell->SetFont(&info.font);
    cell->SetMargin(info.margin);
    cell->SetText(info.text.c_str());
}

CGridCellBase* CGridCtrl::CreateCell(int row, int col)
{
    if (!m_cellClass || !m_cellClass->IsDerivedFrom(&CGridCellBase::Class))
        return nullptr;
    auto* cell = static_cast<CGridCellBase*>(m_cellClass->CreateObject());
    if (!cell)
        return nullptr;
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    if (col < m_fixedColCount)
        cell->SetState(cell->GetState() | GridState::kFixed | GridState::kFixedCol);
    if (row < m_fixedRowCount)
        cell->SetState(cell->GetState() | GridState::kFixed | GridState::kFixedRow);
    if (CGridDefaultCell* defaults = cell->GetDefaultCell())
        cell->SetFormat(defaults->GetFormat());
    return cell;
}

void CGridCtrl::DestroyCell(int row, int col)
{
    m_selected.erase(SelectionKey(row, col));
    if (row < static_cast<int>(m_rows.size()) && m_rows[row] && col < static_cast<int>(m_rows[row]->size())) {
        delete (*m_rows[row])[col];
        (*m_rows[row])[col] = nullptr;
    }
}

bool CGridCtrl::SetCellType(int row, int col, const fw::RuntimeClass* cellClass)
{
    if (m_virtualMode || !IsValid(row, col) || !cellClass || !cellClass->IsDerivedFrom(&CGridCellBase::Class))
        return false;
    CGridCellBase* old = GetCell(row, col);
    auto* cell = static_cast<CGridCellBase*>(cellClass->CreateObject());
    if (!cell)
        return false;
    if (old)
        cell->CopyFrom(*old);
    else
        cell->SetGrid(this);
    cell->SetCoords(row, col);
    (*m_rows[row])[col] = cell;
    delete old;
    return true;
}

bool CGridCtrl::SetDefaultCellType(const fw::RuntimeClass* cellClass)
{
    // Only classes the grid can make: derived from the base and not abstract.
    if (!cellClass || !cellClass->IsDerivedFrom(&CGridCellBase::Class) || !cellClass->create)
        return false;
    m_cellClass = cellClass;
    return true;
}

bool CGridCtrl::SetItemText(int row, int col, const wchar_t* text)
{
    if (m_virtualMode)
        return false;
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    cell->SetText(text);
    SetModified(true, row, col);
    return true;
}

fw::WString CGridCtrl::GetItemText(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? fw::WString(cell->GetText()) : fw::WString();
}

bool CGridCtrl::SetItemState(int row, int col, UINT state)
{
    if (!IsValid(row, col))
        return false;
    const uint64_t key = SelectionKey(row, col);
    if (m_virtualMode) {
        // No cells to keep the flag: the map is the selection.
        try {
            if (state & GridState::kSelected)
                m_selected.emplace(key, GridCellId(row, col));
            else
                m_selected.erase(key);
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    const bool was = (cell->GetState() & GridState::kSelected) != 0;
    const bool now = (state & GridState::kSelected) != 0;
    if (was != now) {
        try {
            if (now)
                m_selected.emplace(key, GridCellId(row, col));
            else
                m_selected.erase(key);
        } catch (const std::exception&) {
            return false;
        }
    }
    cell->SetState(state);
    return true;
}

UINT CGridCtrl::GetItemState(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

bool CGridCtrl::SetItemData(int row, int col, LPARAM data)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetData(data); });
}

LPARAM CGridCtrl::GetItemData(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetData() : 0;
}

bool CGridCtrl::SetItemImage(int row, int col, int image)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetImage(image); });
}

int CGridCtrl::GetItemImage(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetImage() : -1;
}

bool CGridCtrl::SetItemFormat(int row, int col, UINT format)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetFormat(format); });
}

UINT CGridCtrl::GetItemFormat(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFormat() : 0;
}

bool CGridCtrl::SetItemTextColour(int row, int col, COLORREF colour)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetTextColour(colour); });
}

COLORREF CGridCtrl::GetItemTextColour(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetTextColour() : 0;
}

bool CGridCtrl::SetItemBackColour(int row, int col, COLORREF colour)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetBackColour(colour); });
}

COLORREF CGridCtrl::GetItemBackColour(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetBackColour() : 0;
}

bool CGridCtrl::SetItemFont(int row, int col, const LOGFONTW* font)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetFont(font); });
}

const LOGFONTW* CGridCtrl::GetItemFont(int row, int col) const
{
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFont() : nullptr;
}

void CGridCtrl::SetModified(bool modified, int row, int col)
{
    // A change of the whole grid or of the sorted column drops the sort,
    // also one by a column that the grid does not have.
    if (col < 0 || col == m_sortColumn) {
        const int old = m_sortColumn;
        m_sortColumn = -1;
        if (old >= 0)
            RedrawCell(0, old);
    }
    if (row < 0 || col < 0) {
        m_modified = modified;
    } else if (!m_virtualMode) {
        CGridCellBase* cell = GetCell(row, col);
        if (!cell)
            return;
        if (modified) {
            cell->SetState(cell->GetState() | GridState::kModified);
            m_modified = true;
            return;
        }
        cell->SetState(cell->GetState() & ~GridState::kModified);
    }
    if (!m_modified && !m_virtualMode) {
        for (auto& cells : m_rows)
            for (CGridCellBase* cell : *cells)
                if (cell)
                    cell->SetState(cell->GetState() & ~GridState::kModified);
    }
}

bool CGridCtrl::GetModified(int row, int col) const
{
    if (row < 0 || col < 0)
        return m_modified;
    return (GetItemState(row, col) & GridState::kModified) != 0;
}

bool CGridCtrl::IsCellEditable(int row, int col) const
{
    return m_editable && IsValid(row, col) && !(GetItemState(row, col) & GridState::kReadOnly);
}

GridCellId CGridCtrl::GetNextItem(const GridCellId& start, UINT flags) const
{
    const UINT wanted = flags & 0xFF;
    auto matches = [&](int row, int col) { return (GetItemState(row, col) & wanted) == wanted; };
    if (flags & kSearchAbove) {
        for (int row = start.row - 1; row >= 0; --row)
            if (IsValid(row, start.col) && matches(row, start.col))
                return GridCellId(row, start.col);
    } else if (flags & kSearchBelow) {
        for (int row = std::max(start.row + 1, 0); row < m_rowCount; ++row)
            if (IsValid(row, start.col) && matches(row, start.col))
                return GridCellId(row, start.col);
    } else if (flags & kSearchLeft) {
        for (int col = start.col - 1; col >= 0; --col)
            if (IsValid(start.row, col) && matches(start.row, col))
                return GridCellId(start.row, col);
    } else if (flags & kSearchRight) {
        for (int col = std::max(start.col + 1, 0); col < m_colCount; ++col)
            if (IsValid(start.row, col) && matches(start.row, col))
                return GridCellId(start.row, col);
    } else {
        int row = std::max(start.row, 0);
        int col = start.row < 0 ? 0 : start.col + 1;
        for (; row < m_rowCount; ++row, col = 0)
            for (; col < m_colCount; ++col)
                if (matches(row, col))
                    return GridCellId(row, col);
    }
    return GridCellId();
}

bool CGridCtrl::SetItemTextAsEdited(int row, int col, const wchar_t* text)
{
    if (m_virtualMode || !IsValid(row, col))
        return false;
    if (SendNotification(row, col, LVN_BEGINLABELEDITW) < 0)
        return false;
    const fw::WString old = GetItemText(row, col);
    SetItemText(row, col, text);
    if (SendNotification(row, col, LVN_ENDLABELEDITW) < 0) {
        SetItemText(row, col, old.c_str());
        return false;
    }
    RedrawCell(row, col);
    return true;
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

// --- options

void CGridCtrl::SetRedraw(bool allow, bool resetScrollBars)
{
    m_allowDraw = allow;
    if (allow) {
        // Changes made while redraw was off reach the bars now, all at once.
        if (resetScrollBars || m_scrollBarsDue)
            ResetScrollBars();
        if (IsWindow())
            Invalidate();
    }
}

void CGridCtrl::SetVirtualMode(bool virtualMode)
{
    DeleteAllItems();
    m_virtualMode = virtualMode;
    if (virtualMode) {
        m_autoSizeFlags = GridAutoSize::kHeader;
        m_editable = false;
        m_fixedRowClickSelectsCol = false;
        m_fixedColClickSelectsRow = false;
    }
}

// --- parent

HWND CGridCtrl::NotifyTarget() const
{
    return m_owner ? m_owner : ::GetParent(m_hwnd);
}

LRESULT CGridCtrl::SendNotification(int row, int col, int code) const
{
    if (!IsWindow())
        return 0;
    HWND target = NotifyTarget();
    if (!target || !::IsWindow(target))
        return 0;
    GridNotification notification{};
    notification.hdr.hwndFrom = m_hwnd;
    notification.hdr.idFrom = static_cast<UINT_PTR>(GetId());
    notification.hdr.code = static_cast<UINT>(code);
    notification.row = row;
    notification.column = col;
    return ::SendMessageW(target, WM_NOTIFY, notification.hdr.idFrom, reinterpret_cast<LPARAM>(&notification));
}

LRESULT CGridCtrl::SendDisplayRequest(GridDisplayInfo* info) const
{
    if (!IsWindow())
        return 0;
    HWND target = NotifyTarget();
    if (!target || !::IsWindow(target))
        return 0;
    info->hdr.hwndFrom = m_hwnd;
    info->hdr.idFrom = static_cast<UINT_PTR>(GetId());
    info->hdr.code = static_cast<UINT>(LVN_GETDISPINFOW);
    return ::SendMessageW(target, WM_NOTIFY, info->hdr.idFrom, reinterpret_cast<LPARAM>(info));
}
