// The grid: random operations on a real grid window, each followed by a
// check against a model of what the grid must then hold, kept by the grid's
// rules rather than its code: counts, fixed counts, texts, cell classes,
// check states, state flags, focus, the selection (with the selection a
// control-click keeps), row heights and column widths (new ones measured in
// the cells' font), the sort column, and virtual mode with its row order.
// A sort is checked by the comparison and by the rows it moved, whatever
// order it chose among equal ones. The input is the script of operations.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Fuzz.h"
#include "GridCell.h"
#include "GridCellCheck.h"
#include "GridCellCombo.h"
#include "GridCellDateTime.h"
#include "GridCellNumeric.h"
#include "GridCtrl.h"
#include "GridURLCell.h"
#include "framework/Gdi.h"
#include "framework/LocalTime.h"
#include "support/Process.h"

namespace {

using fuzz::Bytes;

// Large counts along one axis, while a script stays short enough for
// thousands of them in a test run.
constexpr int kMaxCells = 800;
constexpr int kMaxCount = 400;
constexpr int kMaxSteps = 32;
// Beyond this many cells a step checks a sample of the rows, the last step all.
constexpr int kFullCheckCells = 400;

enum class Kind : uint8_t { kText, kCheck, kCombo, kDateTime, kNumeric, kUrl };
constexpr int kKinds = 6;

const fw::RuntimeClass* ClassOf(Kind kind)
{
    static const fw::RuntimeClass* const classes[kKinds] = {&CGridCell::Class,         &CGridCellCheck::Class,
                                                            &CGridCellCombo::Class,    &CGridCellDateTime::Class,
                                                            &CGridCellNumeric::Class, &CGridURLCell::Class};
    return classes[static_cast<int>(kind)];
}

// What the default cells measure in the system font they start with, and the
// single-line text extent of a cell: the text's extent and a margin (the
// width of a blank) on every side.
struct FontSizes {
    int margin = 0;
    int width = 0;   // of a default cell: " XXXXXXXXXXXX "
    int height = 0;  // its height times 3 / 2
    fw::Font font;

    FontSizes()
    {
        LOGFONTW logFont{};
        ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof logFont, &logFont);
        font = fw::Font(::CreateFontIndirectW(&logFont));
        margin = Extent(L" ").cx;
        const SIZE sample = Extent(L" XXXXXXXXXXXX ");
        width = sample.cx;
        height = sample.cy * 3 / 2;
    }
    SIZE Extent(const std::wstring& text) const
    {
        SIZE size{};
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font.Get());
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        return size;
    }
    SIZE CellTextExtent(const std::wstring& text) const
    {
        const SIZE size = Extent(text);
        return SIZE{size.cx + 2 * margin, size.cy + 2 * margin};
    }
};

const FontSizes& Sizes()
{
    static const FontSizes sizes;
    return sizes;
}

// Virtual mode: the application's cells, by physical row; the row's number
// comes back as the cell's data, so that the row order can be read.
std::wstring VirtualText(int physicalRow, int col)
{
    static const wchar_t* const texts[] = {L"b", L"a", L"ab", L"10", L"9", L"", L"数据", L"-3"};
    return texts[static_cast<unsigned>(physicalRow * 5 + col * 3 + physicalRow / 3) % 8];
}

BOOL FillVirtualCell(GridDisplayInfo* info, LPARAM)
{
    info->text = VirtualText(info->row, info->column).c_str();
    info->data = info->row;
    return TRUE;
}

struct ModelCell {
    std::wstring text;
    Kind kind = Kind::kText;
    bool checked = false;
};

using CellSet = std::set<std::pair<int, int>>;

// One axis of the grid: rows or columns.
struct Axis {
    int count = 0;
    int fixed = 0;
    std::vector<int> sizes;
};

// What the grid must hold, changed by each operation as the grid's rules say.
struct Model {
    Axis axes[2];  // rows, columns
    std::vector<std::vector<ModelCell>> cells;  // [row][col]; none in virtual mode
    CellSet selected;  // the selected-cell map
    CellSet previous;  // the selection kept by a control-click
    GridCellId focus;
    GridCellId selectionStart;
    int sortColumn = -1;
    Kind defaultKind = Kind::kText;
    bool selectable = true;
    bool fixedColsSelectable = false;
    bool listMode = false;
    bool singleRow = false;
    bool singleCol = false;
    bool editable = true;
    bool virtualMode = false;
    std::vector<int> order;  // virtual mode: logical to physical rows
    bool orderKnown = true;  // false: the grid's to tell once it has a column

    Axis& Along(bool rows) { return axes[rows ? 0 : 1]; }
    const Axis& Along(bool rows) const { return axes[rows ? 0 : 1]; }
    int Rows() const { return axes[0].count; }
    int Cols() const { return axes[1].count; }
    int FixedRows() const { return axes[0].fixed; }
    int FixedCols() const { return axes[1].fixed; }
    static int& At(GridCellId& cell, bool rows) { return rows ? cell.row : cell.col; }
    bool Valid(int row, int col) const { return row >= 0 && row < Rows() && col >= 0 && col < Cols(); }
    bool Valid(const GridCellId& cell) const { return Valid(cell.row, cell.col); }
    bool Fixed(int row, int col) const { return row < FixedRows() || col < FixedCols(); }
    bool SingleRowSelection() const { return listMode && singleRow; }
    bool IsSelected(int row, int col) const { return selectable && selected.count({row, col}) > 0; }
    std::wstring Text(int row, int col) const
    {
        return virtualMode ? VirtualText(row < static_cast<int>(order.size()) ? order[row] : row, col)
                           : cells[row][col].text;
    }
    Kind KindOf(int row, int col) const { return virtualMode ? defaultKind : cells[row][col].kind; }
    ModelCell NewCell() const
    {
        ModelCell cell;
        cell.kind = defaultKind;
        return cell;
    }
    // A change of the whole grid (col < 0) or of the sorted column drops the sort.
    void SetModified(int col)
    {
        if (col < 0 || col == sortColumn)
            sortColumn = -1;
    }
    // Cells that go leave the selection; virtual mode has none to go.
    void ForgetCellsBeyond(int rows, int cols)
    {
        if (virtualMode)
            return;
        for (auto it = selected.begin(); it != selected.end();)
            it = it->first >= rows || it->second >= cols ? selected.erase(it) : std::next(it);
    }

