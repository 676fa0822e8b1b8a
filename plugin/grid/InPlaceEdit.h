#pragma once
// The single-line editor that a cell opens over itself. It belongs to
// nobody: it deletes itself once its window is gone. When it loses the
// focus it tells the grid (LVN_ENDLABELEDITW with the display record and the
// key that ended it) and closes.

#include <windows.h>

#include "GridTypes.h"
#include "framework/WString.h"
#include "framework/Window.h"

class CInPlaceEdit : public fw::WindowImpl {
public:
    // The editor's window, or null when it cannot be made. rect is the cell's (inclusive).
    static HWND Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                     UINT ch);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override { delete this; }

private:
    CInPlaceEdit(int row, int col, const wchar_t* text, UINT ch);
    ~CInPlaceEdit() override = default;

    void EndEdit();
    void FitText();
    void FocusGrid();

    int m_row;
    int m_col;
    fw::WString m_initialText;
    UINT m_lastKey = 0;
    bool m_arrowsEnd;  // arrow and page keys end the edit (not when opened by the mouse)
    bool m_ending = false;
    RECT m_rect{};
    int m_maxRight = 0;
};
