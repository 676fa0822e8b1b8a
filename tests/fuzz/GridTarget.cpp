// The grid: random operations on a real grid window, each followed by a
// check against a small model of what the grid must then hold (counts,
// fixed counts, texts, cell classes, check states, state flags, focus,
// selection, row heights, column widths, sort column). The input is the
// script of operations.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <string>
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

namespace {

using fuzz::Bytes;

// Enough for large counts along one axis while one input stays fast.
constexpr int kMaxCells = 6000;
constexpr int kMaxCount = 2000;
constexpr int kMaxSteps = 200;
// Beyond this many cells a step checks a sample of the rows, the last step all.
constexpr int kFullCheckCells = 3000;

enum class Kind : uint8_t { kText, kCheck, kCombo, kDateTime, kNumeric, kUrl };
constexpr int kKinds = 6;

const fw::RuntimeClass* ClassOf(Kind kind)
{
    switch (kind) {
    case Kind::kCheck:
        return &CGridCellCheck::Class;
    case Kind::kCombo:
        return &CGridCellCombo::Class;
    case Kind::kDateTime:
        return &CGridCellDateTime::Class;
    case Kind::kNumeric:
        return &CGridCellNumeric::Class;
    case Kind::kUrl:
        return &CGridURLCell::Class;
    default:
        return &CGridCell::Class;
    }
}

struct ModelCell {
    std::wstring text;
    Kind kind = Kind::kText;
    bool checked = false;
    bool selected = false;
};

// What the grid must hold, changed as each of the grid's operations changes it.
struct Model {
    int rows = 0;
    int cols = 0;
    int fixedRows = 0;
    int fixedCols = 0;
    std::vector<std::vector<ModelCell>> cells;  // [row][col]
    std::vector<int> heights;
    std::vector<int> widths;
    GridCellId focus;
    int sortColumn = -1;
    Kind defaultKind = Kind::kText;
    bool selectable = true;
    bool fixedColsSelectable = false;
    bool listMode = false;
    bool singleRow = false;
    bool singleCol = false;
    // The sizes new rows and columns get.
    int rowHeight = 0;
    int colWidth = 0;

    bool Valid(int row, int col) const { return row >= 0 && row < rows && col >= 0 && col < cols; }
    bool Valid(const GridCellId& cell) const { return Valid(cell.row, cell.col); }
    bool Fixed(int row, int col) const { return row < fixedRows || col < fixedCols; }
    ModelCell NewCell() const
    {
        ModelCell cell;
        cell.kind = defaultKind;
        return cell;
    }
    // A change of the whole grid (col < 0) or of the sorted column drops the sort.
    void DropSort(int col)
    {
        if ((col < 0 || col == sortColumn) && sortColumn >= 0)
            sortColumn = -1;
    }
    void ResetSelection()
    {
        if (selectable)
            for (auto& row : cells)
                for (ModelCell& cell : row)
                    cell.selected = false;
        focus = GridCellId();
    }

    bool SetRowCount(int n)
    {
        if (n == rows)
            return true;
        if (n < 0)
            return false;
        fixedRows = std::min(fixedRows, n);
        if (focus.row >= n)
            focus = GridCellId();
        if (n < rows) {
            cells.resize(n);
            heights.resize(n);
        } else {
            cells.resize(n, std::vector<ModelCell>(cols, NewCell()));
            heights.resize(n, rowHeight);
        }
        rows = n;
        DropSort(-1);
        return true;
    }
    bool SetColumnCount(int n)
    {
        if (n == cols)
            return true;
        if (n < 0)
            return false;
        fixedCols = std::min(fixedCols, n);
        if (focus.col >= n)
            focus = GridCellId();
        for (auto& row : cells)
            row.resize(n, NewCell());
        widths.resize(n, colWidth);
        cols = n;
        DropSort(-1);
        return true;
    }
    bool SetFixedRowCount(int n)
    {
        if (n == fixedRows)
            return true;
        if (n < 0)
            return false;
        ResetSelection();
        if (n > rows)
            SetRowCount(n);
        fixedRows = n;
        return true;
    }
    bool SetFixedColumnCount(int n)
    {
        if (n == fixedCols)
            return true;
        if (n < 0)
            return false;
        ResetSelection();
        if (n > cols)
            SetColumnCount(n);
        fixedCols = n;
        return true;
    }
    // The height of the new row is the grid's to measure: the caller takes it.
    int InsertRow(const std::wstring& text, int before)
    {
        if (before >= 0 && (before < fixedRows || before >= rows))
            return -1;
        ResetSelection();
        if (cols == 0)
            SetColumnCount(1);
        const int index = before < 0 ? rows : before;
        cells.insert(cells.begin() + index, std::vector<ModelCell>(cols, NewCell()));
        cells[index][0].text = text;
        heights.insert(heights.begin() + index, 0);
        ++rows;
        DropSort(-1);
        return index;
    }
    int InsertColumn(const std::wstring& text, int before)
    {
        if (before >= 0 && (before < fixedCols || before > cols))
            return -1;
        ResetSelection();
        if (rows == 0)
            SetRowCount(1);
        const int index = before < 0 ? cols : before;
        for (auto& row : cells)
            row.insert(row.begin() + index, NewCell());
        cells[0][index].text = text;
        widths.insert(widths.begin() + index, 0);
        ++cols;
        DropSort(-1);
        return index;
    }
    bool DeleteRow(int row)
    {
        if (row < 0 || row >= rows)
            return false;
        ResetSelection();
        cells.erase(cells.begin() + row);
        heights.erase(heights.begin() + row);
        --rows;
        if (row < fixedRows)
            --fixedRows;
        DropSort(-1);
        return true;
    }
    bool DeleteColumn(int col)
    {
        if (col < 0 || col >= cols)
            return false;
        ResetSelection();
        for (auto& row : cells)
            row.erase(row.begin() + col);
        widths.erase(widths.begin() + col);
        --cols;
        if (col < fixedCols)
            --fixedCols;
        DropSort(-1);
        return true;
    }
    void DeleteAllItems()
    {
        ResetSelection();
        cells.clear();
        heights.clear();
        widths.clear();
        rows = cols = fixedRows = fixedCols = 0;
        DropSort(-1);
    }
    GridCellId SetFocusCell(int row, int col)
    {
        if (row != -1)
            row = std::max(row, fixedRows);
        if (col != -1)
            col = std::max(col, fixedCols);
        const GridCellId previous = focus;
        if (GridCellId(row, col) == GridCellId() || Valid(row, col))
            focus = GridCellId(row, col);
        return previous;
    }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool select)
    {
        if (!selectable)
            return;
        auto raise = [](int value, int fixed) { return value >= 0 && value < fixed ? fixed : value; };
        minRow = raise(minRow, fixedRows);
        maxRow = raise(maxRow, fixedRows);
        if (!fixedColsSelectable) {
            minCol = raise(minCol, fixedCols);
            maxCol = raise(maxCol, fixedCols);
        }
        if (select)
            for (auto& row : cells)
                for (ModelCell& cell : row)
                    cell.selected = false;
        const bool valid = minRow >= 0 && minCol >= 0 && maxRow < rows && maxCol < cols && minRow <= maxRow &&
                           minCol <= maxCol;
        if (!valid)
            return;
        for (int row = minRow; row <= maxRow; ++row)
            for (int col = minCol; col <= maxCol; ++col)
                cells[row][col].selected = select;
    }
    bool SingleRowSelection() const { return listMode && singleRow; }
    void SelectRows(const GridCellId& cell, const GridCellId& start, bool select)
    {
        if (!Valid(cell) || cell.row < fixedRows)
            return;
        const int firstCol = fixedColsSelectable ? 0 : fixedCols;
        if (SingleRowSelection())
            SetSelectedRange(cell.row, firstCol, cell.row, cols - 1, select);
        else
            SetSelectedRange(std::min(start.row, cell.row), firstCol, std::max(start.row, cell.row), cols - 1, select);
    }
    void SelectColumns(const GridCellId& cell, const GridCellId& start, bool select)
    {
        if (!Valid(cell) || cell.col < fixedCols)
            return;
        if (singleCol)
            SetSelectedRange(fixedRows, cell.col, rows - 1, cell.col, select);
        else
            SetSelectedRange(fixedRows, std::min(start.col, cell.col), rows - 1, std::max(start.col, cell.col), select);
    }
    void SelectCells(const GridCellId& cell, const GridCellId& start, bool select)
    {
        if (!Valid(cell) || Fixed(cell.row, cell.col))
            return;
        SetSelectedRange(std::min(start.row, cell.row), std::min(start.col, cell.col), std::max(start.row, cell.row),
                         std::max(start.col, cell.col), select);
    }
};

