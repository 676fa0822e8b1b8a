#pragma once
// The date-time picker that a date-time cell opens over itself. When it ends
// it writes its time back into the cell, then tells the grid its text.

#include <ctime>

#include "InPlaceEdit.h"

class CInPlaceDateTime : public CInPlaceEditor {
public:
    // The picker's window, or null when it cannot be made. rect is the cell's (inclusive).
    static HWND Open(HWND grid, const RECT& rect, DWORD style, UINT id, int row, int col, const wchar_t* text,
                     __time64_t time, UINT ch);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BeforeEnd() override;
    void RestoreInitialText() override {}  // escape keeps what was picked
    fw::WString EndText() const override { return m_unchanged ? m_initialText : GetText(); }

private:
    CInPlaceDateTime(int row, int col, const wchar_t* text);
    // Whether the picker shows what it showed when it opened.
    bool IsUnchanged(const SYSTEMTIME& picked) const;

    SYSTEMTIME m_opened{};
    bool m_openedValid = false;
    bool m_unchanged = false;
};
