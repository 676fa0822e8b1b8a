#include "GridCellDateTime.h"

#include <commctrl.h>

#include "GridCellCombo.h"
#include "GridCtrl.h"
#include "InPlaceDateTime.h"

const fw::RuntimeClass CGridCellDateTime::Class =
    fw::RuntimeClass::Creatable<CGridCellDateTime>("CGridCellDateTime", &CGridCell::Class);

CGridCellDateTime::CGridCellDateTime() : m_time(_time64(nullptr)) {}

CGridCellDateTime::CGridCellDateTime(DWORD style) : m_time(0)
{
    Initialise(style);
}

void CGridCellDateTime::Initialise(DWORD style)
{
    m_style = style;
    SetTime(_time64(nullptr));
    SetFormat(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CENTER);
}

void CGridCellDateTime::SetTime(__time64_t time)
{
    m_time = time;
    std::tm local{};
    const bool converted = _localtime64_s(&local, &m_time) == 0;
    if (m_style == DTS_TIMEFORMAT) {
        if (!converted)
            local.tm_hour = local.tm_min = local.tm_sec = -1;
        SetText(fw::WString::Format(L"%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec).c_str());
    } else if (m_style == 0) {
        const int month = converted ? local.tm_mon + 1 : 0;
        const int year = converted ? local.tm_year + 1900 : 0;
        SetText(fw::WString::Format(L"%02d/%02d/%02d", month, converted ? local.tm_mday : 0, year).c_str());
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
