// Geometry of the grid (where rows and columns lie on screen), painting and
// the scroll bars.
#include "GridCtrl.h"

#include <algorithm>

#include "framework/Gdi.h"

namespace {

void FillClipped(HDC dc, const RECT& area, const RECT& clip, COLORREF colour)
{
    RECT part;
    if (colour == kGridDefaultColour || !::IntersectRect(&part, &area, &clip))
        return;
    fw::Brush brush(::CreateSolidBrush(colour));
    if (brush)
        ::FillRect(dc, &part, brush.Get());
}

}  // namespace

// --- geometry

int CGridCtrl::GetFixedRowHeight() const
{
    int height = 0;
    for (int row = 0; row < m_fixedRowCount; ++row)
        height += GetRowHeight(row);
    return height;
}

int CGridCtrl::GetFixedColumnWidth() const
{
    int width = 0;
    for (int col = 0; col < m_fixedColCount; ++col)
        width += GetColumnWidth(col);
    return width;
}

int CGridCtrl::GetVirtualHeight() const
{
    int height = 0;
    for (int row = 0; row < m_rowCount; ++row)
        height += GetRowHeight(row);
    return height;
}

int CGridCtrl::GetVirtualWidth() const
{
    int width = 0;
    for (int col = 0; col < m_colCount; ++col)
        width += GetColumnWidth(col);
    return width;
}

int CGridCtrl::GetScrollBarState() const
{
    const_cast<CGridCtrl*>(this)->ApplyDueScrollBars();
    return m_scrollBars;
}

int CGridCtrl::GetScrollPos32(int bar, bool track) const
{
    if (!IsWindow())
        return 0;
    const_cast<CGridCtrl*>(this)->ApplyDueScrollBars();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = track ? SIF_TRACKPOS : SIF_POS;
    if (!::GetScrollInfo(m_hwnd, bar, &info))
        return 0;
    return track ? info.nTrackPos : info.nPos;
}

bool CGridCtrl::SetScrollPos32(int bar, int pos, bool redraw)
{
    if (!IsWindow())
        return false;
    ApplyDueScrollBars();
    ForgetTopLeft();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = pos;
    ::SetScrollInfo(m_hwnd, bar, &info, redraw);
    return true;
}

GridCellId CGridCtrl::GetTopleftNonFixedCell(bool forceRecalculation)
{
    ApplyDueScrollBars();  // may move the scroll positions
    if (m_topLeft.row >= 0 && m_topLeft.col >= 0 && !forceRecalculation)
        return m_topLeft;
    const int vertical = GetScrollPos32(SB_VERT);
    const int horizontal = GetScrollPos32(SB_HORZ);
    int row = m_fixedRowCount;
    for (int passed = 0; passed < vertical && row < m_rowCount - 1; ++row)
        passed += GetRowHeight(row);
    int col = m_fixedColCount;
    for (int passed = 0; passed < horizontal && col < m_colCount - 1; ++col)
        passed += GetColumnWidth(col);
    m_topLeft = GridCellId(row, col);
    return m_topLeft;
}

GridCellRange CGridCtrl::GetVisibleNonFixedCellRange(RECT* rect)
{
    ApplyDueScrollBars();  // a bar may take room from the client area
    RECT client = GetClientRect();
    const GridCellId topLeft = GetTopleftNonFixedCell();

    int bottom = GetFixedRowHeight();
    int maxRow = topLeft.row;
    for (int row = topLeft.row; row < m_rowCount; ++row) {
        maxRow = row;
        bottom += GetRowHeight(row);
        if (bottom >= client.bottom) {
            bottom = client.bottom;
            break;
        }
    }
    int right = GetFixedColumnWidth();
    int maxCol = topLeft.col;
    for (int col = topLeft.col; col < m_colCount; ++col) {
        maxCol = col;
        right += GetColumnWidth(col);
        if (right >= client.right) {
            right = client.right;
            break;
        }
    }
    if (rect)
        *rect = RECT{client.left, client.top, right, bottom};
    return GridCellRange(topLeft.row, topLeft.col, std::min(maxRow, m_rowCount - 1), std::min(maxCol, m_colCount - 1));
}

