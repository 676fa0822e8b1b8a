#pragma once
// A cell edited with digits only.

#include "GridCell.h"

class CGridCellNumeric : public CGridCell {
    FW_RUNTIME_CLASS()
public:
    CGridCellNumeric() = default;

    bool StartEdit(int row, int col, const RECT& rect, POINT point, UINT id, UINT ch) override;
};
