#pragma once
// The in-place editors that cells open over themselves: the single-line
// editor here, the list of a combo cell and the date-time picker of a
// date-time cell. An editor belongs to nobody: it deletes itself once its
// window is gone. When it ends (it loses the focus or is closed) it tells
// the grid (LVN_ENDLABELEDITW with the display record and the key that ended
// it) and closes.

#include <windows.h>

#include "GridTypes.h"
#include "framework/WString.h"
#include "framework/Window.h"

class CInPlaceEditor : public fw::WindowImpl {
protected:
    // arrowsEnd: the arrow and page keys end the edit (editors opened by the
    // mouse, character 1, leave them to the editing).
    CInPlaceEditor(int row, int col, const wchar_t* text, bool arrowsEnd);
    ~CInPlaceEditor() override = default;

    void OnFinalMessage() override { delete this; }
    // What every editor does: it wants all keys, the page and arrow keys may
    // end it, and it ends when it is closed or the focus leaves it.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // While true, losing the focus does not end the edit (a list dropped down).
    virtual bool StaysOpen() const { return false; }
    // Once: the grid hears of the end with the editor's text, then the window closes.
    void EndEdit();
    // Ends the edit by giving the focus back to the grid; the key is remembered.
    void EndWithKey(UINT key);
    bool IsEndingKey(UINT key) const;  // page and arrow keys that end the edit now
    // Tab and enter end the edit, escape too once the initial text is back;
    // true for these keys.
    bool EndByKey(UINT key);
    virtual void RestoreInitialText() { SetText(m_initialText); }
    HWND Grid() const { return ::GetParent(m_hwnd); }
    // Just before the grid is told; the text it is told comes after.
    virtual void BeforeEnd() {}
    // The text the grid is told at the end: the window's.
    virtual fw::WString EndText() const { return GetText(); }

    int m_row;
    int m_col;
    fw::WString m_initialText;
    UINT m_lastKey = 0;
    bool m_arrowsEnd;
    bool m_ending = false;
};

class CInPlaceEdit : public CInPlaceEditor {
public:
    // The editor's window, or null when it cannot be made. rect is the cell's (inclusive).
    static HWND Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                     UINT ch);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CInPlaceEdit(int row, int col, const wchar_t* text, UINT ch);

    void FitText();

    RECT m_rect{};
    int m_maxRight = 0;
};

// Page up, page down and the arrow keys.
bool IsPageOrArrowKey(UINT key);

// The selection an edit field starts with, by the character that started the
// edit; a character that types replaces the text.
void StartEditField(HWND edit, UINT ch);