bool CGridCtrl::GetCellOrigin(int row, int col, POINT* origin)
{
    if (!IsValid(row, col))
        return false;
    const GridCellId topLeft = GetTopleftNonFixedCell();
    int x = 0;
    if (col < m_fixedColCount) {
        for (int c = 0; c < col; ++c)
            x += GetColumnWidth(c);
    } else {
        if (col < topLeft.col)
            return false;
        x = GetFixedColumnWidth();
        for (int c = topLeft.col; c < col; ++c)
            x += GetColumnWidth(c);
    }
    int y = 0;
    if (row < m_fixedRowCount) {
        for (int r = 0; r < row; ++r)
            y += GetRowHeight(r);
    } else {
        if (row < topLeft.row)
            return false;
        y = GetFixedRowHeight();
        for (int r = topLeft.row; r < row; ++r)
            y += GetRowHeight(r);
    }
    origin->x = x;
    origin->y = y;
    return true;
}

bool CGridCtrl::GetCellRect(int row, int col, RECT* rect)
{
    POINT origin{};
    if (!GetCellOrigin(row, col, &origin))
        return false;
    rect->left = origin.x;
    rect->top = origin.y;
    rect->right = origin.x + GetColumnWidth(col) - 1;
    rect->bottom = origin.y + GetRowHeight(row) - 1;
    return true;
}

bool CGridCtrl::GetCellRangeRect(const GridCellRange& range, RECT* rect)
{
    RECT first{};
    RECT last{};
    if (!IsValid(range) || !GetCellRect(range.minRow, range.minCol, &first) ||
        !GetCellRect(range.maxRow, range.maxCol, &last))
        return false;
    *rect = RECT{first.left, first.top, last.right, last.bottom};
    return true;
}

bool CGridCtrl::IsCellVisible(int row, int col)
{
    if (!IsWindow() || !IsValid(row, col))
        return false;
    ApplyDueScrollBars();
    const RECT client = GetClientRect();
    const GridCellId topLeft = GetTopleftNonFixedCell();
    // Accumulate only as far as the client area reaches.
    int x = 0;
    if (col < m_fixedColCount) {
        for (int c = 0; c < col && x < client.right; ++c)
            x += GetColumnWidth(c);
    } else {
        if (col < topLeft.col)
            return false;
        x = GetFixedColumnWidth();
        for (int c = topLeft.col; c < col && x < client.right; ++c)
            x += GetColumnWidth(c);
    }
    if (x >= client.right)
        return false;
    int y = 0;
    if (row < m_fixedRowCount) {
        for (int r = 0; r < row && y < client.bottom; ++r)
            y += GetRowHeight(r);
    } else {
        if (row < topLeft.row)
            return false;
        y = GetFixedRowHeight();
        for (int r = topLeft.row; r < row && y < client.bottom; ++r)
            y += GetRowHeight(r);
    }
    return y < client.bottom;
}

GridCellId CGridCtrl::GetCellFromPt(POINT point, bool allowFixed)
{
    const GridCellId topLeft = GetTopleftNonFixedCell();
    GridCellId cell;
    if (!allowFixed && !IsValid(topLeft))
        return cell;

    const int fixedWidth = GetFixedColumnWidth();
    if (point.x < 0 || (!allowFixed && point.x < fixedWidth)) {
        cell.col = -1;
    } else if (point.x < fixedWidth) {
        int x = 0;
        int col = 0;
        for (; col < m_fixedColCount; ++col) {
            x += GetColumnWidth(col);
            if (x > point.x)
                break;
        }
        cell.col = col < m_fixedColCount ? col : -1;
    } else {
        int x = fixedWidth;
        int col = topLeft.col;
        for (; col < m_colCount; ++col) {
            x += GetColumnWidth(col);
            if (x > point.x)
                break;
        }
        cell.col = col < m_colCount ? col : -1;
    }

    const int fixedHeight = GetFixedRowHeight();
    if (point.y < 0 || (!allowFixed && point.y < fixedHeight)) {
        cell.row = -1;
    } else if (point.y < fixedHeight) {
        int y = 0;
        int row = 0;
        for (; row < m_fixedRowCount; ++row) {
            y += GetRowHeight(row);
            if (y > point.y)
                break;
        }
        cell.row = row < m_fixedRowCount ? row : -1;
    } else {
        int y = fixedHeight;
        int row = topLeft.row;
        for (; row < m_rowCount; ++row) {
            y += GetRowHeight(row);
            if (y > point.y)
                break;
        }
        cell.row = row < m_rowCount ? row : -1;
    }
    return cell;
}

