#pragma once
// A cell edited with a drop-down list of options: with an edit field
// (CBS_DROPDOWN, the default) any text may be typed, without one
// (CBS_DROPDOWNLIST) only an option chosen.

#include <vector>

#include "GridCell.h"

class CGridCellCombo : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    CGridCellCombo() = default;

    // The list's edit field while the list is open and has one.
    HWND GetEditor() const override;
    SIZE GetCellExtent(HDC dc) override;
    bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch) override;

    void SetOptions(const std::vector<fw::WString>& options);
    const std::vector<fw::WString>& GetOptions() const { return m_options; }
    void SetStyle(DWORD style) { m_style = style; }
    DWORD GetStyle() const { return m_style; }

private:
    std::vector<fw::WString> m_options;
    DWORD m_style = CBS_DROPDOWN;
};

// Room for the drop-down button or the up-down arrows beside a cell's text.
SIZE ExtentWithEditorButton(SIZE textExtent);
