#include "GridCellNumeric.h"

const fw::RuntimeClass CGridCellNumeric::Class =
    fw::RuntimeClass::Creatable<CGridCellNumeric>("CGridCellNumeric", &CGridCell::Class);

bool CGridCellNumeric::StartEdit(int row, int col, const RECT& rect, POINT, UINT id, UINT ch)
{
    return StartTextEdit(row, col, rect, id, ch, ES_LEFT | ES_NUMBER);
}
