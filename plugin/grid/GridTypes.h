#pragma once
// Small value types shared by the grid and its cells: cell identifiers and
// ranges, the state flags, and the records the grid sends to its parent.

#include <windows.h>
#include <commctrl.h>

#include "framework/WString.h"

// A cell's position; (-1, -1) is "no cell".
struct GridCellId {
    int row = -1;
    int col = -1;

    GridCellId() = default;
    GridCellId(int r, int c) : row(r), col(c) {}
    friend bool operator==(const GridCellId& a, const GridCellId& b) { return a.row == b.row && a.col == b.col; }
    friend bool operator!=(const GridCellId& a, const GridCellId& b) { return !(a == b); }
};

// A rectangle of cells, bounds inclusive.
struct GridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    GridCellRange() = default;
    GridCellRange(int r1, int c1, int r2, int c2) : minRow(r1), minCol(c1), maxRow(r2), maxCol(c2) {}
    bool Contains(int row, int col) const
    {
        return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
    friend bool operator==(const GridCellRange& a, const GridCellRange& b)
    {
        return a.minRow == b.minRow && a.minCol == b.minCol && a.maxRow == b.maxRow && a.maxCol == b.maxCol;
    }
};

// Cell state flags.
namespace GridState {
constexpr UINT kFocused = 0x0001;
constexpr UINT kSelected = 0x0002;
constexpr UINT kDropHighlighted = 0x0004;
constexpr UINT kReadOnly = 0x0008;
constexpr UINT kFixed = 0x0010;
constexpr UINT kFixedRow = 0x0020;
constexpr UINT kFixedCol = 0x0040;
constexpr UINT kModified = 0x0080;
}  // namespace GridState

// A colour that means "take the default cell's colour".
constexpr COLORREF kGridDefaultColour = 0xFF000000;
// Format and margin values that mean "take the default cell's".
constexpr UINT kGridDefaultFormat = 0xFFFFFFFF;
constexpr UINT kGridDefaultMargin = 0xFFFFFFFF;

// Grid-line modes (0 none; lines are drawn for any other value).
namespace GridLines {
constexpr int kNone = 0;
constexpr int kHorizontal = 1;
constexpr int kVertical = 2;
constexpr int kBoth = 3;
}  // namespace GridLines

// Auto-size flags: which rows count when a column is measured.
namespace GridAutoSize {
constexpr UINT kHeader = 0x1;
constexpr UINT kData = 0x2;
constexpr UINT kBoth = 0x3;
}  // namespace GridAutoSize

// Identifier of the in-place editor child window.
constexpr UINT kGridEditorId = 8;
// The grid hands the WM_COMMAND notifications of its in-place editor back to
// it with this message (wParam and lParam as they came).
constexpr UINT kGridReflectedCommand = WM_APP + 2;
// The platform's select-all command.
constexpr UINT kGridSelectAllCommand = 0xE12A;

// WM_NOTIFY record of the grid: the header, then the cell.
struct GridNotification {
    NMHDR hdr;
    int row;
    int column;
};

// Display record: filled by the application in virtual mode (LVN_GETDISPINFOW
// or the display callback) and sent by the in-place editor with LVN_ENDLABELEDITW.
struct GridDisplayInfo {
    NMHDR hdr;
    int row;
    int column;
    UINT mask;
    UINT state;
    UINT format;
    int image;
    COLORREF backColour;
    COLORREF textColour;
    LPARAM data;  // the editor puts the key that ended the edit here
    LOGFONTW font;
    UINT margin;
    fw::WString text;
};

// Fills the header of a grid record (the sender, its control id, the code)
// and sends the record to target as WM_NOTIFY; the target's answer.
inline LRESULT SendGridNotify(HWND target, HWND from, NMHDR& header, int code)
{
    header.hwndFrom = from;
    header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(from));
    header.code = static_cast<UINT>(code);
    return ::SendMessageW(target, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

class CGridCellBase;
// Supplies a cell's contents in virtual mode instead of a notification.
using GridDisplayCallback = BOOL (*)(GridDisplayInfo* info, LPARAM user);
// Orders two cells for sorting: negative, zero or positive.
using GridCompareFunction = int (*)(const CGridCellBase* first, const CGridCellBase* second, LPARAM user);
