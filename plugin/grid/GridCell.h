#pragma once
// The standard cell: text, image, application value, format, colours, an
// optional own font and a margin, each falling back to the default cell
// while unset.

#include <memory>

#include "GridCellBase.h"
#include "GridCellText.h"

class CGridCell : public CGridCellBase {
    FW_RUNTIME_CLASS()
public:
    CGridCell();
    ~CGridCell() override;

    void SetText(const wchar_t* text) override { m_text.Assign(text); }
    void SetImage(int image) override { m_image = image; }
    void SetData(LPARAM data) override { m_data = data; }
    void SetFormat(UINT format) override { m_format = format; }
    void SetTextColour(COLORREF colour) override { m_textColour = colour; }
    void SetBackColour(COLORREF colour) override { m_backColour = colour; }
    void SetFont(const LOGFONTW* font) override;
    void SetMargin(UINT margin) override { m_margin = margin; }
    void SetGrid(CGridCtrl* grid) override { m_grid = grid; }
    void SetCoords(int, int) override {}

    const wchar_t* GetText() const override { return m_text.c_str(); }
    int GetImage() const override { return m_image; }
    LPARAM GetData() const override { return m_data; }
    UINT GetFormat() const override;
    COLORREF GetTextColour() const override { return m_textColour; }
    COLORREF GetBackColour() const override { return m_backColour; }
    const LOGFONTW* GetFont() const override;
    HFONT GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return m_grid; }
    HWND GetEditor() const override { return m_editor; }
    UINT GetMargin() const override;
    bool UsesDefaultFont() const override { return !m_font; }
    bool IsEditing() const override { return m_editing; }

    void Reset() override;
    bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch) override;
    void EndEdit() override;
    void EditEnded() override;

protected:
    // The single-line editor over the cell, with the edit style (alignment and more).
    bool StartTextEdit(int row, int col, const RECT& rect, UINT id, UINT ch, DWORD style);

    GridCellText m_text;
    LPARAM m_data = 0;
    int m_image = -1;
    UINT m_format = kGridDefaultFormat;
    COLORREF m_textColour = kGridDefaultColour;
    COLORREF m_backColour = kGridDefaultColour;
    std::unique_ptr<LOGFONTW> m_font;  // own copy; null = the default cell's font
    UINT m_margin = kGridDefaultMargin;
    bool m_editing = false;
    CGridCtrl* m_grid = nullptr;
    HWND m_editor = nullptr;  // the in-place editor while editing
};
