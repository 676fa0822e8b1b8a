#include "GridCellCombo.h"

#include <algorithm>

#include "GridCtrl.h"
#include "InPlaceList.h"

const fw::RuntimeClass CGridCellCombo::Class =
    fw::RuntimeClass::Creatable<CGridCellCombo>("CGridCellCombo", &CGridCell::Class);

SIZE ExtentWithEditorButton(SIZE extent)
{
    extent.cx += ::GetSystemMetrics(SM_CXVSCROLL);
    extent.cy = std::max(extent.cy, static_cast<LONG>(::GetSystemMetrics(SM_CYHSCROLL)));
    return extent;
}

HWND CGridCellCombo::GetEditor() const
{
    if (!m_editor || !::IsWindow(m_editor) || (m_style & 0x3) == CBS_DROPDOWNLIST)
        return nullptr;
    return ::GetDlgItem(m_editor, 1001);
}

SIZE CGridCellCombo::GetCellExtent(HDC dc)
{
    return ExtentWithEditorButton(CGridCell::GetCellExtent(dc));
}

void CGridCellCombo::SetOptions(const std::vector<fw::WString>& options)
{
    try {
        m_options = options;
    } catch (const std::exception&) {
        m_options.clear();  // without memory: no options rather than some
    }
}

bool CGridCellCombo::StartEdit(int row, int col, const RECT& rect, POINT, UINT id, UINT ch)
{
    if (m_editing && m_editor) {
        // The list is open already: the character goes on to its field.
        if (HWND field = GetEditor())
            ::SendMessageW(field, WM_CHAR, ch, 0);
        return true;
    }
    CGridDefaultCell* defaults = GetDefaultCell();
    const COLORREF text = m_textColour != kGridDefaultColour || !defaults ? m_textColour : defaults->GetTextColour();
    const COLORREF back = m_backColour != kGridDefaultColour || !defaults ? m_backColour : defaults->GetBackColour();
    m_editing = true;
    // Without a list the cell stays marked as editing; ending the edit then does nothing.
    m_editor = m_grid && m_grid->IsWindow() ? CInPlaceList::Open(m_grid->Handle(), rect, m_style, id, row, col, text,
                                                                 back, m_options, GetText(), ch)
                                            : nullptr;
    return true;
}
