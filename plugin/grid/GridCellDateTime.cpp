#include "GridCellDateTime.h"

#include <commctrl.h>

#include "GridCellCombo.h"
#include "GridCtrl.h"
#include "InPlaceDateTime.h"
#include "framework/LocalTime.h"

const fw::RuntimeClass CGridCellDateTime::Class =
    fw::RuntimeClass::Creatable<CGridCellDateTime>("CGridCellDateTime", &CGridCell::Class);

CGridCellDateTime::CGridCellDateTime() : m_time(fw::CurrentTime()) {}

CGridCellDateTime::CGridCellDateTime(DWORD style) : m_time(0)
{
    Initialise(style);
}

void CGridCellDateTime::Initialise(DWORD style)
{
    m_style = style;
    SetTime(fw::CurrentTime());
    SetFormat(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CENTER);
}

void CGridCellDateTime::SetTime(__time64_t time)
{
    m_time = time;
    SYSTEMTIME local{};
    const bool converted = fw::ToLocalTime(m_time, local);
    if (m_style == DTS_TIMEFORMAT) {
        const int hour = converted ? local.wHour : -1, minute = converted ? local.wMinute : -1;
        SetText(fw::WString::Format(L"%02d:%02d:%02d", hour, minute, converted ? local.wSecond : -1).c_str());
    } else if (m_style == 0) {
        const int month = converted ? local.wMonth : 0, day = converted ? local.wDay : 0;
        SetText(fw::WString::Format(L"%02d/%02d/%02d", month, day, converted ? local.wYear : 0).c_str());
    }
}

SIZE CGridCellDateTime::GetCellExtent(HDC dc)
{
    return ExtentWithEditorButton(CGridCell::GetCellExtent(dc));
}

bool CGridCellDateTime::StartEdit(int row, int col, const RECT& rect, POINT, UINT id, UINT ch)
{
    if (m_editing && m_editor) {
        ::SendMessageW(m_editor, WM_CHAR, ch, 0);  // the picker is open already
        return true;
    }
    m_editing = true;
    // Without a picker the cell stays marked as editing; ending the edit then does nothing.
    m_editor = m_grid && m_grid->IsWindow()
                   ? CInPlaceDateTime::Open(m_grid->Handle(), rect, m_style, id, row, col, GetText(), m_time, ch)
                   : nullptr;
    return true;
}
