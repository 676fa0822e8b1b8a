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

private:
    CInPlaceDateTime(int row, int col, const wchar_t* text);
};