    // --- dimensions, rows and columns alike
    bool SetCount(bool rows, int n)
    {
        Axis& axis = Along(rows);
        if (n == axis.count)
            return true;
        if (n < 0)
            return false;
        axis.fixed = std::min(axis.fixed, n);
        if (At(focus, rows) >= n)
            focus = GridCellId();
        if (!virtualMode) {
            if (rows)
                cells.resize(n, std::vector<ModelCell>(Cols(), NewCell()));
            else
                for (auto& row : cells)
                    row.resize(n, NewCell());
        }
        // New rows are as high as the normal default cell, new columns as wide as the fixed-column one.
        axis.sizes.resize(n, rows ? Sizes().height : Sizes().width);
        axis.count = n;
        ForgetCellsBeyond(Rows(), Cols());
        if (virtualMode && rows) {
            order.resize(n);
            for (int i = 0; i < n; ++i)
                order[i] = i;
            orderKnown = true;
        }
        SetModified(-1);
        return true;
    }
    bool SetFixedCount(bool rows, int n)
    {
        Axis& axis = Along(rows);
        if (n == axis.fixed)
            return true;
        if (n < 0)
            return false;
        ResetSelection();
        if (n > axis.count)
            SetCount(rows, n);
        axis.fixed = n;
        return true;
    }
    // The new index, or -1; the caller reads the row order a virtual insert made.
    int Insert(bool rows, const std::wstring& text, int before)
    {
        Axis& axis = Along(rows);
        // A row goes before a non-fixed row; a column also after the last.
        if (before >= 0 && (before < axis.fixed || before > axis.count - (rows ? 1 : 0)))
            return -1;
        ResetSelection();
        if (Along(!rows).count == 0)
            SetCount(!rows, 1);
        const int index = before < 0 ? axis.count : before;
        if (!virtualMode) {
            if (rows)
                cells.insert(cells.begin() + index, std::vector<ModelCell>(Cols(), NewCell()));
            else
                for (auto& row : cells)
                    row.insert(row.begin() + index, NewCell());
            (rows ? cells[index][0] : cells[0][index]).text = text;
        }
        // A row as high as its heading (the fixed-row default cell's height
        // without one), a column as wide as its heading.
        const SIZE extent = Sizes().CellTextExtent(text);
        axis.sizes.insert(axis.sizes.begin() + index,
                          rows ? (text.empty() ? Sizes().height : static_cast<int>(extent.cy)) : extent.cx);
        ++axis.count;
        SetModified(-1);
        return index;
    }
    bool Delete(bool rows, int index)
    {
        Axis& axis = Along(rows);
        if (index < 0 || index >= axis.count)
            return false;
        ResetSelection();
        if (!virtualMode) {
            if (rows)
                cells.erase(cells.begin() + index);
            else
                for (auto& row : cells)
                    row.erase(row.begin() + index);
            selected.clear();
        }
        axis.sizes.erase(axis.sizes.begin() + index);
        --axis.count;
        if (index < axis.fixed)
            --axis.fixed;
        SetModified(-1);
        return true;
    }
    void DeleteAllItems()
    {
        ResetSelection();
        cells.clear();
        for (Axis& axis : axes)
            axis = Axis();
        order.clear();
        ForgetCellsBeyond(0, 0);
        focus = GridCellId();
        SetModified(-1);
    }

    // --- focus and selection
    GridCellId SetFocusCell(int row, int col)
    {
        if (row != -1)
            row = std::max(row, FixedRows());
        if (col != -1)
            col = std::max(col, FixedCols());
        const GridCellId old = focus;
        // A cell of the grid or none.
        if (GridCellId(row, col) == GridCellId() || Valid(row, col))
            focus = GridCellId(row, col);
        return old;
    }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool select)
    {
        if (!selectable)
            return;
        auto raise = [](int value, int fixed) { return value >= 0 && value < fixed ? fixed : value; };
        minRow = raise(minRow, FixedRows());
        maxRow = raise(maxRow, FixedRows());
        if (!fixedColsSelectable) {
            minCol = raise(minCol, FixedCols());
            maxCol = raise(maxCol, FixedCols());
        }
        if (select) {
            selected.clear();
            if (!SingleRowSelection())
                for (const auto& cell : previous)
                    if (Valid(cell.first, cell.second))
                        selected.insert(cell);
        }
        if (minRow < 0 || minCol < 0 || maxRow >= Rows() || maxCol >= Cols() || minRow > maxRow || minCol > maxCol)
            return;
        for (int row = minRow; row <= maxRow; ++row)
            for (int col = minCol; col <= maxCol; ++col)
                if (select)
                    selected.insert({row, col});
                else
                    selected.erase({row, col});
    }
    void ResetSelection()
    {
        previous.clear();
        SetSelectedRange(-1, -1, -1, -1, true);
        focus = GridCellId();
    }
    void SelectAll() { SetSelectedRange(FixedRows(), FixedCols(), Rows() - 1, Cols() - 1, true); }
    void SelectRows(const GridCellId& cell, bool select = true)
    {
        if (!Valid(cell) || cell.row < FixedRows())
            return;
        const int firstCol = fixedColsSelectable ? 0 : FixedCols();
        if (SingleRowSelection())
            SetSelectedRange(cell.row, firstCol, cell.row, Cols() - 1, select);
        else
            SetSelectedRange(std::min(selectionStart.row, cell.row), firstCol, std::max(selectionStart.row, cell.row),
                             Cols() - 1, select);
    }
    void SelectColumns(const GridCellId& cell, bool select = true)
    {
        if (!Valid(cell) || cell.col < FixedCols())
            return;
        if (singleCol)
            SetSelectedRange(FixedRows(), cell.col, Rows() - 1, cell.col, select);
        else
            SetSelectedRange(FixedRows(), std::min(selectionStart.col, cell.col), Rows() - 1,
                             std::max(selectionStart.col, cell.col), select);
    }
    void SelectCells(const GridCellId& cell, bool select = true)
    {
        if (!Valid(cell) || Fixed(cell.row, cell.col))
            return;
        SetSelectedRange(std::min(selectionStart.row, cell.row), std::min(selectionStart.col, cell.col),
                         std::max(selectionStart.row, cell.row), std::max(selectionStart.col, cell.col), select);
    }
    // A move of the focus by a key or a plain click: rows in list mode, else cells.
    void SelectForMove(const GridCellId& cell)
    {
        if (listMode)
            SelectRows(cell);
        else
            SelectCells(cell);
    }
};

// The three ways the grid sorts: its text and numeric compares and a compare
// function of the application's.
enum class Compare { kText, kNumeric, kOwn };

int OwnTextCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    return std::wcscmp(first->GetText(), second->GetText());
}

GridCompareFunction FunctionOf(Compare compare)
{
    return compare == Compare::kText ? &CGridCtrl::TextCompare
                                     : (compare == Compare::kNumeric ? &CGridCtrl::NumericCompare : &OwnTextCompare);
}

// Two texts by the comparison, as two cells of their own.
int CompareTexts(Compare compare, const std::wstring& a, const std::wstring& b)
{
    CGridCell first;
    CGridCell second;
    first.SetText(a.c_str());
    second.SetText(b.c_str());
    return FunctionOf(compare)(&first, &second, 0);
}

// --- the window the grids live in, made once per process

