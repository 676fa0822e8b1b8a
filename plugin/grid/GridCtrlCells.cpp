// The grid's cells: access (stored, or filled for the request in virtual
// mode), creation and types, their texts, states and other properties, the
// modified flags and the search for a cell by its state.
#include "GridCtrl.h"

#include <algorithm>

namespace {

// A property of the cell, or none without one.
template <class Value, class None>
Value Property(const CGridCellBase* cell, Value (CGridCellBase::*get)() const, None none)
{
    return cell ? (cell->*get)() : Value(none);
}

}  // namespace

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
        if (row >= static_cast<int>(m_rows.size()) || col >= static_cast<int>(m_rows[row].size()))
            return nullptr;
        return m_rows[row][col];
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
    info.column = col;
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
    return CreateCellOf(m_cellClass, row, col);
}

bool CGridCtrl::MakesCells(const fw::RuntimeClass* cellClass)
{
    // Derived from the base and not abstract.
    return cellClass && cellClass->IsDerivedFrom(&CGridCellBase::Class) && cellClass->create;
}

CGridCellBase* CGridCtrl::CreateCellOf(const fw::RuntimeClass* cellClass, int row, int col)
{
    if (!MakesCells(cellClass))
        return nullptr;
    auto* cell = static_cast<CGridCellBase*>(cellClass->CreateObject());
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
    if (!m_selected.empty())
        m_selected.erase(SelectionKey(row, col));
    if (row < static_cast<int>(m_rows.size()) && col < static_cast<int>(m_rows[row].size())) {
        delete m_rows[row][col];
        m_rows[row][col] = nullptr;
    }
}

bool CGridCtrl::SetCellType(int row, int col, const fw::RuntimeClass* cellClass)
{
    if (m_virtualMode || !IsValid(row, col) || !MakesCells(cellClass))
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
    m_rows[row][col] = cell;
    delete old;
    return true;
}

bool CGridCtrl::SetDefaultCellType(const fw::RuntimeClass* cellClass)
{
    if (!MakesCells(cellClass))
        return false;
    m_cellClass = cellClass;
    return true;
}

// --- properties

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
    // In virtual mode there are no cells to keep the flag: the map is the selection.
    CGridCellBase* cell = m_virtualMode ? nullptr : GetCell(row, col);
    if (!m_virtualMode && !cell)
        return false;
    const bool selected = (state & GridState::kSelected) != 0;
    const bool changes = !cell || ((cell->GetState() & GridState::kSelected) != 0) != selected;
    if (changes && !KeepSelection(row, col, selected))
        return false;
    if (cell)
        cell->SetState(state);
    return true;
}

bool CGridCtrl::KeepSelection(int row, int col, bool selected)
{
    try {
        if (selected)
            m_selected.emplace(SelectionKey(row, col), GridCellId(row, col));
        else
            m_selected.erase(SelectionKey(row, col));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

UINT CGridCtrl::GetItemState(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetState, 0);
}

bool CGridCtrl::SetItemData(int row, int col, LPARAM data)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetData(data); });
}

LPARAM CGridCtrl::GetItemData(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetData, 0);
}

bool CGridCtrl::SetItemImage(int row, int col, int image)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetImage(image); });
}

int CGridCtrl::GetItemImage(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetImage, -1);
}

bool CGridCtrl::SetItemFormat(int row, int col, UINT format)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetFormat(format); });
}

UINT CGridCtrl::GetItemFormat(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetFormat, 0);
}

bool CGridCtrl::SetItemTextColour(int row, int col, COLORREF colour)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetTextColour(colour); });
}

COLORREF CGridCtrl::GetItemTextColour(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetTextColour, 0);
}

bool CGridCtrl::SetItemBackColour(int row, int col, COLORREF colour)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetBackColour(colour); });
}

COLORREF CGridCtrl::GetItemBackColour(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetBackColour, 0);
}

bool CGridCtrl::SetItemFont(int row, int col, const LOGFONTW* font)
{
    return WithStoredCell(row, col, [&](CGridCellBase& cell) { cell.SetFont(font); });
}

const LOGFONTW* CGridCtrl::GetItemFont(int row, int col) const
{
    return Property(GetCell(row, col), &CGridCellBase::GetFont, nullptr);
}

// --- modified, editable, search

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
            for (CGridCellBase* cell : cells)
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
    // A direction: along start's column (above, below) or row (left, right), from the cell next to it.
    const int rowStep = (flags & kSearchAbove) ? -1 : (flags & kSearchBelow) ? 1 : 0;
    const int colStep = rowStep ? 0 : (flags & kSearchLeft) ? -1 : (flags & kSearchRight) ? 1 : 0;
    if (rowStep || colStep) {
        auto from = [](int index, int step, int count) {
            return step > 0 ? std::max(index + 1, 0) : step < 0 ? std::min(index - 1, count - 1) : index;
        };
        int row = from(start.row, rowStep, m_rowCount);
        int col = from(start.col, colStep, m_colCount);
        for (; IsValid(row, col); row += rowStep, col += colStep)
            if (matches(row, col))
                return GridCellId(row, col);
        return GridCellId();
    }
    // None: row by row to the end.
    int row = std::max(start.row, 0);
    int col = start.row < 0 ? 0 : start.col + 1;
    for (; row < m_rowCount; ++row, col = 0)
        for (; col < m_colCount; ++col)
            if (matches(row, col))
                return GridCellId(row, col);
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
