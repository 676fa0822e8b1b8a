#pragma once
// A cell that holds a time (the platform's 64-bit calendar time) and shows
// it as a date (style 0, month/day/year) or a time of day (DTS_TIMEFORMAT);
// edited with a date-time picker.

#include <ctime>

#include "GridCell.h"

class CGridCellDateTime : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    // Style 0 and the current time, no text yet (as made by class descriptor).
    CGridCellDateTime();
    explicit CGridCellDateTime(DWORD style);

    SIZE GetCellExtent(HDC dc) override;
    bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch) override;

    // Takes the picker style, the current time and a centred format.
    void Initialise(DWORD style);
    // Stores the time and, in the two styles it knows, writes it as the text.
    void SetTime(__time64_t time);
    __time64_t GetTime() const { return m_time; }
    DWORD GetStyle() const { return m_style; }
    // The picker's write-back: the time alone; the text follows as an edit's does.
    void TakeEditedTime(__time64_t time) { m_time = time; }

private:
    __time64_t m_time;
    DWORD m_style = 0;
};