HWND Parent()
{
    static HWND parent = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"GridFuzzParent";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(0, wc.lpszClassName, L"grid fuzz", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                 0, 0, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return parent;
}

// --- choices from the script

const wchar_t* const kChinese[] = {L"数据", L"文件夹", L"测量结果", L"超声波探伤仪的测量数据文件", L"项目"};

std::wstring PickText(fuzz::Choices& choices)
{
    const uint8_t b = choices.Byte();
    switch (b % 9) {
    case 0:
        return L"";
    case 1:
    case 2:
        return std::to_wstring(static_cast<int>(choices.Byte()) - 64);
    case 3:
        return kChinese[choices.Byte() % 5];
    case 4: {
        // Long: past what a cell shows, and past the edit's usual sizes.
        std::wstring text(200 + choices.Byte() * 12, static_cast<wchar_t>(L'A' + b % 26));
        text += kChinese[b % 5];
        return text;
    }
    case 5:
        return b & 0x10 ? L"www.example" : L"line one\nline two\tend";
    default: {
        // Short texts from a small alphabet, so that sorts meet equal keys.
        std::wstring text;
        const int length = 1 + choices.Byte() % 4;
        for (int i = 0; i < length; ++i)
            text += static_cast<wchar_t>(L'a' + choices.Byte() % 4);
        return text;
    }
    }
}

// An index for a row or column: mostly inside, often at or past the edges.
int PickIndex(fuzz::Choices& choices, int count)
{
    const uint8_t b = choices.Byte();
    switch (b % 12) {
    case 0:
        return -1;
    case 1:
        return count;
    case 2:
        return count + 1 + (b >> 4);
    case 3:
        return b & 0x10 ? INT_MAX : INT_MIN;
    case 4:
        return -2 - (b >> 4);
    default:
        return count > 0 ? static_cast<int>(choices.Byte() | (b >> 4) << 8) % count : 0;
    }
}

int Capped(int count, int across)
{
    count = std::min(count, kMaxCount);
    if (count > 0 && across > 0 && static_cast<long long>(count) * across > kMaxCells)
        count = std::max(1, kMaxCells / across);
    return count;
}

// A count: small, around the current and the fixed one, 0, negative or large.
int PickCount(fuzz::Choices& choices, const Axis& axis, int across)
{
    const uint8_t b = choices.Byte();
    const int counts[] = {0, axis.count + 1, axis.count - 1, axis.fixed - 1, axis.fixed, 40 + choices.Byte() * 2,
                          -1 - (b >> 4)};
    return Capped(b % 10 < 7 ? counts[b % 10] : choices.Byte() % 16, across);
}

// --- one run of a script

class Run;
struct Operation {
    const char* name;
    int weight;
    std::string (Run::*handler)();
};

class Run {
public:
    Run(CGridCtrl& grid, fuzz::Choices& choices) : m_grid(grid), m_choices(choices) {}
    std::string Go();

    // The operations, each with what it takes from the script.
    std::string SetCount();
    std::string SetFixedCount();
    std::string Insert();
    std::string Delete();
    std::string DeleteMany();
    std::string SetText();
    std::string SetCellType();
    std::string SetCheck();
    std::string Sort();
    std::string SelectRange();
    std::string SelectBy();
    std::string SetFocus();
    std::string EnsureVisible();
    std::string Paint();
    std::string Key();
    std::string SetSize();
    std::string Edit();
    std::string Option();
    std::string VirtualMode();
    std::string Scroll();
    std::string Resize();
    std::string ClickCell();
    std::string ClickAnywhere();
    std::string CellExtras();

private:
    template <class... Pieces>
    std::string Found(const Pieces&... pieces)
    {
        std::string recent;
        for (const std::string& line : m_history)
            recent += "; " + line;
        return fuzz::Finding(pieces..., " after ", m_what, m_args, " (step ", m_step, "; before:", recent, ")");
    }
    template <class... Pieces>
    void Args(const Pieces&... pieces)
    {
        m_args = fuzz::Finding("(", pieces..., ")");
    }
    std::string Expect(long long got, long long expected, const char* what)
    {
        return got == expected ? std::string() : Found(what, " returned ", got, ", expected ", expected);
    }
    bool Rows() { return m_choices.Byte() & 1; }
    // Most keys and edits need a focus cell, which most changes take away: one is given first.
    void FocusSomewhere();
    // The row order that a virtual insert or delete left: each physical row once.
    std::string ReadOrder();
    // Sorts the grid and checks it sorted by the comparison, with the same
    // rows as before; the model takes the order the grid chose.
    std::string SortBy(Compare compare, int col, bool ascending);
    // An editor left open by a click or a key: its text goes back, and it closes.
    std::string CloseEditor();
    // After input whose effect is the grid's geometry's: take it from the grid.
    std::string ResyncAfterInput();
    std::string Check(bool full);
    std::string CheckCell(int row, int col);

    CGridCtrl& m_grid;
    fuzz::Choices& m_choices;
    Model m_model;
    int m_step = -1;
    std::string m_what = "creation";
    std::string m_args;
    std::vector<std::string> m_history;
};

const Operation kOperations[] = {
    {"SetRowCount/SetColumnCount", 4, &Run::SetCount},
    {"SetFixedRowCount/SetFixedColumnCount", 2, &Run::SetFixedCount},
    {"InsertRow/InsertColumn", 5, &Run::Insert},
    {"DeleteRow/DeleteColumn", 3, &Run::Delete},
    {"DeleteAllItems/DeleteNonFixedRows", 1, &Run::DeleteMany},
    {"SetItemText", 3, &Run::SetText},
    {"SetCellType", 2, &Run::SetCellType},
    {"SetCheck", 1, &Run::SetCheck},
    {"SortItems", 3, &Run::Sort},
    {"SetSelectedRange", 2, &Run::SelectRange},
    {"Select", 2, &Run::SelectBy},
    {"SetFocusCell", 3, &Run::SetFocus},
    {"EnsureVisible", 1, &Run::EnsureVisible},
    {"paint", 2, &Run::Paint},
    {"key", 3, &Run::Key},
    {"SetRowHeight/SetColumnWidth", 1, &Run::SetSize},
    {"edit", 1, &Run::Edit},
    {"option", 2, &Run::Option},
    {"SetVirtualMode", 1, &Run::VirtualMode},
    {"scroll", 1, &Run::Scroll},
    {"resize", 1, &Run::Resize},
    {"click on a cell", 3, &Run::ClickCell},
    {"click anywhere", 1, &Run::ClickAnywhere},
    {"cell extras", 1, &Run::CellExtras},
};

std::string Run::Go()
{
    int total = 0;
    for (const Operation& op : kOperations)
        total += op.weight;
    std::string finding = Check(true);
    for (int step = 0; step < kMaxSteps && finding.empty() && !m_choices.AtEnd(); ++step) {
        m_step = step;
        int pick = m_choices.Byte() % total;
        const Operation* op = kOperations;
        while (pick >= op->weight)
            pick -= (op++)->weight;
        m_what = op->name;
        finding = (this->*op->handler)();
        testsupport::PumpMessages();
        if (finding.empty() && m_model.virtualMode && !m_model.orderKnown)
            finding = ReadOrder();
        if (finding.empty())
            finding = Check(false);
        m_history.push_back(m_what + m_args);
        m_args.clear();
        if (m_history.size() > 6)
            m_history.erase(m_history.begin());
    }
    return finding.empty() ? Check(true) : finding;
}

// --- dimensions

std::string Run::SetCount()
{
    const bool rows = Rows();
    const int n = PickCount(m_choices, m_model.Along(rows), m_model.Along(!rows).count);
    Args(rows ? "rows " : "columns ", n);
    return Expect(rows ? m_grid.SetRowCount(n) : m_grid.SetColumnCount(n), m_model.SetCount(rows, n),
                  rows ? "SetRowCount" : "SetColumnCount");
}

std::string Run::SetFixedCount()
{
    const bool rows = Rows();
    const Axis& axis = m_model.Along(rows);
    int n = static_cast<int>(m_choices.Byte() % (axis.count + 4)) - 1;
    if (n > axis.count)
        n = Capped(n, m_model.Along(!rows).count);
    Args(rows ? "rows " : "columns ", n);
    const bool set = rows ? m_grid.SetFixedRowCount(n) : m_grid.SetFixedColumnCount(n);
    return Expect(set, m_model.SetFixedCount(rows, n), rows ? "SetFixedRowCount" : "SetFixedColumnCount");
}

std::string Run::Insert()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    const bool rows = Rows();
    const std::wstring text = PickText(m_choices);
    const int before = PickIndex(m_choices, m.Along(rows).count);
    const UINT format = m_choices.Byte() & 1 ? DT_LEFT | DT_SINGLELINE : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    Args(rows ? "row " : "column ", before, ", ", text.size(), " characters");
    if (static_cast<long long>(m.Along(rows).count + 1) * std::max(m.Along(!rows).count, 1) > kMaxCells)
        return {};
    const int index = m.Insert(rows, text, before);
    const int got = rows ? g.InsertRow(text.c_str(), before) : g.InsertColumn(text.c_str(), format, before);
    if (std::string f = Expect(got, index, rows ? "InsertRow" : "InsertColumn"); !f.empty() || index < 0)
        return f;
    if (!rows && !m.virtualMode)
        for (int row = 0; row < m.Rows(); ++row)
            if (g.GetItemFormat(row, index) != format)
                return Found("cell (", row, ", ", index, ") of the new column has format ", g.GetItemFormat(row, index));
    return m.virtualMode && rows ? ReadOrder() : std::string();
}

std::string Run::Delete()
{
    const bool rows = Rows();
    const int index = PickIndex(m_choices, m_model.Along(rows).count);
    Args(rows ? "row " : "column ", index);
    const bool deleted = rows ? m_grid.DeleteRow(index) : m_grid.DeleteColumn(index);
    if (std::string f = Expect(deleted, m_model.Delete(rows, index), rows ? "DeleteRow" : "DeleteColumn"); !f.empty())
        return f;
    return m_model.virtualMode && rows && deleted ? ReadOrder() : std::string();
}