// The three ways the grid sorts: its text compare and numeric compare (keys
// taken once) and a compare function of the application's (cells compared).
enum class Compare { kText, kNumeric, kOwn };

int OwnTextCompare(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    return std::wcscmp(first->GetText(), second->GetText());
}

int CompareTexts(Compare compare, const std::wstring& a, const std::wstring& b)
{
    if (compare == Compare::kNumeric) {
        const long x = std::wcstol(a.c_str(), nullptr, 10);
        const long y = std::wcstol(b.c_str(), nullptr, 10);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return std::wcscmp(a.c_str(), b.c_str());
}

// The grid's quicksort of the rows, written out plainly: both parts by calls.
void SortRows(Model& model, Compare compare, int col, bool ascending, int low, int high)
{
    const std::wstring pivot = model.cells[(low + high) / 2][col].text;
    auto cmp = [&](int row, const std::wstring& with) {
        return CompareTexts(compare, model.cells[row][col].text, with);
    };
    int lower = low;
    int upper = high;
    while (lower <= upper) {
        if (ascending) {
            while (lower < high && cmp(lower, pivot) < 0)
                ++lower;
            while (upper > low && cmp(upper, pivot) > 0)
                --upper;
        } else {
            while (lower < high && cmp(lower, pivot) > 0)
                ++lower;
            while (upper > low && cmp(upper, pivot) < 0)
                --upper;
        }
        if (lower <= upper) {
            if (cmp(lower, model.cells[upper][col].text) != 0) {
                std::swap(model.cells[lower], model.cells[upper]);
                std::swap(model.heights[lower], model.heights[upper]);
            }
            ++lower;
            --upper;
        }
    }
    if (low < upper)
        SortRows(model, compare, col, ascending, low, upper);
    if (lower < high)
        SortRows(model, compare, col, ascending, lower, high);
}

// --- the window the grids live in, made once per process

constexpr wchar_t kParentClass[] = L"GridFuzzParent";

HWND Parent()
{
    static HWND parent = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kParentClass;
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(0, kParentClass, L"grid fuzz", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                 0, 0, 640, 480, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }();
    return parent;
}

void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// --- choices from the script

const wchar_t* const kChinese[] = {L"数据", L"文件夹", L"测量结果", L"超声波探伤仪的测量数据文件",
                                   L"项目"};

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
int PickCount(fuzz::Choices& choices, int current, int fixed, int across)
{
    const uint8_t b = choices.Byte();
    int count;
    switch (b % 10) {
    case 0:
        count = 0;
        break;
    case 1:
        count = current + 1;
        break;
    case 2:
        count = current - 1;
        break;
    case 3:
        count = fixed - 1;
        break;
    case 4:
        count = fixed;
        break;
    case 5:
        count = 100 + choices.Byte() * 8;
        break;
    case 6:
        count = -1 - (b >> 4);
        break;
    default:
        count = choices.Byte() % 16;
        break;
    }
    return Capped(count, across);
}

// --- one run of a script

enum Op {
    kSetRowCount,
    kSetColumnCount,
    kSetFixedRowCount,
    kSetFixedColumnCount,
    kInsertRow,
    kInsertColumn,
    kDeleteRow,
    kDeleteColumn,
    kSetText,
    kSetCellType,
    kSetCheck,
    kSort,
    kSelectRange,
    kSelectBy,
    kSetFocus,
    kEnsureVisible,
    kPaint,
    kKey,
    kSetSize,
    kDeleteMany,
    kEdit,
    kOption,
    kScroll,
    kResize,
    kClick,
    kCellExtras,
    kOpCount
};

const char* const kOpNames[kOpCount] = {
    "SetRowCount", "SetColumnCount", "SetFixedRowCount", "SetFixedColumnCount", "InsertRow", "InsertColumn",
    "DeleteRow", "DeleteColumn", "SetItemText", "SetCellType", "SetCheck", "SortItems", "SetSelectedRange",
    "Select", "SetFocusCell", "EnsureVisible", "paint", "key", "SetRowHeight/SetColumnWidth", "DeleteAll/NonFixed",
    "edit", "option", "scroll", "resize", "click", "cell extras"};

// How often each operation comes, out of the table's length.
const Op kOpTable[] = {
    kSetRowCount, kSetRowCount, kSetColumnCount, kSetColumnCount, kSetFixedRowCount, kSetFixedColumnCount,
    kInsertRow, kInsertRow, kInsertRow, kInsertColumn, kInsertColumn, kDeleteRow, kDeleteRow, kDeleteColumn,
    kSetText, kSetText, kSetText, kSetCellType, kSetCellType, kSetCheck, kSort, kSort, kSelectRange, kSelectRange,
    kSelectBy, kSetFocus, kSetFocus, kSetFocus, kEnsureVisible, kPaint, kPaint, kKey, kKey, kKey, kSetSize,
    kDeleteMany, kEdit, kEdit, kOption, kScroll, kResize, kClick, kClick, kCellExtras};

class Run {
public:
    Run(CGridCtrl& grid, fuzz::Choices& choices) : m_grid(grid), m_choices(choices)
    {
        m_model.rowHeight = grid.GetDefaultCell(false, false)->GetHeight();
        m_model.colWidth = grid.GetDefaultCell(false, true)->GetWidth();
    }

    std::string Go()
    {
        std::string finding = Check(true);
        for (int step = 0; step < kMaxSteps && finding.empty() && !m_choices.AtEnd(); ++step) {
            m_step = step;
            const Op op = kOpTable[m_choices.Byte() % (sizeof kOpTable / sizeof kOpTable[0])];
            m_what = kOpNames[op];
            finding = Step(op);
            Pump();
            if (finding.empty())
                finding = Check(false);
            m_history.push_back(m_what + m_args);
            m_args.clear();
            if (m_history.size() > 6)
                m_history.erase(m_history.begin());
        }
        if (finding.empty())
            finding = Check(true);
        return finding;
    }

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
    bool Chance(int n) { return m_choices.Byte() % n == 0; }

    std::string Step(Op op);
    // Most keys and edits need a focus cell, which most changes take away: one is given first.
    void FocusSomewhere();
    std::string Edit();
    std::string Check(bool full);
    std::string CheckCell(int row, int col);
    std::string ResyncAfterInput();
    std::string Expect(bool got, bool expected, const char* what)
    {
        return got == expected ? std::string() : Found(what, " returned ", got, ", expected ", expected);
    }
    std::string ExpectInt(int got, int expected, const char* what)
    {
        return got == expected ? std::string() : Found(what, " returned ", got, ", expected ", expected);
    }

    CGridCtrl& m_grid;
    fuzz::Choices& m_choices;
    Model m_model;
    int m_step = -1;
    std::string m_what = "creation";
    std::string m_args;
    std::vector<std::string> m_history;
};

std::string Run::Step(Op op)
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    switch (op) {
    case kSetRowCount: {
        const int n = PickCount(m_choices, m.rows, m.fixedRows, m.cols);
        Args(n);
        return Expect(g.SetRowCount(n), m.SetRowCount(n), "SetRowCount");
    }
    case kSetColumnCount: {
        const int n = PickCount(m_choices, m.cols, m.fixedCols, m.rows);
        Args(n);
        return Expect(g.SetColumnCount(n), m.SetColumnCount(n), "SetColumnCount");
    }
    case kSetFixedRowCount: {
        int n = static_cast<int>(m_choices.Byte() % (m.rows + 4)) - 1;
        if (n > m.rows)
            n = Capped(n, m.cols);
        Args(n);
        return Expect(g.SetFixedRowCount(n), m.SetFixedRowCount(n), "SetFixedRowCount");
    }
    case kSetFixedColumnCount: {
        int n = static_cast<int>(m_choices.Byte() % (m.cols + 4)) - 1;
        if (n > m.cols)
            n = Capped(n, m.rows);
        Args(n);
        return Expect(g.SetFixedColumnCount(n), m.SetFixedColumnCount(n), "SetFixedColumnCount");
    }
    case kInsertRow: {
        const std::wstring text = PickText(m_choices);
        const int before = PickIndex(m_choices, m.rows);
        Args(before, ", ", text.size(), " characters");
        if (static_cast<long long>(m.rows + 1) * std::max(m.cols, 1) > kMaxCells)
            return {};
        const int index = m.InsertRow(text, before);
        if (std::string f = ExpectInt(g.InsertRow(text.c_str(), before), index, "InsertRow"); !f.empty())
            return f;
        if (index >= 0) {
            // Its height is measured from its heading: only a plausible one is asked for.
            const int height = g.GetRowHeight(index);
            if (height < 0 || (text.empty() && height != g.GetDefaultCell(true, false)->GetHeight()))
                return Found("the new row has height ", height);
            m.heights[index] = height;
        }
        return {};
    }
    case kInsertColumn: {
        const std::wstring text = PickText(m_choices);
        const int before = PickIndex(m_choices, m.cols);
        const UINT format = m_choices.Byte() & 1 ? DT_LEFT | DT_SINGLELINE : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        Args(before, ", ", text.size(), " characters");
        if (static_cast<long long>(m.cols + 1) * std::max(m.rows, 1) > kMaxCells)
            return {};
        const int index = m.InsertColumn(text, before);
        if (std::string f = ExpectInt(g.InsertColumn(text.c_str(), format, before), index, "InsertColumn"); !f.empty())
            return f;
        if (index >= 0) {
            const int width = g.GetColumnWidth(index);
            if (width < 0)
                return Found("the new column has width ", width);
            m.widths[index] = width;
            for (int row = 0; row < m.rows; ++row)
                if (g.GetItemFormat(row, index) != format)
                    return Found("cell (", row, ", ", index, ") of the new column has format ",
                                 g.GetItemFormat(row, index));
        }
        return {};
    }
    case kDeleteRow: {
        const int row = PickIndex(m_choices, m.rows);
        Args(row);
        return Expect(g.DeleteRow(row), m.DeleteRow(row), "DeleteRow");
    }
    case kDeleteColumn: {
        const int col = PickIndex(m_choices, m.cols);
        Args(col);
        return Expect(g.DeleteColumn(col), m.DeleteColumn(col), "DeleteColumn");
    }
    case kSetText: {
        const int row = PickIndex(m_choices, m.rows);
        const int col = PickIndex(m_choices, m.cols);
        const std::wstring text = PickText(m_choices);
        Args(row, ", ", col, ", ", text.size(), " characters");
        const bool valid = m.Valid(row, col);
        if (valid) {
            m.cells[row][col].text = text;
            m.DropSort(col);
        }
        return Expect(g.SetItemText(row, col, text.c_str()), valid, "SetItemText");
    }
    case kSetCellType: {
        const int row = PickIndex(m_choices, m.rows);
        const int col = PickIndex(m_choices, m.cols);
        const Kind kind = static_cast<Kind>(m_choices.Byte() % kKinds);
        Args(row, ", ", col, ", ", ClassOf(kind)->name);
        const bool valid = m.Valid(row, col);
        if (valid) {
            // A new cell: the old one's text and state, the new class's own fields.
            m.cells[row][col].kind = kind;
            m.cells[row][col].checked = false;
        }
        return Expect(g.SetCellType(row, col, ClassOf(kind)), valid, "SetCellType");
    }
    case kSetCheck: {
        // Mostly on a check cell: the first one from a place in the grid.
        int row = PickIndex(m_choices, m.rows);
        int col = PickIndex(m_choices, m.cols);
        const bool flag = m_choices.Byte() & 1;
        for (int at = 0; m.Valid(row, col) && at < m.rows * m.cols; ++at) {
            const int index = (row * m.cols + col + at) % (m.rows * m.cols);
            if (m.cells[index / m.cols][index % m.cols].kind == Kind::kCheck) {
                row = index / m.cols;
                col = index % m.cols;
                break;
            }
        }
        Args(row, ", ", col, ", ", flag);
        auto* check = dynamic_cast<CGridCellCheck*>(g.GetCell(row, col));
        const bool isCheck = m.Valid(row, col) && m.cells[row][col].kind == Kind::kCheck;
        if ((check != nullptr) != isCheck)
            return Found("cell (", row, ", ", col, ") is a check cell: ", check != nullptr, ", expected ", isCheck);
        if (!check)
            return {};
        const bool previous = m.cells[row][col].checked;
        m.cells[row][col].checked = flag;
        return Expect(check->SetCheck(flag), previous, "SetCheck");
    }
    case kSort: {
        const int col = m_choices.Byte() % 8 == 0 ? PickIndex(m_choices, m.cols)
                                                  : (m.cols > 0 ? m_choices.Byte() % m.cols : 0);
        const bool ascending = m_choices.Byte() & 1;
        const Compare compare = static_cast<Compare>(m_choices.Byte() % 3);
        const char* const compareNames[] = {"text", "numeric", "own"};
        Args(col, ", ", ascending ? "ascending" : "descending", ", ", compareNames[static_cast<int>(compare)]);
        m.sortColumn = col;
        m.ResetSelection();
        const bool sorts = col >= 0 && col < m.cols && m.rows - 1 > m.fixedRows;
        std::vector<std::wstring> before;
        if (sorts) {
            for (int row = m.fixedRows; row < m.rows; ++row)
                before.push_back(m.cells[row][col].text);
            SortRows(m, compare, col, ascending, m.fixedRows, m.rows - 1);
        }
        bool sorted = false;
        switch (compare) {
        case Compare::kText:
            sorted = g.SortItems(col, ascending);
            break;
        case Compare::kNumeric:
            sorted = g.SortItems(&CGridCtrl::NumericCompare, col, ascending);
            break;
        case Compare::kOwn:
            sorted = g.SortItems(&OwnTextCompare, col, ascending);
            break;
        }
        if (std::string f = Expect(sorted, sorts, "SortItems"); !f.empty())
            return f;
        if (!sorts)
            return {};
        // Apart from the exact order: the sorted column in order by the grid's
        // own comparison, and the same texts as before.
        std::vector<std::wstring> after;
        for (int row = m.fixedRows; row < m.rows; ++row) {
            after.push_back(g.GetItemText(row, col).str());
            if (row > m.fixedRows) {
                const int order = CompareTexts(compare, after[after.size() - 2], after.back());
                if (ascending ? order > 0 : order < 0)
                    return Found("rows ", row - 1, " and ", row, " are out of order: \"", after[after.size() - 2],
                                 "\", \"", after.back(), "\"");
            }
        }
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        if (before != after)
            return Found("sorting changed the texts of column ", col);
        return {};
    }
    case kSelectRange: {
        const int minRow = PickIndex(m_choices, m.rows);
        const int minCol = PickIndex(m_choices, m.cols);
        int maxRow = PickIndex(m_choices, m.rows);
        int maxCol = PickIndex(m_choices, m.cols);
        if (m_choices.Byte() & 1) {
            // Mostly a range that selects something.
            maxRow = std::max(minRow, maxRow) % std::max(m.rows, 1);
            maxCol = std::max(minCol, maxCol) % std::max(m.cols, 1);
        }
        const bool select = m_choices.Byte() % 4 != 0;
        const bool force = m_choices.Byte() & 1;
        Args(minRow, ", ", minCol, ", ", maxRow, ", ", maxCol, ", ", force, ", ", select);
        m.SetSelectedRange(minRow, minCol, maxRow, maxCol, select);
        g.SetSelectedRange(minRow, minCol, maxRow, maxCol, force, select);
        return {};
    }
    case kSelectBy: {
        const GridCellId cell(PickIndex(m_choices, m.rows), PickIndex(m_choices, m.cols));
        const GridCellId start = g.GetSelectionStartCell();
        const bool select = m_choices.Byte() % 4 != 0;
        switch (m_choices.Byte() % 5) {
        case 0:
            Args("all");
            m.SetSelectedRange(m.fixedRows, m.fixedCols, m.rows - 1, m.cols - 1, true);
            g.SelectAllCells();
            break;
        case 1:
            Args("rows ", cell.row, ", ", cell.col, ", ", select);
            m.SelectRows(cell, start, select);
            g.SelectRows(cell, false, select);
            break;
        case 2:
            Args("columns ", cell.row, ", ", cell.col, ", ", select);
            m.SelectColumns(cell, start, select);
            g.SelectColumns(cell, false, select);
            break;
        case 3:
            Args("cells ", cell.row, ", ", cell.col, ", ", select);
            m.SelectCells(cell, start, select);
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
    case kSetFocus: {
        int row = PickIndex(m_choices, m.rows);
        int col = PickIndex(m_choices, m.cols);
        if (m_choices.Byte() % 4 == 0)
            row = col = -1;
        Args(row, ", ", col);
        const GridCellId previous = m.SetFocusCell(row, col);
        const GridCellId got = g.SetFocusCell(row, col);
        if (got != previous)
            return Found("SetFocusCell returned (", got.row, ", ", got.col, "), expected (", previous.row, ", ",
                         previous.col, ")");
        return {};
    }
    case kEnsureVisible: {
        // Mostly a cell of the grid.
        const bool inside = m_choices.Byte() % 4 != 0 && m.rows > 0 && m.cols > 0;
        const int row = inside ? m_choices.Byte() % m.rows : PickIndex(m_choices, m.rows);
        const int col = inside ? m_choices.Byte() % m.cols : PickIndex(m_choices, m.cols);
        Args(row, ", ", col);
        g.EnsureVisible(row, col);
        if (!m.Valid(row, col) || m.Fixed(row, col) || !g.GetRedraw())
            return {};
        // A cell that fits beside the fixed ones must then be on screen.
        const RECT client = g.GetClientRect();
        const bool fits = m.heights[row] > 0 && m.widths[col] > 0 &&
                          g.GetFixedRowHeight() + m.heights[row] <= client.bottom &&
                          g.GetFixedColumnWidth() + m.widths[col] <= client.right;
        if (fits && !g.IsCellVisible(row, col)) {
            const GridCellId topLeft = g.GetTopleftNonFixedCell();
            return Found("cell (", row, ", ", col, ") is not visible; top left (", topLeft.row, ", ", topLeft.col,
                         "), scrolled to ", g.GetScrollPos32(SB_HORZ), ", ", g.GetScrollPos32(SB_VERT), ", bars ",
                         g.GetScrollBarState(), ", client ", client.right, " x ", client.bottom);
        }
        // Where the grid says the cell is, it finds the cell again.
        RECT rect{};
        if (m.heights[row] > 0 && m.widths[col] > 0 && g.GetCellRect(row, col, &rect)) {
            if (rect.right - rect.left + 1 != m.widths[col] || rect.bottom - rect.top + 1 != m.heights[row])
                return Found("cell (", row, ", ", col, ") has a rectangle of ", rect.right - rect.left + 1, " x ",
                             rect.bottom - rect.top + 1);
            const POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            const GridCellId found = g.GetCellFromPt(middle);
            if (middle.x < client.right && middle.y < client.bottom && found != GridCellId(row, col))
                return Found("the middle of cell (", row, ", ", col, ") is in cell (", found.row, ", ", found.col,
                             ")");
        }
        return {};
    }
    case kPaint: {
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
    case kKey: {
        static const UINT keys[] = {VK_UP,  VK_DOWN, VK_LEFT,  VK_RIGHT, VK_HOME,
                                    VK_END, VK_TAB,  VK_PRIOR, VK_NEXT,  VK_DELETE};
        const UINT key = keys[m_choices.Byte() % (sizeof keys / sizeof keys[0])];
        FocusSomewhere();
        Args("key ", key, " from ", m.focus.row, ", ", m.focus.col);
        const GridCellId focus = m.focus;
        // Page keys move by what the view scrolled: the grid says where the focus went.
        const bool predicted = key != VK_PRIOR && key != VK_NEXT;
        GridCellId next = focus;
        if (m.Valid(focus) && predicted) {
            auto shown = [&](bool rows, int index) { return (rows ? m.heights[index] : m.widths[index]) > 0; };
            auto forward = [&](bool rows, int from) {
                for (int i = from + 1; i < (rows ? m.rows : m.cols); ++i)
                    if (shown(rows, i))
                        return i;
                return -1;
            };
            auto backward = [&](bool rows, int from) {
                for (int i = from - 1; i >= (rows ? m.fixedRows : m.fixedCols); --i)
                    if (shown(rows, i))
                        return i;
                return -1;
            };
            auto move = [](int& at, int to) {
                if (to >= 0)
                    at = to;
            };
            switch (key) {
            case VK_UP:
                move(next.row, backward(true, next.row));
                break;
            case VK_DOWN:
                move(next.row, forward(true, next.row));
                break;
            case VK_LEFT:
                move(next.col, backward(false, next.col));
                break;
            case VK_RIGHT:
                move(next.col, forward(false, next.col));
                break;
            case VK_HOME:
                move(next.col, forward(false, m.fixedCols - 1));
                break;
            case VK_END:
                move(next.col, backward(false, m.cols));
                break;
            case VK_TAB:
                if (forward(false, next.col) >= 0) {
                    next.col = forward(false, next.col);
                } else if (forward(true, next.row) >= 0 && forward(false, m.fixedCols - 1) >= 0) {
                    next.row = forward(true, next.row);
                    next.col = forward(false, m.fixedCols - 1);
                }
                break;
            default:
                break;
            }
            if (next != focus && m.Valid(next)) {
                if (m.listMode)
                    m.SelectRows(next, next, true);
                else
                    m.SelectCells(next, next, true);
                m.focus = next;
            }
        }
        g.Send(WM_KEYDOWN, key, 0);
        return predicted ? std::string() : ResyncAfterInput();
    }
    case kSetSize: {
        const bool rows = m_choices.Byte() & 1;
        const int index = PickIndex(m_choices, rows ? m.rows : m.cols);
        const uint8_t b = m_choices.Byte();
        const int size = b % 5 == 0 ? 0 : (b % 5 == 1 ? -1 - b / 16 : (b % 5 == 2 ? 200 + b * 4 : b % 40));
        Args(rows ? "row " : "column ", index, ", ", size);
        const bool valid = index >= 0 && index < (rows ? m.rows : m.cols) && size >= 0;
        if (valid)
            (rows ? m.heights : m.widths)[index] = size;
        return Expect(rows ? g.SetRowHeight(index, size) : g.SetColumnWidth(index, size), valid,
                      rows ? "SetRowHeight" : "SetColumnWidth");
    }
    case kDeleteMany:
        if (m_choices.Byte() % 3 == 0) {
            Args("all");
            m.DeleteAllItems();
            return Expect(g.DeleteAllItems(), true, "DeleteAllItems");
        }
        Args("non-fixed");
        m.ResetSelection();
        m.SetRowCount(m.fixedRows);
        return Expect(g.DeleteNonFixedRows(), true, "DeleteNonFixedRows");
    case kEdit:
        return Edit();
    case kOption: {
        const bool on = m_choices.Byte() & 1;
        switch (m_choices.Byte() % 8) {
        case 0:
            Args("EnableSelection ", on);
            m.ResetSelection();
            m.selectable = on;
            m.ResetSelection();
            g.EnableSelection(on);
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
        default:
            Args("SetGridLines, SetDoubleBuffering ", on);
            g.SetGridLines(m_choices.Byte() % 4);
            g.SetDoubleBuffering(on);
            break;
        }
        return {};
    }
    case kScroll: {
        static const UINT codes[] = {SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_TOP, SB_BOTTOM, SB_THUMBTRACK};
        const bool vertical = m_choices.Byte() & 1;
        const UINT code = codes[m_choices.Byte() % (sizeof codes / sizeof codes[0])];
        Args(vertical ? "vertical " : "horizontal ", code);
        g.Send(vertical ? WM_VSCROLL : WM_HSCROLL, code, 0);
        return {};
    }
    case kResize: {
        const int width = m_choices.Byte() % 5 == 0 ? 0 : 40 + m_choices.Byte() * 2;
        const int height = m_choices.Byte() % 5 == 0 ? 0 : 30 + m_choices.Byte();
        Args(width, " x ", height);
        ::SetWindowPos(g.Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        return {};
    }
    case kClick: {
        // A click (shift, never control: it keeps a selection the model does not hold).
        const RECT client = g.GetClientRect();
        const int x = m_choices.Byte() * std::max(1, static_cast<int>(client.right)) / 256;
        const int y = m_choices.Byte() * std::max(1, static_cast<int>(client.bottom)) / 256;
        const uint8_t b = m_choices.Byte();
        const WPARAM flags = b & 1 ? MK_SHIFT : 0;
        const int dx = b & 2 ? static_cast<int>(b >> 4) - 8 : 0;
        Args(x, ", ", y, flags ? ", shift" : "", dx ? ", dragged" : "", b & 4 ? ", twice" : "");
        const LPARAM down = MAKELPARAM(x, y);
        const LPARAM up = MAKELPARAM(std::max(0, x + dx), y);
        g.Send(WM_LBUTTONDOWN, MK_LBUTTON | flags, down);
        if (dx)
            g.Send(WM_MOUSEMOVE, MK_LBUTTON | flags, up);
        g.Send(WM_LBUTTONUP, flags, up);
        if (b & 4)
            g.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, down);
        Pump();
        return ResyncAfterInput();
    }
    case kCellExtras: {
        // What the special cells add, on whatever cell is there.
        const int row = PickIndex(m_choices, m.rows);
        const int col = PickIndex(m_choices, m.cols);
        Args(row, ", ", col);
        CGridCellBase* cell = g.GetCell(row, col);
        if (auto* combo = dynamic_cast<CGridCellCombo*>(cell)) {
            combo->SetOptions({L"a", L"bb", L"数据", fw::WString(300, L'x')});
            combo->SetStyle(m_choices.Byte() & 1 ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
        } else if (auto* time = dynamic_cast<CGridCellDateTime*>(cell)) {
            time->SetTime(static_cast<__time64_t>(1204675200) + m_choices.Byte() * 86400);
            m.cells[row][col].text = g.GetItemText(row, col).str();  // the date, written as the cell writes it
            if (m.cells[row][col].text.empty())
                return Found("a date-time cell has no text after SetTime");
        }
        return {};
    }
    default:
        return {};
    }
}

void Run::FocusSomewhere()
{
    Model& m = m_model;
    const bool wanted = m_choices.Byte() % 4 != 0;
    if (!wanted || m.Valid(m.focus) || m.rows <= m.fixedRows || m.cols <= m.fixedCols)
        return;
    const int row = m.fixedRows + m_choices.Byte() % (m.rows - m.fixedRows);
    const int col = m.fixedCols + m_choices.Byte() % (m.cols - m.fixedCols);
    m.SetFocusCell(row, col);
    m_grid.SetFocusCell(row, col);
}

// Types into the focus cell and ends the edit, or lets an operation that
// moves cells end it: the text goes into the cell it was opened on.
std::string Run::Edit()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    FocusSomewhere();
    const GridCellId at = m.focus;
    const uint8_t how = m_choices.Byte();
    Args(at.row, ", ", at.col, ", ending by ", how % 5);
    const wchar_t ch = how & 0x80 ? L'数' : L'7';
    g.Send(ch > 127 ? WM_IME_CHAR : WM_CHAR, ch, 0);
    HWND editor = ::GetDlgItem(g.Handle(), static_cast<int>(kGridEditorId));
    if (editor) {
        if (!m.Valid(at))
            return Found("an editor opened without a focus cell");
        wchar_t buffer[4096] = {};
        ::GetWindowTextW(editor, buffer, 4096);
        // The grid takes the editor's text back (its answer to the parent is 0: accepted).
        if (m.cells[at.row][at.col].text != buffer) {
            m.cells[at.row][at.col].text = buffer;
            m.DropSort(at.col);
        }
    }
    switch (how % 5) {
    case 0:
        g.EndEditing();
        break;
    case 1: {
        const int col = m.cols > 0 ? m_choices.Byte() % m.cols : 0;
        const bool sorts = m.rows - 1 > m.fixedRows && m.cols > 0;
        m.sortColumn = col;
        m.ResetSelection();
        if (sorts)
            SortRows(m, Compare::kText, col, true, m.fixedRows, m.rows - 1);
        g.SortItems(col, true);
        break;
    }
    case 2: {
        const int row = m.rows > 0 ? m_choices.Byte() % m.rows : 0;
        m.DeleteRow(row);
        g.DeleteRow(row);
        break;
    }
    case 3: {
        const std::wstring text = PickText(m_choices);
        if (m.InsertRow(text, -1) >= 0 && g.InsertRow(text.c_str()) >= 0)
            m.heights[m.rows - 1] = g.GetRowHeight(m.rows - 1);
        break;
    }
    default:
        m.DeleteAllItems();
        g.DeleteAllItems();
        break;
    }
    Pump();
    if (editor && ::IsWindow(editor))
        return Found("the editor is still open");
    if (CGridCellBase* cell = g.GetCell(at.row, at.col); cell && cell->IsEditing() && editor)
        return Found("cell (", at.row, ", ", at.col, ") is still editing");
    return {};
}

// After mouse and page keys, whose effect on focus, selection, check boxes
// and sizes is the grid's geometry's: take them from the grid, then check
// what must hold anyway.
std::string Run::ResyncAfterInput()
{
    Model& m = m_model;
    CGridCtrl& g = m_grid;
    if (HWND editor = ::GetDlgItem(g.Handle(), static_cast<int>(kGridEditorId))) {
        // A click on the focus cell edits it. Nothing was typed, but the
        // editor's text goes back all the same (a date-time picker's is its time).
        wchar_t buffer[4096] = {};
        ::GetWindowTextW(editor, buffer, 4096);
        for (int row = 0; row < m.rows; ++row)
            for (int col = 0; col < m.cols; ++col)
                if (CGridCellBase* cell = g.GetCell(row, col);
                    cell && cell->IsEditing() && m.cells[row][col].text != buffer) {
                    m.cells[row][col].text = buffer;
                    m.DropSort(col);
                }
        g.EndEditing();
        Pump();
        if (::IsWindow(editor))
            return Found("the editor is still open");
    }
    if (g.GetRowCount() != m.rows || g.GetColumnCount() != m.cols)
        return Found("the counts changed to ", g.GetRowCount(), " x ", g.GetColumnCount());
    const GridCellId focus = g.GetFocusCell();
    if (focus != GridCellId() && (!m.Valid(focus) || m.Fixed(focus.row, focus.col)))
        return Found("the focus cell moved to (", focus.row, ", ", focus.col, ")");
    m.focus = focus;
    for (int row = 0; row < m.rows; ++row) {
        m.heights[row] = g.GetRowHeight(row);
        for (int col = 0; col < m.cols; ++col) {
            ModelCell& cell = m.cells[row][col];
            cell.selected = g.IsCellSelected(row, col);
            if (auto* check = dynamic_cast<CGridCellCheck*>(g.GetCell(row, col)))
                cell.checked = check->GetCheck();
            // A click can open and close a picker or a list, which write back what they show.
            if (cell.kind == Kind::kDateTime || cell.kind == Kind::kCombo) {
                const std::wstring text = g.GetItemText(row, col).str();
                if (text != cell.text) {
                    cell.text = text;
                    m.DropSort(col);
                }
            }
        }
    }
    for (int col = 0; col < m.cols; ++col)
        m.widths[col] = g.GetColumnWidth(col);
    return {};
}

std::string Run::CheckCell(int row, int col)
{
    const Model& m = m_model;
    const ModelCell& expected = m.cells[row][col];
    CGridCellBase* cell = m_grid.GetCell(row, col);
    if (!cell)
        return Found("cell (", row, ", ", col, ") is missing");
    if (cell->GetRuntimeClass() != ClassOf(expected.kind))
        return Found("cell (", row, ", ", col, ") is a ", cell->GetRuntimeClass()->name, ", expected a ",
                     ClassOf(expected.kind)->name);
    if (expected.text != cell->GetText())
        return Found(cell->GetRuntimeClass()->name, " (", row, ", ", col, ") holds \"", std::wstring(cell->GetText()),
                     "\", expected \"", expected.text, "\"");
    if (expected.kind == Kind::kCheck && static_cast<CGridCellCheck*>(cell)->GetCheck() != expected.checked)
        return Found("check cell (", row, ", ", col, ") is ", !expected.checked, ", expected ", expected.checked);
    const bool fixedRow = row < m.fixedRows;
    const bool fixedCol = col < m.fixedCols;
    UINT state = 0;
    if (fixedRow)
        state |= GridState::kFixed | GridState::kFixedRow;
    if (fixedCol)
        state |= GridState::kFixed | GridState::kFixedCol;
    if (expected.selected)
        state |= GridState::kSelected;
    if (m.focus == GridCellId(row, col))
        state |= GridState::kFocused;
    const UINT mask = GridState::kFocused | GridState::kSelected | GridState::kFixed | GridState::kFixedRow |
                      GridState::kFixedCol;
    if ((cell->GetState() & mask) != state)
        return Found("cell (", row, ", ", col, ") has state ", cell->GetState() & mask, ", expected ", state);
    if (m_grid.IsCellSelected(row, col) != (expected.selected && m.selectable))
        return Found("IsCellSelected (", row, ", ", col, ") is ", !expected.selected);
    return {};
}

std::string Run::Check(bool full)
{
    const Model& m = m_model;
    CGridCtrl& g = m_grid;
    if (g.GetRowCount() != m.rows || g.GetColumnCount() != m.cols || g.GetFixedRowCount() != m.fixedRows ||
        g.GetFixedColumnCount() != m.fixedCols)
        return Found("the grid is ", g.GetRowCount(), " x ", g.GetColumnCount(), " with ", g.GetFixedRowCount(),
                     " x ", g.GetFixedColumnCount(), " fixed, expected ", m.rows, " x ", m.cols, " with ", m.fixedRows,
                     " x ", m.fixedCols);
    const GridCellId focus = g.GetFocusCell();
    if (focus != m.focus)
        return Found("the focus cell is (", focus.row, ", ", focus.col, "), expected (", m.focus.row, ", ",
                     m.focus.col, ")");
    // Whatever the model says: no focus, or a cell of the grid that is not fixed.
    if (focus != GridCellId() && (!g.IsValid(focus) || g.IsCellFixed(focus.row, focus.col)))
        return Found("the focus cell (", focus.row, ", ", focus.col, ") lies outside the grid's non-fixed cells");
    if (g.GetSortColumn() != m.sortColumn)
        return Found("the sort column is ", g.GetSortColumn(), ", expected ", m.sortColumn);

    // Outside the grid there is nothing.
    const GridCellId outside[] = {{-1, 0}, {0, -1}, {m.rows, 0}, {0, m.cols}, {INT_MAX, INT_MIN}, {m.rows, m.cols}};
    for (const GridCellId& cell : outside)
        if (g.GetCell(cell.row, cell.col) || !g.GetItemText(cell.row, cell.col).IsEmpty() ||
            g.IsCellSelected(cell.row, cell.col))
            return Found("there is a cell at (", cell.row, ", ", cell.col, ")");
    if (g.GetRowHeight(m.rows) != -1 || g.GetColumnWidth(m.cols) != -1 || g.GetRowHeight(-1) != -1)
        return Found("a size outside the grid");

    int selected = 0;
    GridCellRange range(m.rows, m.cols, -1, -1);
    for (int row = 0; row < m.rows; ++row)
        for (int col = 0; col < m.cols; ++col)
            if (m.cells[row][col].selected) {
                ++selected;
                range = GridCellRange(std::min(range.minRow, row), std::min(range.minCol, col),
                                      std::max(range.maxRow, row), std::max(range.maxCol, col));
            }
    if (g.GetSelectedCount() != selected)
        return Found(g.GetSelectedCount(), " cells selected, expected ", selected);
    const GridCellRange got = g.GetSelectedCellRange();
    if (!(got == range))
        return Found("the selected range is (", got.minRow, ", ", got.minCol, ", ", got.maxRow, ", ", got.maxCol,
                     "), expected (", range.minRow, ", ", range.minCol, ", ", range.maxRow, ", ", range.maxCol, ")");

    // Every row, or a sample of them on a large grid: the edges, the fixed rows and the focus row.
    const bool all = full || static_cast<long long>(m.rows) * m.cols <= kFullCheckCells;
    const int stride = all ? 1 : std::max(1, m.rows / 40);
    for (int row = 0; row < m.rows; ++row) {
        const bool sampled = all || row % stride == m_step % stride || row < m.fixedRows + 2 || row >= m.rows - 2 ||
                             row == m.focus.row;
        if (!sampled)
            continue;
        if (g.GetRowHeight(row) != m.heights[row])
            return Found("row ", row, " is ", g.GetRowHeight(row), " high, expected ", m.heights[row]);
        for (int col = 0; col < m.cols; ++col)
            if (std::string f = CheckCell(row, col); !f.empty())
                return f;
    }
    for (int col = 0; col < m.cols; ++col)
        if (g.GetColumnWidth(col) != m.widths[col])
            return Found("column ", col, " is ", g.GetColumnWidth(col), " wide, expected ", m.widths[col]);
    return {};
}

}  // namespace

FUZZ_TARGET(grid, 200, "CGridCtrl: random operations against a model of rows, cells, focus and selection")
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
    Run run(grid, choices);
    std::string finding = run.Go();
    Pump();
    return finding;
}

FUZZ_SEEDS(grid)
{
    std::vector<Bytes> seeds;
    fuzz::Random random(20240611);
    for (size_t length : {200, 400, 700, 1000, 1500, 2200, 3000, 4000}) {
        Bytes seed;
        for (size_t i = 0; i < length; ++i)
            seed += static_cast<char>(random.Below(256));
        seeds.push_back(seed);
    }
    return seeds;
}