// --- drawing

bool CGridCtrl::RedrawCell(int row, int col, HDC dc)
{
    if (!m_allowDraw || !IsWindow() || !IsValid(row, col))
        return false;
    RECT rect{};
    if (!GetCellRect(row, col, &rect))
        return false;
    if (!dc) {
        RECT area{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
        ::InvalidateRect(m_hwnd, &area, TRUE);
        return true;
    }
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    cell->SetCoords(row, col);
    bool drawn = cell->Draw(dc, row, col, rect, true);
    if (m_gridLines != GridLines::kNone && !IsCellFixed(row, col)) {
        fw::Pen pen(::CreatePen(PS_SOLID, 1, m_gridLineColour));
        fw::SelectGuard select(dc, pen.Get());
        if (m_gridLines == GridLines::kHorizontal || m_gridLines == GridLines::kBoth) {
            ::MoveToEx(dc, rect.left, rect.bottom, nullptr);
            ::LineTo(dc, rect.right + 1, rect.bottom);
        }
        if (m_gridLines == GridLines::kVertical || m_gridLines == GridLines::kBoth) {
            ::MoveToEx(dc, rect.right, rect.top, nullptr);
            ::LineTo(dc, rect.right, rect.bottom + 1);
        }
    }
    return drawn;
}

bool CGridCtrl::RedrawRow(int row)
{
    if (!m_allowDraw || !IsWindow() || row < 0 || row >= m_rowCount || m_colCount == 0)
        return false;
    POINT origin{};
    if (!GetCellOrigin(row, m_fixedColCount > 0 ? 0 : GetTopleftNonFixedCell().col, &origin))
        return false;
    RECT client = GetClientRect();
    RECT area{client.left, origin.y, client.right, origin.y + GetRowHeight(row)};
    ::InvalidateRect(m_hwnd, &area, TRUE);
    return true;
}

bool CGridCtrl::RedrawColumn(int col)
{
    if (!m_allowDraw || !IsWindow() || col < 0 || col >= m_colCount || m_rowCount == 0)
        return false;
    POINT origin{};
    if (!GetCellOrigin(m_fixedRowCount > 0 ? 0 : GetTopleftNonFixedCell().row, col, &origin))
        return false;
    RECT client = GetClientRect();
    RECT area{origin.x, client.top, origin.x + GetColumnWidth(col), client.bottom};
    ::InvalidateRect(m_hwnd, &area, TRUE);
    return true;
}

void CGridCtrl::OnDraw(HDC dc)
{
    if (!m_allowDraw || !dc)
        return;
    ApplyDueScrollBars();
    RECT clip{};
    if (::GetClipBox(dc, &clip) == ERROR || ::IsRectEmpty(&clip))
        return;

    const RECT client = GetClientRect();
    const int fixedWidth = GetFixedColumnWidth();
    const int fixedHeight = GetFixedRowHeight();
    RECT visibleRect{};
    const GridCellRange visible = GetVisibleNonFixedCellRange(&visibleRect);
    const int right = std::max(fixedWidth, static_cast<int>(visibleRect.right));
    const int bottom = std::max(fixedHeight, static_cast<int>(visibleRect.bottom));

    // Backgrounds.
    FillClipped(dc, RECT{0, 0, fixedWidth, fixedHeight}, clip, m_defaultCells[3].GetBackColour());
    FillClipped(dc, RECT{fixedWidth, 0, right, fixedHeight}, clip, m_defaultCells[2].GetBackColour());
    FillClipped(dc, RECT{0, fixedHeight, fixedWidth, bottom}, clip, m_defaultCells[1].GetBackColour());
    FillClipped(dc, RECT{fixedWidth, fixedHeight, right, bottom}, clip, m_defaultCells[0].GetBackColour());
    FillClipped(dc, RECT{right, 0, std::max(right, static_cast<int>(client.right)), std::max(bottom, static_cast<int>(client.bottom))},
                clip, m_backColour);
    FillClipped(dc, RECT{0, bottom, right, std::max(bottom, static_cast<int>(client.bottom))}, clip, m_backColour);

    // Most cells draw with the normal default cell's font: selected once here,
    // the cells need not select it again.
    fw::SelectGuard font(dc, m_defaultCells[0].GetFontObject());
    auto drawCell = [&](int row, int col, int x, int y) {
        const int width = GetColumnWidth(col);
        const int height = GetRowHeight(row);
        if (width <= 0 || height <= 0)
            return;
        RECT rect{x, y, x + width - 1, y + height - 1};
        if (rect.left >= clip.right || rect.right < clip.left || rect.top >= clip.bottom || rect.bottom < clip.top)
            return;
        if (CGridCellBase* cell = GetCell(row, col)) {
            cell->SetCoords(row, col);
            cell->Draw(dc, row, col, rect, false);
        }
    };

    // The corner, the fixed columns of the visible rows, the fixed rows of
    // the visible columns, then the visible cells.
    int y = 0;
    for (int row = 0; row < m_fixedRowCount; ++row) {
        int x = 0;
        for (int col = 0; col < m_fixedColCount; ++col) {
            drawCell(row, col, x, y);
            x += GetColumnWidth(col);
        }
        y += GetRowHeight(row);
    }
    if (visible.minRow >= 0 && visible.minRow < m_rowCount) {
        y = fixedHeight;
        for (int row = visible.minRow; row <= visible.maxRow; ++row) {
            int x = 0;
            for (int col = 0; col < m_fixedColCount; ++col) {
                drawCell(row, col, x, y);
                x += GetColumnWidth(col);
            }
            y += GetRowHeight(row);
        }
    }
    if (visible.minCol >= 0 && visible.minCol < m_colCount) {
        y = 0;
        for (int row = 0; row < m_fixedRowCount; ++row) {
            int x = fixedWidth;
            for (int col = visible.minCol; col <= visible.maxCol; ++col) {
                drawCell(row, col, x, y);
                x += GetColumnWidth(col);
            }
            y += GetRowHeight(row);
        }
    }
    const bool bodyVisible = visible.minRow >= 0 && visible.minRow < m_rowCount && visible.minCol >= 0 &&
                             visible.minCol < m_colCount;
    if (bodyVisible) {
        y = fixedHeight;
        for (int row = visible.minRow; row <= visible.maxRow; ++row) {
            int x = fixedWidth;
            for (int col = visible.minCol; col <= visible.maxCol; ++col) {
                drawCell(row, col, x, y);
                x += GetColumnWidth(col);
            }
            y += GetRowHeight(row);
        }
    }

    // Grid lines over the non-fixed area only.
    if (m_gridLines != GridLines::kNone && bodyVisible) {
        fw::Pen pen(::CreatePen(PS_SOLID, 1, m_gridLineColour));
        fw::SelectGuard select(dc, pen.Get());
        if (m_gridLines == GridLines::kVertical || m_gridLines == GridLines::kBoth) {
            int x = fixedWidth;
            for (int col = visible.minCol; col <= visible.maxCol; ++col) {
                const int width = GetColumnWidth(col);
                x += width;
                if (width <= 0)
                    continue;
                ::MoveToEx(dc, x - 1, fixedHeight, nullptr);
                ::LineTo(dc, x - 1, bottom);
            }
        }
        if (m_gridLines == GridLines::kHorizontal || m_gridLines == GridLines::kBoth) {
            y = fixedHeight;
            for (int row = visible.minRow; row <= visible.maxRow; ++row) {
                const int height = GetRowHeight(row);
                y += height;
                if (height <= 0)
                    continue;
                ::MoveToEx(dc, fixedWidth, y - 1, nullptr);
                ::LineTo(dc, right, y - 1);
            }
        }
    }
}

void CGridCtrl::OnPaint()
{
    ApplyDueScrollBars();  // not while painting: showing a bar changes the window
    fw::PaintDC paint(m_hwnd);
    if (!paint.Get())
        return;
    if (!m_drawOffScreen) {
        OnDraw(paint.Get());
        return;
    }
    const RECT client = GetClientRect();
    fw::MemoryBitmap buffer(client.right, client.bottom, paint.Get());
    if (!buffer.IsValid()) {
        OnDraw(paint.Get());
        return;
    }
    OnDraw(buffer.DC());
    ::BitBlt(paint.Get(), 0, 0, client.right, client.bottom, buffer.DC(), 0, 0, SRCCOPY);
}

// --- scroll bars

void CGridCtrl::ResetScrollBarsSoon()
{
    // Growth of the non-fixed rows or columns alone never moves a scroll
    // position, so the bars can wait: recomputing them once after a run of
    // such changes gives what recomputing them after each one gives.
    m_scrollBarsDue = true;
    if (m_allowDraw && IsWindow() && !m_scrollBarsPosted)
        m_scrollBarsPosted = Post(kApplyScrollBarsMessage);
}

void CGridCtrl::ApplyDueScrollBars()
{
    if (m_scrollBarsDue && m_allowDraw && !m_destroying)
        ResetScrollBars();
}

void CGridCtrl::ResetScrollBars()
{
    if (!m_allowDraw || !IsWindow()) {
        m_scrollBarsDue = true;  // once redraw is allowed again
        return;
    }
    m_scrollBarsDue = false;
    RECT rect = GetClientRect();
    if (::IsRectEmpty(&rect))
        return;
    ForgetTopLeft();
    // Work with the area the bars would leave if none were shown.
    if (m_scrollBars & 0x2)
        rect.right += ::GetSystemMetrics(SM_CXVSCROLL) + ::GetSystemMetrics(SM_CXBORDER);
    if (m_scrollBars & 0x1)
        rect.bottom += ::GetSystemMetrics(SM_CYHSCROLL) + ::GetSystemMetrics(SM_CYBORDER);

    const int fixedWidth = GetFixedColumnWidth();
    const int fixedHeight = GetFixedRowHeight();
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_PAGE | SIF_RANGE;
    if (fixedWidth >= rect.right - rect.left || fixedHeight >= rect.bottom - rect.top) {
        ::SetScrollInfo(m_hwnd, SB_HORZ, &info, FALSE);
        ::SetScrollInfo(m_hwnd, SB_VERT, &info, FALSE);
        ::ShowScrollBar(m_hwnd, SB_BOTH, FALSE);
        m_scrollBars = 0;
        ForgetTopLeft();
        return;
    }

    const int totalHeight = GetVirtualHeight() - fixedHeight;
    const int totalWidth = GetVirtualWidth() - fixedWidth;
    const bool needVertical = rect.bottom - rect.top - fixedHeight < totalHeight;
    if (needVertical)
        rect.right -= ::GetSystemMetrics(SM_CXVSCROLL);
    const bool needHorizontal = rect.right - rect.left - fixedWidth < totalWidth;
    if (needHorizontal)
        rect.bottom -= ::GetSystemMetrics(SM_CYHSCROLL);

    SCROLLINFO horizontal = info;
    if (needHorizontal) {
        horizontal.nMax = totalWidth - 1;
        horizontal.nPage = static_cast<UINT>(std::max(0, static_cast<int>(rect.right - rect.left) - fixedWidth));
    }
    SCROLLINFO vertical = info;
    vertical.fMask |= SIF_DISABLENOSCROLL;
    if (needVertical) {
        vertical.nMax = totalHeight - 1;
        vertical.nPage = static_cast<UINT>(std::max(0, static_cast<int>(rect.bottom - rect.top) - fixedHeight));
    }
    ::SetScrollInfo(m_hwnd, SB_HORZ, &horizontal, TRUE);
    ::SetScrollInfo(m_hwnd, SB_VERT, &vertical, TRUE);
    ::ShowScrollBar(m_hwnd, SB_HORZ, needHorizontal);
    ::ShowScrollBar(m_hwnd, SB_VERT, needVertical);
    m_scrollBars = (needHorizontal ? 0x1 : 0) | (needVertical ? 0x2 : 0);
    ForgetTopLeft();
}