std::string Run::DeleteMany()
{
    Model& m = m_model;
    if (m_choices.Byte() % 3 == 0) {
        Args("all");
        m.DeleteAllItems();
        return Expect(m_grid.DeleteAllItems(), true, "DeleteAllItems");
    }
    Args("non-fixed");
    m.ResetSelection();
    m.SetCount(true, m.FixedRows());
    return Expect(m_grid.DeleteNonFixedRows(), true, "DeleteNonFixedRows");
}

std::string Run::ReadOrder()
{
    Model& m = m_model;
    m.orderKnown = m.Cols() > 0;
    if (!m.orderKnown)
        return {};
    std::vector<int> order(static_cast<size_t>(m.Rows()));
    std::vector<bool> seen(order.size());
    for (int row = 0; row < m.Rows(); ++row) {
        order[row] = static_cast<int>(m_grid.GetItemData(row, 0));
        if (order[row] < 0 || order[row] >= m.Rows() || seen[order[row]])
            return Found("row ", row, " shows physical row ", order[row], " of ", m.Rows());
        seen[order[row]] = true;
    }
    m.order = order;
    return {};
}

// --- cells

std::string Run::SetText()
{
    Model& m = m_model;
    const int row = PickIndex(m_choices, m.Rows());
    const int col = PickIndex(m_choices, m.Cols());
    const std::wstring text = PickText(m_choices);
    Args(row, ", ", col, ", ", text.size(), " characters");
    const bool stored = m.Valid(row, col) && !m.virtualMode;
    if (stored) {
        m.cells[row][col].text = text;
        m.SetModified(col);
    }
    return Expect(m_grid.SetItemText(row, col, text.c_str()), stored, "SetItemText");
}

std::string Run::SetCellType()
{
    Model& m = m_model;
    const int row = PickIndex(m_choices, m.Rows());
    const int col = PickIndex(m_choices, m.Cols());
    const Kind kind = static_cast<Kind>(m_choices.Byte() % kKinds);
    Args(row, ", ", col, ", ", ClassOf(kind)->name);
    const bool stored = m.Valid(row, col) && !m.virtualMode;
    if (stored) {
        // A new cell: the old one's text and state, the new class's own fields.
        m.cells[row][col].kind = kind;
        m.cells[row][col].checked = false;
    }
    return Expect(m_grid.SetCellType(row, col, ClassOf(kind)), stored, "SetCellType");
}

std::string Run::SetCheck()
{
    Model& m = m_model;
    // Mostly on a check cell: the first one from a place in the grid.
    int row = PickIndex(m_choices, m.Rows());
    int col = PickIndex(m_choices, m.Cols());
    const bool flag = m_choices.Byte() & 1;
    if (m.virtualMode)
        return {};  // the one scratch cell is filled again for every request
    for (int at = 0; m.Valid(row, col) && at < m.Rows() * m.Cols(); ++at) {
        const int index = (row * m.Cols() + col + at) % (m.Rows() * m.Cols());
        if (m.cells[index / m.Cols()][index % m.Cols()].kind == Kind::kCheck) {
            row = index / m.Cols();
            col = index % m.Cols();
            break;
        }
    }
    Args(row, ", ", col, ", ", flag);
    auto* check = dynamic_cast<CGridCellCheck*>(m_grid.GetCell(row, col));
    const bool isCheck = m.Valid(row, col) && m.cells[row][col].kind == Kind::kCheck;
    if ((check != nullptr) != isCheck)
        return Found("cell (", row, ", ", col, ") is a check cell: ", check != nullptr, ", expected ", isCheck);
    if (!check)
        return {};
    const bool previous = m.cells[row][col].checked;
    m.cells[row][col].checked = flag;
    return Expect(check->SetCheck(flag), previous, "SetCheck");
}

std::string Run::CellExtras()
{
    // What the special cells add, on whatever cell is there.
    Model& m = m_model;
    const int row = PickIndex(m_choices, m.Rows());
    const int col = PickIndex(m_choices, m.Cols());
    Args(row, ", ", col);
    if (m.virtualMode)
        return {};
    CGridCellBase* cell = m_grid.GetCell(row, col);
    if (auto* combo = dynamic_cast<CGridCellCombo*>(cell)) {
        combo->SetOptions({L"a", L"bb", L"数据", fw::WString(300, L'x')});
        combo->SetStyle(m_choices.Byte() & 1 ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    } else if (auto* time = dynamic_cast<CGridCellDateTime*>(cell)) {
        time->SetTime(static_cast<__time64_t>(1204675200) + m_choices.Byte() * 86400);
        m.cells[row][col].text = m_grid.GetItemText(row, col).str();  // the date, written as the cell writes it
        if (m.cells[row][col].text.empty())
            return Found("a date-time cell has no text after SetTime");
    }
    return {};
}

// --- sorting

std::string Run::Sort()
{
    Model& m = m_model;
    const int col =
        m_choices.Byte() % 8 == 0 ? PickIndex(m_choices, m.Cols()) : (m.Cols() > 0 ? m_choices.Byte() % m.Cols() : 0);
    const bool ascending = m_choices.Byte() & 1;
    const Compare compare = static_cast<Compare>(m_choices.Byte() % 3);
    const char* const compareNames[] = {"text", "numeric", "own"};
    Args(col, ", ", ascending ? "ascending" : "descending", ", ", compareNames[static_cast<int>(compare)]);
    return SortBy(compare, col, ascending);
}

std::string Run::SortBy(Compare compare, int col, bool ascending)
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    // The sort column is set and the selection reset whether or not there is anything to sort.
    m.sortColumn = col;
    m.ResetSelection();
    const bool sorts = col >= 0 && col < m.Cols() && m.Rows() - 1 > m.FixedRows();
    // Where each row goes: by its first cell, which moves with its row (by
    // its physical row in virtual mode).
    const auto identities = [&] {
        std::vector<LPARAM> ids;
        for (int row = 0; sorts && row < m.Rows(); ++row)
            ids.push_back(m.virtualMode ? g.GetItemData(row, 0) : reinterpret_cast<LPARAM>(g.GetCell(row, 0)));
        return ids;
    };
    const std::vector<LPARAM> before = identities();
    const bool sorted = compare == Compare::kText ? g.SortItems(col, ascending)
                                                  : g.SortItems(FunctionOf(compare), col, ascending);
    if (std::string f = Expect(sorted, sorts, "SortItems"); !f.empty() || !sorts)
        return f;
    const std::vector<LPARAM> after = identities();

    // The same rows as before, each once, the fixed ones where they were.
    std::vector<int> from(after.size(), -1);
    std::vector<bool> taken(before.size());
    for (int row = 0; row < m.Rows(); ++row) {
        for (int old = row < m.FixedRows() ? row : m.FixedRows(); old < (row < m.FixedRows() ? row + 1 : m.Rows()); ++old)
            if (!taken[old] && before[old] == after[row]) {
                from[row] = old;
                taken[old] = true;
                break;
            }
        if (from[row] < 0)
            return Found("row ", row, " after sorting is none of the rows sorted");
    }
    // In order by the comparison; rows that all compare equal stay as they were.
    bool allEqual = true;
    for (int row = m.FixedRows() + 1; row < m.Rows(); ++row) {
        const int order = CompareTexts(compare, m.Text(from[row - 1], col), m.Text(from[row], col));
        if (ascending ? order > 0 : order < 0)
            return Found("rows ", row - 1, " and ", row, " are out of order: \"", m.Text(from[row - 1], col), "\", \"",
                         m.Text(from[row], col), "\"");
        allEqual = allEqual && CompareTexts(compare, m.Text(m.FixedRows(), col), m.Text(row, col)) == 0;
    }
    for (int row = 0; allEqual && row < m.Rows(); ++row)
        if (from[row] != row)
            return Found("rows that all compare equal changed their order: row ", row, " is row ", from[row]);

    // The model takes the order the grid chose.
    const Model old = m;
    std::vector<int>& heights = m.axes[0].sizes;
    for (int row = 0; row < m.Rows(); ++row) {
        heights[row] = old.axes[0].sizes[from[row]];
        if (m.virtualMode)
            m.order[row] = old.order[from[row]];
        else
            m.cells[row] = old.cells[from[row]];
    }
    return {};
}

