#pragma once
// One of the grid's four default cells: the fallback for unset properties of
// the cells in the body, the fixed rows, the fixed columns and the corner,
// and the measure of new rows and columns.

#include "GridCell.h"
#include "framework/Gdi.h"

class CGridDefaultCell : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    CGridDefaultCell();

    // The application value, state and coordinates of a default cell are fixed.
    void SetData(LPARAM) override {}
    void SetState(UINT) override {}
    void SetCoords(int, int) override {}
    UINT GetState() const override { return m_state | GridState::kReadOnly; }
    bool IsReadOnly() const override { return true; }

    // Copies the font, re-creates the font object and re-measures the sizes.
    void SetFont(const LOGFONTW* font) override;
    const LOGFONTW* GetFont() const override { return m_font.get(); }
    HFONT GetFontObject() const override { return m_fontObject.Get(); }
    UINT GetFormat() const override { return m_format; }
    UINT GetMargin() const override { return m_margin; }

    UINT GetStyle() const { return m_style; }
    void SetStyle(UINT style) { m_style = style; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    void SetWidth(int width) { m_width = width; }
    void SetHeight(int height) { m_height = height; }

private:
    int m_width = 30;
    int m_height = 10;
    fw::Font m_fontObject;
    UINT m_style = 0;
};
