#include "GridCellCheck.h"

#include <algorithm>

#include "GridCtrl.h"

const fw::RuntimeClass CGridCellCheck::Class =
    fw::RuntimeClass::Creatable<CGridCellCheck>("CGridCellCheck", &CGridCell::Class);

int CGridCellCheck::BoxSide()
{
    return ::GetSystemMetrics(SM_CXHSCROLL);
}

bool CGridCellCheck::Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground)
{
    bool drawn = CGridCell::Draw(dc, row, col, rect, eraseBackground);
    if (!drawn)
        return false;
    m_lastRect = rect;
    const int side = BoxSide();
    const int margin = static_cast<int>(GetMargin());
    RECT box = rect;
    ::InflateRect(&box, -margin, -margin);
    box.right = box.left + side;
    box.bottom = box.top + side;
    if (rect.bottom - rect.top < side + 2 * margin) {
        box.top = rect.top + (rect.bottom - side - rect.top) / 2;
        box.bottom = box.top + side;
    }
    ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (m_checked ? DFCS_CHECKED : 0));
    return true;
}

bool CGridCellCheck::GetTextRect(RECT* rect)
{
    bool result = CGridCell::GetTextRect(rect);
    rect->left = std::min(rect->left + BoxSide() + 2 * static_cast<LONG>(GetMargin()), rect->right);
    return result;
}

SIZE CGridCellCheck::GetCellExtent(HDC dc)
{
    SIZE size = CGridCell::GetCellExtent(dc);
    const int box = BoxSide() + 2 * static_cast<int>(GetMargin());
    size.cx += box;
    size.cy = std::max(size.cy, static_cast<LONG>(box));
    return size;
}

void CGridCellCheck::OnClick(POINT point)
{
    // The point is relative to the cell: anywhere inside it toggles.
    POINT at{point.x + m_lastRect.left, point.y + m_lastRect.top};
    // The remembered rectangle is inclusive of its right and bottom pixels.
    if (at.x >= m_lastRect.left && at.x <= m_lastRect.right && at.y >= m_lastRect.top && at.y <= m_lastRect.bottom) {
        m_checked = !m_checked;
        InvalidateLastRect();
    }
}

bool CGridCellCheck::SetCheck(bool checked)
{
    bool previous = m_checked;
    m_checked = checked;
    if (!::IsRectEmpty(&m_lastRect))
        InvalidateLastRect();
    return previous;
}

void CGridCellCheck::InvalidateLastRect() const
{
    CGridCtrl* grid = GetGrid();
    if (grid && grid->IsWindow()) {
        RECT area{m_lastRect.left, m_lastRect.top, m_lastRect.right + 1, m_lastRect.bottom + 1};
        ::InvalidateRect(grid->Handle(), &area, FALSE);
    }
}
