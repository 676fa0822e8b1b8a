#pragma once
// The drop-down list that a combo cell opens over itself: a combo box child
// of the grid, opened at once, with the cell's options. With an edit field
// (every style but the drop-down list) it takes over that field's keys.

#include <vector>

#include "InPlaceEdit.h"
#include "framework/Gdi.h"

class CInPlaceList : public CInPlaceEditor {
public:
    // The list's window, or null when it cannot be made. rect is the cell's
    // (inclusive); style is the combo-box style of the cell (CBS_DROPDOWN or
    // CBS_DROPDOWNLIST).
    static HWND Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, COLORREF textColour,
                     COLORREF backColour, const std::vector<fw::WString>& options, const wchar_t* text, UINT ch);

    // The widest option, a vertical bar and a digit wide, at most this.
    static constexpr int kMaxDroppedWidth = 200;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class CInPlaceListEdit;
    CInPlaceList(int row, int col, const wchar_t* text, UINT ch, COLORREF textColour, COLORREF backColour);

    void SetDroppedWidth();
    bool StaysOpen() const override;
    void RestoreInitialText() override;
    fw::WString EndText() const override;
    bool HasEditField() const;
    // The index of the option written exactly as text; CB_ERR when none is.
    LRESULT OptionOf(const fw::WString& text) const;

    std::vector<fw::WString> m_options;
    COLORREF m_textColour;
    COLORREF m_backColour;
    fw::Brush m_backBrush;  // made at the first colour request
};
