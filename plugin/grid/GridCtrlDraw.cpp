// Geometry of the grid (where rows and columns lie on screen), painting and
// the scroll bars.
#include "GridCtrl.h"

#include <algorithm>
#include <climits>

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

int CGridCtrl::ClampPixels(long long pixels)
{
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, pixels)));
}

int CGridCtrl::SizeAlong(bool rows, int index) const
{
    return rows ? GetRowHeight(index) : GetColumnWidth(index);
}

long long CGridCtrl::SumOfSizes(bool rows, int first, int end, long long limit) const
{
    long long sum = 0;
    for (int index = std::max(first, 0); index < end && sum < limit; ++index)
        sum += std::max(0, SizeAlong(rows, index));
    return sum;
}

long long CGridCtrl::PositionOnScreen(bool rows, int index, int topLeftIndex, long long limit) const
{
    const int fixed = rows ? m_fixedRowCount : m_fixedColCount;
    if (index < fixed)
        return SumOfSizes(rows, 0, index, limit);
    if (index < topLeftIndex)
        return -1;
    const long long start = SumOfSizes(rows, 0, fixed, limit);
    return start + SumOfSizes(rows, topLeftIndex, index, limit - start);
}

int CGridCtrl::IndexAtPixel(bool rows, int pixel, int topLeftIndex) const
{
    const int fixed = rows ? m_fixedRowCount : m_fixedColCount;
    long long edge = SumOfSizes(rows, 0, fixed);
    int index = topLeftIndex;
    int end = rows ? m_rowCount : m_colCount;
    if (pixel < edge) {
        edge = 0;
        index = 0;
        end = fixed;
    }
    for (; index < end; ++index) {
        edge += std::max(0, SizeAlong(rows, index));
        if (edge > pixel)
            return index;
    }
    return -1;
}

int CGridCtrl::GetFixedRowHeight() const
{
    return ClampPixels(SumOfSizes(true, 0, m_fixedRowCount));
}

int CGridCtrl::GetFixedColumnWidth() const
{
    return ClampPixels(SumOfSizes(false, 0, m_fixedColCount));
}

int CGridCtrl::GetVirtualHeight() const
{
    return ClampPixels(SumOfSizes(true, 0, m_rowCount));
}

int CGridCtrl::GetVirtualWidth() const
{
    return ClampPixels(SumOfSizes(false, 0, m_colCount));
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
    for (long long passed = 0; passed < vertical && row < m_rowCount - 1; ++row)
        passed += GetRowHeight(row);
    int col = m_fixedColCount;
    for (long long passed = 0; passed < horizontal && col < m_colCount - 1; ++col)
        passed += GetColumnWidth(col);
    m_topLeft = GridCellId(row, col);
    return m_topLeft;
}

GridCellRange CGridCtrl::GetVisibleNonFixedCellRange(RECT* rect)
{
    ApplyDueScrollBars();  // a bar may take room from the client area
    RECT client = GetClientRect();
    const GridCellId topLeft = GetTopleftNonFixedCell();
    // The last row (column) that starts inside the client area, and where the shown ones end.
    auto lastShown = [this](bool rows, int first, int count, LONG clientEnd, LONG* end) {
        long long edge = rows ? GetFixedRowHeight() : GetFixedColumnWidth();
        int last = first;
        for (int index = first; index < count; ++index) {
            last = index;
            edge += SizeAlong(rows, index);
            if (edge >= clientEnd) {
                edge = clientEnd;
                break;
            }
        }
        *end = static_cast<LONG>(edge);
        return std::min(last, count - 1);
    };
    LONG bottom = 0;
    LONG right = 0;
    const int maxRow = lastShown(true, topLeft.row, m_rowCount, client.bottom, &bottom);
    const int maxCol = lastShown(false, topLeft.col, m_colCount, client.right, &right);
    if (rect)
        *rect = RECT{client.left, client.top, right, bottom};
    return GridCellRange(topLeft.row, topLeft.col, maxRow, maxCol);
}

bool CGridCtrl::GetCellOrigin(int row, int col, POINT* origin)
{
    if (!IsValid(row, col))
        return false;
    ApplyDueScrollBars();
    const GridCellId topLeft = GetTopleftNonFixedCell();
    const RECT client = GetClientRect();
    // A fixed row (column) is always placed; any other must start inside the client area.
    const long long x = PositionOnScreen(false, col, topLeft.col, LLONG_MAX);
    const long long y = PositionOnScreen(true, row, topLeft.row, LLONG_MAX);
    if (x < 0 || y < 0 || (col >= m_fixedColCount && x >= client.right) ||
        (row >= m_fixedRowCount && y >= client.bottom))
        return false;
    origin->x = ClampPixels(x);
    origin->y = ClampPixels(y);
    return true;
}

