#pragma once
// A cell with a check box before its text. A click anywhere in the cell
// toggles it.

#include "GridCell.h"

class CGridCellCheck : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    CGridCellCheck() = default;

    bool Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground = true) override;
    bool GetTextRect(RECT* rect) override;
    SIZE GetCellExtent(HDC dc) override;
    void OnClick(POINT point) override;

    // Returns the previous flag.
    bool SetCheck(bool checked);
    bool GetCheck() const { return m_checked; }

    // Side of the box, from the system metrics.
    static int BoxSide();

private:
    void InvalidateLastRect() const;

    bool m_checked = false;
    RECT m_lastRect{};  // the cell's rectangle at its last draw; empty before the first
};