// --- focus and selection

std::string Run::SelectRange()
{
    Model& m = m_model;
    const int minRow = PickIndex(m_choices, m.Rows());
    const int minCol = PickIndex(m_choices, m.Cols());
    int maxRow = PickIndex(m_choices, m.Rows());
    int maxCol = PickIndex(m_choices, m.Cols());
    if (m_choices.Byte() & 1) {
        // Mostly a range that selects something.
        maxRow = std::max(minRow, maxRow) % std::max(m.Rows(), 1);
        maxCol = std::max(minCol, maxCol) % std::max(m.Cols(), 1);
    }
    const bool select = m_choices.Byte() % 4 != 0;
    const bool force = m_choices.Byte() & 1;
    Args(minRow, ", ", minCol, ", ", maxRow, ", ", maxCol, ", ", force, ", ", select);
    m.SetSelectedRange(minRow, minCol, maxRow, maxCol, select);
    m_grid.SetSelectedRange(minRow, minCol, maxRow, maxCol, force, select);
    return {};
}

std::string Run::SelectBy()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    const GridCellId cell(PickIndex(m_choices, m.Rows()), PickIndex(m_choices, m.Cols()));
    const bool select = m_choices.Byte() % 4 != 0;
    switch (m_choices.Byte() % 5) {
    case 0:
        Args("all");
        m.SelectAll();
        g.SelectAllCells();
        break;
    case 1:
        Args("rows ", cell.row, ", ", cell.col, ", ", select);
        m.SelectRows(cell, select);
        g.SelectRows(cell, false, select);
        break;
    case 2:
        Args("columns ", cell.row, ", ", cell.col, ", ", select);
        m.SelectColumns(cell, select);
        g.SelectColumns(cell, false, select);
        break;
    case 3:
        Args("cells ", cell.row, ", ", cell.col, ", ", select);
        m.SelectCells(cell, select);
        g.SelectCells(cell, false, select);
        break;
    default:
        Args("reset");
        m.ResetSelection();
        g.ResetSelectedRange();
        break;
    }
    return {};
}

std::string Run::SetFocus()
{
    Model& m = m_model;
    int row = PickIndex(m_choices, m.Rows());
    int col = PickIndex(m_choices, m.Cols());
    if (m_choices.Byte() % 4 == 0)
        row = col = -1;
    Args(row, ", ", col);
    const GridCellId previous = m.SetFocusCell(row, col);
    const GridCellId got = m_grid.SetFocusCell(row, col);
    if (got != previous)
        return Found("SetFocusCell returned (", got.row, ", ", got.col, "), expected (", previous.row, ", ",
                     previous.col, ")");
    return {};
}

void Run::FocusSomewhere()
{
    Model& m = m_model;
    const bool wanted = m_choices.Byte() % 4 != 0;
    if (!wanted || m.Valid(m.focus) || m.Rows() <= m.FixedRows() || m.Cols() <= m.FixedCols())
        return;
    const int row = m.FixedRows() + m_choices.Byte() % (m.Rows() - m.FixedRows());
    const int col = m.FixedCols() + m_choices.Byte() % (m.Cols() - m.FixedCols());
    m.SetFocusCell(row, col);
    m_grid.SetFocusCell(row, col);
}

// --- what is on the screen

std::string Run::EnsureVisible()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    // Mostly a cell of the grid.
    const bool inside = m_choices.Byte() % 4 != 0 && m.Rows() > 0 && m.Cols() > 0;
    const int row = inside ? m_choices.Byte() % m.Rows() : PickIndex(m_choices, m.Rows());
    const int col = inside ? m_choices.Byte() % m.Cols() : PickIndex(m_choices, m.Cols());
    Args(row, ", ", col);
    g.EnsureVisible(row, col);
    if (!m.Valid(row, col) || m.Fixed(row, col) || !g.GetRedraw())
        return {};
    const int height = m.axes[0].sizes[row];
    const int width = m.axes[1].sizes[col];
    // A cell that fits beside the fixed ones must then be on screen.
    const RECT client = g.GetClientRect();
    const bool fits = height > 0 && width > 0 && g.GetFixedRowHeight() + height <= client.bottom &&
                      g.GetFixedColumnWidth() + width <= client.right;
    if (fits && !g.IsCellVisible(row, col)) {
        const GridCellId topLeft = g.GetTopleftNonFixedCell();
        return Found("cell (", row, ", ", col, ") is not visible; top left (", topLeft.row, ", ", topLeft.col,
                     "), scrolled to ", g.GetScrollPos32(SB_HORZ), ", ", g.GetScrollPos32(SB_VERT), ", bars ",
                     g.GetScrollBarState(), ", client ", client.right, " x ", client.bottom);
    }
    // Where the grid says the cell is, it finds the cell again.
    RECT rect{};
    if (height > 0 && width > 0 && g.GetCellRect(row, col, &rect)) {
        if (rect.right - rect.left + 1 != width || rect.bottom - rect.top + 1 != height)
            return Found("cell (", row, ", ", col, ") has a rectangle of ", rect.right - rect.left + 1, " x ",
                         rect.bottom - rect.top + 1);
        const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        const GridCellId found = g.GetCellFromPt(middle);
        if (middle.x < client.right && middle.y < client.bottom && found != GridCellId(row, col))
            return Found("the middle of cell (", row, ", ", col, ") is in cell (", found.row, ", ", found.col, ")");
    }
    return {};
}

std::string Run::Paint()
{
    CGridCtrl& g = m_grid;
    Args();
    const RECT client = g.GetClientRect();
    if (client.right > 0 && client.bottom > 0) {
        // The backgrounds cover the whole client area, cells or none.
        constexpr COLORREF kUnpainted = RGB(1, 2, 3);
        fw::MemoryBitmap bitmap(client.right, client.bottom);
        bitmap.Fill(kUnpainted);
        g.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.DC()), PRF_CLIENT);
        if (g.GetRedraw() && bitmap.IsValid() &&
            (bitmap.Pixel(0, 0) == kUnpainted || bitmap.Pixel(client.right - 1, client.bottom - 1) == kUnpainted))
            return Found("painting left the client area's corners unpainted");
    }
    ::InvalidateRect(g.Handle(), nullptr, FALSE);
    ::UpdateWindow(g.Handle());
    return {};
}

std::string Run::Scroll()
{
    static const UINT codes[] = {SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_TOP, SB_BOTTOM, SB_THUMBTRACK};
    const bool vertical = m_choices.Byte() & 1;
    const UINT code = codes[m_choices.Byte() % (sizeof codes / sizeof codes[0])];
    Args(vertical ? "vertical " : "horizontal ", code);
    m_grid.Send(vertical ? WM_VSCROLL : WM_HSCROLL, code, 0);
    return {};
}