bool CGridCtrl::GetCellRect(int row, int col, RECT* rect)
{
    POINT origin{};
    if (!GetCellOrigin(row, col, &origin))
        return false;
    rect->left = origin.x;
    rect->top = origin.y;
    rect->right = ClampPixels(static_cast<long long>(origin.x) + GetColumnWidth(col) - 1);
    rect->bottom = ClampPixels(static_cast<long long>(origin.y) + GetRowHeight(row) - 1);
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
    const long long x = PositionOnScreen(false, col, topLeft.col, client.right);
    const long long y = PositionOnScreen(true, row, topLeft.row, client.bottom);
    return x >= 0 && x < client.right && y >= 0 && y < client.bottom;
}

GridCellId CGridCtrl::GetCellFromPt(POINT point, bool allowFixed)
{
    const GridCellId topLeft = GetTopleftNonFixedCell();
    GridCellId cell;
    if (!allowFixed && !IsValid(topLeft))
        return cell;
    if (point.x >= 0 && (allowFixed || point.x >= GetFixedColumnWidth()))
        cell.col = IndexAtPixel(false, point.x, topLeft.col);
    if (point.y >= 0 && (allowFixed || point.y >= GetFixedRowHeight()))
        cell.row = IndexAtPixel(true, point.y, topLeft.row);
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
    RECT area{client.left, origin.y, client.right, ClampPixels(static_cast<long long>(origin.y) + GetRowHeight(row))};
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
    RECT area{origin.x, client.top, ClampPixels(static_cast<long long>(origin.x) + GetColumnWidth(col)), client.bottom};
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
    auto drawCell = [&](int row, int col, long long x, long long y) {
        const int width = GetColumnWidth(col);
        const int height = GetRowHeight(row);
        if (width <= 0 || height <= 0)
            return;
        RECT rect{ClampPixels(x), ClampPixels(y), ClampPixels(x + width - 1), ClampPixels(y + height - 1)};
        if (rect.left >= clip.right || rect.right < clip.left || rect.top >= clip.bottom || rect.bottom < clip.top)
            return;
        if (CGridCellBase* cell = GetCell(row, col)) {
            cell->SetCoords(row, col);
            cell->Draw(dc, row, col, rect, false);
        }
    };
    // The cells of rows firstRow … lastRow and columns firstCol … lastCol, from (x, y) on.
    auto drawBlock = [&](int firstRow, int lastRow, int firstCol, int lastCol, long long left, long long top) {
        long long y = top;
        for (int row = firstRow; row <= lastRow; ++row) {
            long long x = left;
            for (int col = firstCol; col <= lastCol; ++col) {
                drawCell(row, col, x, y);
                x += GetColumnWidth(col);
            }
            y += GetRowHeight(row);
        }
    };

    // The corner, the fixed columns of the visible rows, the fixed rows of
    // the visible columns, then the visible cells.
    drawBlock(0, m_fixedRowCount - 1, 0, m_fixedColCount - 1, 0, 0);
    if (visible.minRow >= 0 && visible.minRow < m_rowCount)
        drawBlock(visible.minRow, visible.maxRow, 0, m_fixedColCount - 1, 0, fixedHeight);
    if (visible.minCol >= 0 && visible.minCol < m_colCount)
        drawBlock(0, m_fixedRowCount - 1, visible.minCol, visible.maxCol, fixedWidth, 0);
    const bool bodyVisible = visible.minRow >= 0 && visible.minRow < m_rowCount && visible.minCol >= 0 &&
                             visible.minCol < m_colCount;
    if (bodyVisible)
        drawBlock(visible.minRow, visible.maxRow, visible.minCol, visible.maxCol, fixedWidth, fixedHeight);

    // Grid lines over the non-fixed area only.
    if (m_gridLines != GridLines::kNone && bodyVisible) {
        fw::Pen pen(::CreatePen(PS_SOLID, 1, m_gridLineColour));
        fw::SelectGuard select(dc, pen.Get());
        if (m_gridLines == GridLines::kVertical || m_gridLines == GridLines::kBoth) {
            long long x = fixedWidth;
            for (int col = visible.minCol; col <= visible.maxCol; ++col) {
                const int width = GetColumnWidth(col);
                x += width;
                if (width <= 0)
                    continue;
                ::MoveToEx(dc, ClampPixels(x - 1), fixedHeight, nullptr);
                ::LineTo(dc, ClampPixels(x - 1), bottom);
            }
        }
        if (m_gridLines == GridLines::kHorizontal || m_gridLines == GridLines::kBoth) {
            long long y = fixedHeight;
            for (int row = visible.minRow; row <= visible.maxRow; ++row) {
                const int height = GetRowHeight(row);
                y += height;
                if (height <= 0)
                    continue;
                ::MoveToEx(dc, fixedWidth, ClampPixels(y - 1), nullptr);
                ::LineTo(dc, right, ClampPixels(y - 1));
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
    // The device shows and hides a bar through SetScrollInfo alone: an empty
    // range hides it and a range that becomes useful shows it.
    if (fixedWidth >= rect.right - rect.left || fixedHeight >= rect.bottom - rect.top) {
        ::SetScrollInfo(m_hwnd, SB_HORZ, &info, FALSE);
        ::SetScrollInfo(m_hwnd, SB_VERT, &info, FALSE);
        m_scrollBars = 0;
        ForgetTopLeft();
        return;
    }

    // A bar's range is an int, and so is its extent max - min + 1: larger
    // totals are cut there, never wrapped.
    constexpr long long kLargestMax = INT_MAX - 1;
    const long long totalHeight = SumOfSizes(true, m_fixedRowCount, m_rowCount);
    const long long totalWidth = SumOfSizes(false, m_fixedColCount, m_colCount);
    const bool needVertical = rect.bottom - rect.top - fixedHeight < totalHeight;
    if (needVertical)
        rect.right -= ::GetSystemMetrics(SM_CXVSCROLL);
    const bool needHorizontal = rect.right - rect.left - fixedWidth < totalWidth;
    if (needHorizontal)
        rect.bottom -= ::GetSystemMetrics(SM_CYHSCROLL);

    SCROLLINFO horizontal = info;
    if (needHorizontal) {
        horizontal.nMax = static_cast<int>(std::min(totalWidth - 1, kLargestMax));
        horizontal.nPage = static_cast<UINT>(std::max(0, static_cast<int>(rect.right - rect.left) - fixedWidth));
    }
    SCROLLINFO vertical = info;
    if (needVertical) {
        vertical.fMask |= SIF_DISABLENOSCROLL;  // without it the empty range below hides the bar
        vertical.nMax = static_cast<int>(std::min(totalHeight - 1, kLargestMax));
        vertical.nPage = static_cast<UINT>(std::max(0, static_cast<int>(rect.bottom - rect.top) - fixedHeight));
    }
    // Only a change of range shows a hidden bar: a bar that must appear starts from the empty one.
    const LONG_PTR style = GetStyle();
    if (needHorizontal && !(style & WS_HSCROLL))
        ::SetScrollInfo(m_hwnd, SB_HORZ, &info, FALSE);
    if (needVertical && !(style & WS_VSCROLL))
        ::SetScrollInfo(m_hwnd, SB_VERT, &info, FALSE);
    // The platform paints a bar whenever it is set: one that keeps its
    // range, page and visibility (a list made again of as many rows) is left alone.
    const auto unchanged = [&](int bar, const SCROLLINFO& wanted, bool shown) {
        SCROLLINFO now{};
        now.cbSize = sizeof(now);
        now.fMask = SIF_RANGE | SIF_PAGE;
        return shown == ((style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0) &&
               ::GetScrollInfo(m_hwnd, bar, &now) && now.nMin == wanted.nMin && now.nMax == wanted.nMax &&
               now.nPage == wanted.nPage;
    };
    if (!unchanged(SB_HORZ, horizontal, needHorizontal))
        ::SetScrollInfo(m_hwnd, SB_HORZ, &horizontal, TRUE);
    if (!unchanged(SB_VERT, vertical, needVertical))
        ::SetScrollInfo(m_hwnd, SB_VERT, &vertical, TRUE);
    m_scrollBars = (needHorizontal ? 0x1 : 0) | (needVertical ? 0x2 : 0);
    ForgetTopLeft();
}
