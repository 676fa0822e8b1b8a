#pragma once
// A cell whose text, when it holds a link (any of a fixed set of prefixes
// such as "www." or "http:", case-sensitive), is drawn in the link colour.
// It is not edited and a click does nothing.

#include "GridCell.h"

class CGridURLCell : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    CGridURLCell();

    bool Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground = true) override;
    bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch) override;
    void OnClick(POINT point) override;
    bool OnSetCursor() override;

    void SetLinkColour(COLORREF colour) { m_linkColour = colour; }
    COLORREF GetLinkColour() const { return m_linkColour; }
    // Kept for the application; the grid does not open links.
    void SetAutoLaunch(bool launch) { m_autoLaunch = launch; }
    bool GetAutoLaunch() const { return m_autoLaunch; }
    // Whether the text holds one of the link prefixes.
    static bool HasLink(const wchar_t* text);

private:
    COLORREF m_linkColour;
    bool m_autoLaunch = true;
    RECT m_lastRect{};  // the cell's rectangle at its last draw
};