std::string Run::Resize()
{
    const int width = m_choices.Byte() % 5 == 0 ? 0 : 40 + m_choices.Byte() * 2;
    const int height = m_choices.Byte() % 5 == 0 ? 0 : 30 + m_choices.Byte();
    Args(width, " x ", height);
    ::SetWindowPos(m_grid.Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return {};
}

std::string Run::SetSize()
{
    Model& m = m_model;
    const bool rows = Rows();
    Axis& axis = m.Along(rows);
    const int index = PickIndex(m_choices, axis.count);
    const uint8_t b = m_choices.Byte();
    const int size = b % 5 == 0 ? 0 : (b % 5 == 1 ? -1 - b / 16 : (b % 5 == 2 ? 200 + b * 4 : b % 40));
    Args(rows ? "row " : "column ", index, ", ", size);
    const bool valid = index >= 0 && index < axis.count && size >= 0;
    if (valid)
        axis.sizes[index] = size;
    return Expect(rows ? m_grid.SetRowHeight(index, size) : m_grid.SetColumnWidth(index, size), valid,
                  rows ? "SetRowHeight" : "SetColumnWidth");
}

// --- input

std::string Run::Key()
{
    Model& m = m_model;
    static const UINT keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_TAB, VK_PRIOR, VK_NEXT, VK_DELETE};
    const UINT key = keys[m_choices.Byte() % (sizeof keys / sizeof keys[0])];
    FocusSomewhere();
    Args("key ", key, " from ", m.focus.row, ", ", m.focus.col);
    const GridCellId focus = m.focus;
    // Page keys move by what the view scrolled: the grid says where the focus went.
    const bool predicted = key != VK_PRIOR && key != VK_NEXT;
    GridCellId next = focus;
    if (m.Valid(focus) && predicted) {
        // Hidden rows and columns are passed over; fixed ones are never entered.
        const auto step = [&](bool rows, int from, int by) {
            const Axis& axis = m.Along(rows);
            for (int i = from + by; i >= axis.fixed && i < axis.count; i += by)
                if (axis.sizes[i] > 0)
                    return i;
            return -1;
        };
        const auto move = [](int& at, int to) {
            if (to >= 0)
                at = to;
        };
        switch (key) {
        case VK_UP:
            move(next.row, step(true, next.row, -1));
            break;
        case VK_DOWN:
            move(next.row, step(true, next.row, 1));
            break;
        case VK_LEFT:
            move(next.col, step(false, next.col, -1));
            break;
        case VK_RIGHT:
            move(next.col, step(false, next.col, 1));
            break;
        case VK_HOME:
            move(next.col, step(false, m.FixedCols() - 1, 1));
            break;
        case VK_END:
            move(next.col, step(false, m.Cols(), -1));
            break;
        case VK_TAB:
            if (step(false, next.col, 1) >= 0) {
                next.col = step(false, next.col, 1);
            } else if (step(true, next.row, 1) >= 0 && step(false, m.FixedCols() - 1, 1) >= 0) {
                next.row = step(true, next.row, 1);
                next.col = step(false, m.FixedCols() - 1, 1);
            }
            break;
        default:
            break;
        }
        if (next != focus && m.Valid(next)) {
            m.previous.clear();
            m.selectionStart = next;
            m.SelectForMove(next);
            m.focus = next;
        }
    }
    m_grid.Send(WM_KEYDOWN, key, 0);
    return predicted ? std::string() : ResyncAfterInput();
}

// A click into the middle of a non-fixed cell on the screen, plain, with
// shift or with control, as the grid's rules for a press and release say.
std::string Run::ClickCell()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    const uint8_t how = m_choices.Byte();
    const bool control = how % 3 == 1;
    const bool shift = how % 3 == 2;
    if (m.Rows() <= m.FixedRows() || m.Cols() <= m.FixedCols())
        return {};
    const GridCellId cell(m.FixedRows() + m_choices.Byte() % (m.Rows() - m.FixedRows()),
                          m.FixedCols() + m_choices.Byte() % (m.Cols() - m.FixedCols()));
    Args(cell.row, ", ", cell.col, control ? ", control" : "", shift ? ", shift" : "");
    g.EnsureVisible(cell.row, cell.col);
    // Drawn where it is now: a check box toggles when the click lands in it.
    ::RedrawWindow(g.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rect{};
    const RECT client = g.GetClientRect();
    if (!g.GetCellRect(cell.row, cell.col, &rect))
        return {};
    const POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (at.x >= client.right || at.y >= client.bottom || g.GetCellFromPt(at) != cell)
        return {};

    // Press: the selection starts here (with shift where it was, or at the focus).
    if (!shift)
        m.selectionStart = cell;
    else if (!m.Valid(m.selectionStart))
        m.selectionStart = m.focus;
    // A second click on the focus cell's text edits it on release (a check
    // cell's text begins after its box); a link cell refuses.
    const Kind kind = m.KindOf(cell.row, cell.col);
    const int textLeft = kind == Kind::kCheck ? std::min<int>(rect.left + ::GetSystemMetrics(SM_CXHSCROLL) +
                                                                  2 * Sizes().margin, rect.right)
                                              : rect.left;
    const bool edits = cell == m.focus && !control && m.editable && at.x >= textLeft;
    const bool visible = g.IsCellVisible(cell.row, cell.col);  // an edit starts only on a visible cell
    const bool wasSelected = m.IsSelected(cell.row, cell.col);
    if (!edits) {
        m.focus = cell;
        if (control && wasSelected) {
            // Deselected (its row in list mode), and nothing more.
            if (m.listMode)
                m.SelectRows(cell, false);
            else
                m.SetSelectedRange(cell.row, cell.col, cell.row, cell.col, false);
        } else {
            m.previous = control ? m.selected : CellSet();
            m.SelectForMove(cell);
        }
    }
    const WPARAM keys = (control ? MK_CONTROL : 0) | (shift ? MK_SHIFT : 0);
    g.Send(WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
    g.Send(WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
    testsupport::PumpMessages();

    const bool editor = ::GetDlgItem(g.Handle(), static_cast<int>(kGridEditorId)) != nullptr;
    if (editor != (edits && kind != Kind::kUrl && visible))
        return Found("a click ", editor ? "opened" : "did not open", " an editor on (", cell.row, ", ", cell.col, ")");
    if (edits)
        return CloseEditor();
    // Release: the focus cell's click; a check box drawn where it is toggles.
    if (!m.virtualMode && kind == Kind::kCheck) {
        bool& checked = m.cells[cell.row][cell.col].checked;
        const bool now = static_cast<CGridCellCheck*>(g.GetCell(cell.row, cell.col))->GetCheck();
        if (g.GetRedraw() && now == checked)
            return Found("the check box of (", cell.row, ", ", cell.col, ") did not toggle");
        checked = now;
    }
    return {};
}

// A click anywhere (shift, never control), dragged or doubled: fixed cells,
// dividers and empty space, whose effect is the grid's geometry's.
std::string Run::ClickAnywhere()
{
    CGridCtrl& g = m_grid;
    const RECT client = g.GetClientRect();
    const int x = m_choices.Byte() * std::max(1, static_cast<int>(client.right)) / 256;
    const int y = m_choices.Byte() * std::max(1, static_cast<int>(client.bottom)) / 256;
    const uint8_t b = m_choices.Byte();
    const WPARAM flags = b & 1 ? MK_SHIFT : 0;
    const int dx = b & 2 ? static_cast<int>(b >> 4) - 8 : 0;
    Args(x, ", ", y, flags ? ", shift" : "", dx ? ", dragged" : "", b & 4 ? ", twice" : "");
    // Only with no selection kept by a control-click, which a click may or may not drop.
    if (!m_model.previous.empty())
        return {};
    const LPARAM down = MAKELPARAM(x, y);
    const LPARAM up = MAKELPARAM(std::max(0, x + dx), y);
    g.Send(WM_LBUTTONDOWN, MK_LBUTTON | flags, down);
    if (dx)
        g.Send(WM_MOUSEMOVE, MK_LBUTTON | flags, up);
    g.Send(WM_LBUTTONUP, flags, up);
    if (b & 4)
        g.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, down);
    testsupport::PumpMessages();
    return ResyncAfterInput();
}

// Editors that end without a change keep the cell's text: a picker still on
// the cell's time, a list without edit field where nothing is chosen.
bool LeavesCellAlone(HWND editor, CGridCellBase* cell)
{
    if (auto* time = dynamic_cast<CGridCellDateTime*>(cell)) {
        SYSTEMTIME shown{};
        SYSTEMTIME own{};
        return ::SendMessageW(editor, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)) == GDT_VALID &&
               fw::ToLocalTime(time->GetTime(), own) && shown.wYear == own.wYear && shown.wMonth == own.wMonth &&
               shown.wDay == own.wDay && shown.wHour == own.wHour && shown.wMinute == own.wMinute &&
               shown.wSecond == own.wSecond;
    }
    return dynamic_cast<CGridCellCombo*>(cell) && (::GetWindowLongPtrW(editor, GWL_STYLE) & 3) == CBS_DROPDOWNLIST &&
           ::SendMessageW(editor, CB_GETCURSEL, 0, 0) == CB_ERR;
}

