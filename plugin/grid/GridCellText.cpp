#include "GridCellText.h"

#include <cwchar>

void GridCellText::Assign(const wchar_t* text)
{
    if (!text)
        text = L"";
    const size_t length = std::wcslen(text);
    if (length <= kShortLength) {
        // A text may be set from the cell's own: copied before the long one goes.
        std::wmemmove(m_short, text, length + 1);
        delete[] m_long;
        m_long = nullptr;
        return;
    }
    wchar_t* copy = new wchar_t[length + 1];
    std::wmemcpy(copy, text, length + 1);
    delete[] m_long;
    m_long = copy;
}

void GridCellText::Empty()
{
    delete[] m_long;
    m_long = nullptr;
    m_short[0] = L'\0';
}