// Types into the focus cell and ends the edit, or lets an operation that
// moves cells end it: the text goes into the cell it was opened on.
std::string Run::Edit()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    if (m.virtualMode)
        return {};
    FocusSomewhere();
    const GridCellId at = m.focus;
    const uint8_t how = m_choices.Byte();
    Args(at.row, ", ", at.col, ", ending by ", how % 5);
    const wchar_t ch = how & 0x80 ? L'数' : L'7';
    g.Send(ch > 127 ? WM_IME_CHAR : WM_CHAR, ch, 0);
    HWND editor = ::GetDlgItem(g.Handle(), static_cast<int>(kGridEditorId));
    if (editor) {
        if (!m.Valid(at) || !m.editable)
            return Found("an editor opened without an editable focus cell");
        wchar_t buffer[4096] = {};
        ::GetWindowTextW(editor, buffer, 4096);
        // The grid takes the editor's text back (its answer to the parent is 0: accepted),
        // unless the editor was left as it opened.
        if (!LeavesCellAlone(editor, g.GetCell(at.row, at.col)) && m.cells[at.row][at.col].text != buffer) {
            m.cells[at.row][at.col].text = buffer;
            m.SetModified(at.col);
        }
    }
    switch (how % 5) {
    case 0:
        g.EndEditing();
        break;
    case 1:
        if (std::string f = SortBy(Compare::kText, m.Cols() > 0 ? m_choices.Byte() % m.Cols() : 0, true); !f.empty())
            return f;
        break;
    case 2: {
        const int row = m.Rows() > 0 ? m_choices.Byte() % m.Rows() : 0;
        m.Delete(true, row);
        g.DeleteRow(row);
        break;
    }
    case 3: {
        const std::wstring text = PickText(m_choices);
        m.Insert(true, text, -1);
        g.InsertRow(text.c_str());
        break;
    }
    default:
        m.DeleteAllItems();
        g.DeleteAllItems();
        break;
    }
    testsupport::PumpMessages();
    if (editor && ::IsWindow(editor))
        return Found("the editor is still open");
    if (CGridCellBase* cell = g.GetCell(at.row, at.col); cell && cell->IsEditing() && editor)
        return Found("cell (", at.row, ", ", at.col, ") is still editing");
    return {};
}

std::string Run::CloseEditor()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    HWND editor = ::GetDlgItem(g.Handle(), static_cast<int>(kGridEditorId));
    if (!editor)
        return {};
    // Nothing was typed, but the editor's text goes back all the same (a
    // date-time picker's is its time).
    wchar_t buffer[4096] = {};
    ::GetWindowTextW(editor, buffer, 4096);
    for (int row = 0; row < m.Rows() && !m.virtualMode; ++row)
        for (int col = 0; col < m.Cols(); ++col)
            if (CGridCellBase* cell = g.GetCell(row, col); cell && cell->IsEditing() && !LeavesCellAlone(editor, cell) &&
                                                            m.cells[row][col].text != buffer) {
                m.cells[row][col].text = buffer;
                m.SetModified(col);
            }
    g.EndEditing();
    testsupport::PumpMessages();
    return ::IsWindow(editor) ? Found("the editor is still open") : std::string();
}

// After clicks anywhere and page keys, whose effect on focus, selection,
// check boxes and sizes is the grid's geometry's: take them from the grid,
// then check what must hold anyway.
std::string Run::ResyncAfterInput()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    if (std::string f = CloseEditor(); !f.empty())
        return f;
    if (g.GetRowCount() != m.Rows() || g.GetColumnCount() != m.Cols())
        return Found("the counts changed to ", g.GetRowCount(), " x ", g.GetColumnCount());
    const GridCellId focus = g.GetFocusCell();
    if (focus != GridCellId() && (!m.Valid(focus) || m.Fixed(focus.row, focus.col)))
        return Found("the focus cell moved to (", focus.row, ", ", focus.col, ")");
    if (focus != m.focus)
        m.previous.clear();  // a move by a key
    m.focus = focus;
    m.selectionStart = g.GetSelectionStartCell();
    // The cells selected now, and those the map holds beyond the grid (virtual
    // mode), unless the click selected anew and dropped them.
    CellSet selected;
    for (int row = 0; row < m.Rows(); ++row) {
        m.axes[0].sizes[row] = g.GetRowHeight(row);
        for (int col = 0; col < m.Cols(); ++col) {
            if (g.IsCellSelected(row, col))
                selected.insert({row, col});
            if (m.virtualMode)
                continue;
            ModelCell& cell = m.cells[row][col];
            if (auto* check = dynamic_cast<CGridCellCheck*>(g.GetCell(row, col)))
                cell.checked = check->GetCheck();
            // A click can open and close a picker or a list, which write back what they show.
            if (cell.kind == Kind::kDateTime || cell.kind == Kind::kCombo) {
                const std::wstring text = g.GetItemText(row, col).str();
                if (text != cell.text) {
                    cell.text = text;
                    m.SetModified(col);
                }
            }
        }
    }
    for (int col = 0; col < m.Cols(); ++col)
        m.axes[1].sizes[col] = g.GetColumnWidth(col);
    if (!m.selectable)
        selected = m.selected;  // nothing could select
    else if (g.GetSelectedCount() > static_cast<int>(selected.size()))
        for (const auto& cell : m.selected)
            if (!m.Valid(cell.first, cell.second))
                selected.insert(cell);
    m.selected = selected;
    // A click on a header may sort by its column.
    if (g.GetSortColumn() != m.sortColumn)
        return Found("the sort column changed to ", g.GetSortColumn());
    return {};
}

// --- options

std::string Run::Option()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    const bool on = m_choices.Byte() & 1;
    switch (m_choices.Byte() % 9) {
    case 0:
        // As the file manager switches it: the selection reset before and after.
        Args("EnableSelection ", on);
        m.ResetSelection();
        m.selectable = on;
        m.ResetSelection();
        g.ResetSelectedRange();
        g.EnableSelection(on);
        g.ResetSelectedRange();
        break;
    case 1:
        Args("SetFixedColumnsSelectable ", on);
        m.fixedColsSelectable = on;
        g.SetFixedColumnsSelectable(on);
        break;
    case 2:
        Args("SetListMode ", on);
        m.ResetSelection();
        m.sortColumn = -1;
        m.listMode = on;
        g.SetListMode(on);
        break;
    case 3:
        Args("SetSingleRowSelection ", on);
        m.singleRow = on;
        g.SetSingleRowSelection(on);
        break;
    case 4:
        Args("SetSingleColSelection ", on);
        m.singleCol = on;
        g.SetSingleColSelection(on);
        break;
    case 5: {
        const Kind kind = static_cast<Kind>(m_choices.Byte() % kKinds);
        Args("SetDefaultCellType ", ClassOf(kind)->name);
        m.defaultKind = kind;
        return Expect(g.SetDefaultCellType(ClassOf(kind)), true, "SetDefaultCellType");
    }
    case 6:
        Args("SetRedraw ", on);
        g.SetRedraw(on, m_choices.Byte() & 1);
        break;
    case 7:
        // Not back on in virtual mode: the one scratch cell cannot keep an edit.
        Args("SetEditable ", on);
        if (m.virtualMode)
            break;
        m.editable = on;
        g.SetEditable(on);
        break;
    default:
        Args("SetGridLines, SetDoubleBuffering ", on);
        g.SetGridLines(m_choices.Byte() % 4);
        g.SetDoubleBuffering(on);
        break;
    }
    return {};
}

std::string Run::VirtualMode()
{
    Model& m = m_model;
    const bool on = m_choices.Byte() % 3 != 0;
    Args(on);
    // Every item goes; switching it on also switches editing off.
    m.DeleteAllItems();
    m.virtualMode = on;
    if (on)
        m.editable = false;
    m_grid.SetVirtualMode(on);
    return Expect(m_grid.GetVirtualMode(), on, "GetVirtualMode");
}

// --- the check after every step

std::string Run::CheckCell(int row, int col)
{
    const Model& m = m_model;
    CGridCellBase* cell = m_grid.GetCell(row, col);
    if (!cell)
        return Found("cell (", row, ", ", col, ") is missing");
    const Kind kind = m.KindOf(row, col);
    if (cell->GetRuntimeClass() != ClassOf(kind))
        return Found("cell (", row, ", ", col, ") is a ", cell->GetRuntimeClass()->name, ", expected a ",
                     ClassOf(kind)->name);
    const std::wstring text = m.Text(row, col);
    if (text != cell->GetText())
        return Found(cell->GetRuntimeClass()->name, " (", row, ", ", col, ") holds \"", std::wstring(cell->GetText()),
                     "\", expected \"", text, "\"");
    if (m.virtualMode && cell->GetData() != m.order[row])
        return Found("row ", row, " shows physical row ", cell->GetData(), ", expected ", m.order[row]);
    if (!m.virtualMode && kind == Kind::kCheck &&
        static_cast<CGridCellCheck*>(cell)->GetCheck() != m.cells[row][col].checked)
        return Found("check cell (", row, ", ", col, ") is ", !m.cells[row][col].checked, ", expected ",
                     m.cells[row][col].checked);
    UINT state = 0;
    if (row < m.FixedRows())
        state |= GridState::kFixed | GridState::kFixedRow;
    if (col < m.FixedCols())
        state |= GridState::kFixed | GridState::kFixedCol;
    if (m.selected.count({row, col}))
        state |= GridState::kSelected;
    if (m.focus == GridCellId(row, col))
        state |= GridState::kFocused;
    const UINT mask = GridState::kFocused | GridState::kSelected | GridState::kFixed | GridState::kFixedRow |
                      GridState::kFixedCol;
    if ((cell->GetState() & mask) != state)
        return Found("cell (", row, ", ", col, ") has state ", cell->GetState() & mask, ", expected ", state);
    if (m_grid.IsCellSelected(row, col) != m.IsSelected(row, col))
        return Found("IsCellSelected (", row, ", ", col, ") is ", !m.IsSelected(row, col));
    return {};
}

std::string Run::Check(bool full)
{
    const Model& m = m_model;
    CGridCtrl& g = m_grid;
    if (g.GetRowCount() != m.Rows() || g.GetColumnCount() != m.Cols() || g.GetFixedRowCount() != m.FixedRows() ||
        g.GetFixedColumnCount() != m.FixedCols())
        return Found("the grid is ", g.GetRowCount(), " x ", g.GetColumnCount(), " with ", g.GetFixedRowCount(),
                     " x ", g.GetFixedColumnCount(), " fixed, expected ", m.Rows(), " x ", m.Cols(), " with ",
                     m.FixedRows(), " x ", m.FixedCols());
    const GridCellId focus = g.GetFocusCell();
    if (focus != m.focus)
        return Found("the focus cell is (", focus.row, ", ", focus.col, "), expected (", m.focus.row, ", ",
                     m.focus.col, ")");
    const GridCellId start = g.GetSelectionStartCell();
    if (start != m.selectionStart)
        return Found("the selection starts at (", start.row, ", ", start.col, "), expected (", m.selectionStart.row,
                     ", ", m.selectionStart.col, ")");
    if (g.GetSortColumn() != m.sortColumn)
        return Found("the sort column is ", g.GetSortColumn(), ", expected ", m.sortColumn);

    // Outside the grid there is nothing.
    const GridCellId outside[] = {{-1, 0}, {0, -1}, {m.Rows(), 0}, {0, m.Cols()}, {INT_MAX, INT_MIN}, {m.Rows(), m.Cols()}};
    for (const GridCellId& cell : outside)
        if (g.GetCell(cell.row, cell.col) || !g.GetItemText(cell.row, cell.col).IsEmpty() ||
            g.IsCellSelected(cell.row, cell.col))
            return Found("there is a cell at (", cell.row, ", ", cell.col, ")");
    if (g.GetRowHeight(m.Rows()) != -1 || g.GetColumnWidth(m.Cols()) != -1 || g.GetRowHeight(-1) != -1)
        return Found("a size outside the grid");

    // The selected-cell map: its count and its range (rows and columns as it holds them).
    GridCellRange range(m.Rows(), m.Cols(), -1, -1);
    for (const auto& cell : m.selected)
        range = GridCellRange(std::min(range.minRow, cell.first), std::min(range.minCol, cell.second),
                              std::max(range.maxRow, cell.first), std::max(range.maxCol, cell.second));
    if (g.GetSelectedCount() != static_cast<int>(m.selected.size()))
        return Found(g.GetSelectedCount(), " cells selected, expected ", m.selected.size());
    const GridCellRange got = g.GetSelectedCellRange();
    if (!(got == range))
        return Found("the selected range is (", got.minRow, ", ", got.minCol, ", ", got.maxRow, ", ", got.maxCol,
                     "), expected (", range.minRow, ", ", range.minCol, ", ", range.maxRow, ", ", range.maxCol, ")");

    // Every row, or a sample of them on a large grid: the edges, the fixed rows and the focus row.
    const bool all = full || static_cast<long long>(m.Rows()) * m.Cols() <= kFullCheckCells;
    const int stride = all ? 1 : std::max(1, m.Rows() / 20);
    for (int row = 0; row < m.Rows(); ++row) {
        const bool sampled = all || row % stride == m_step % stride || row < m.FixedRows() + 2 ||
                             row >= m.Rows() - 2 || row == m.focus.row;
        if (!sampled)
            continue;
        if (g.GetRowHeight(row) != m.axes[0].sizes[row])
            return Found("row ", row, " is ", g.GetRowHeight(row), " high, expected ", m.axes[0].sizes[row]);
        for (int col = 0; col < m.Cols(); ++col)
            if (std::string f = CheckCell(row, col); !f.empty())
                return f;
    }
    for (int col = 0; col < m.Cols(); ++col)
        if (g.GetColumnWidth(col) != m.axes[1].sizes[col])
            return Found("column ", col, " is ", g.GetColumnWidth(col), " wide, expected ", m.axes[1].sizes[col]);
    return {};
}

}  // namespace

FUZZ_TARGET(grid, 2000, "CGridCtrl: random operations against a model of rows, cells, focus and selection")
{
    fuzz::Choices choices(input);
    const uint8_t shape = choices.Byte();
    // With border and scroll bars (the grid's own style), or a bare child window.
    const DWORD style = shape & 1 ? WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_HSCROLL | WS_VSCROLL
                                  : WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const RECT rect{0, 0, 120 + (shape >> 1) * 4, 90 + (shape >> 1) * 3};
    CGridCtrl grid;
    if (!grid.Create(rect, Parent(), 7, style))
        return fuzz::Finding("the grid window could not be made");
    grid.SetDisplayCallback(&FillVirtualCell);
    Run run(grid, choices);
    std::string finding = run.Go();
    testsupport::PumpMessages();
    return finding;
}

FUZZ_SEEDS(grid)
{
    std::vector<Bytes> seeds;
    fuzz::Random random(20240611);
    for (size_t length : {40, 80, 120, 160, 200, 240, 280, 320}) {
        Bytes seed;
        for (size_t i = 0; i < length; ++i)
            seed += static_cast<char>(random.Below(256));
        seeds.push_back(seed);
    }
    return seeds;
}
