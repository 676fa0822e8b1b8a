#include "GridDefaultCell.h"

const fw::RuntimeClass CGridDefaultCell::Class =
    fw::RuntimeClass::Creatable<CGridDefaultCell>("CGridDefaultCell", &CGridCell::Class);

CGridDefaultCell::CGridDefaultCell()
{
    m_format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    m_textColour = kGridDefaultColour;
    m_backColour = kGridDefaultColour;
    LOGFONTW system{};
    ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof(system), &system);
    SetFont(&system);
}

void CGridDefaultCell::SetFont(const LOGFONTW* font)
{
    if (!font)
        return;  // a default cell always has a font
    CGridCell::SetFont(font);
    if (!m_font)
        return;
    m_fontObject.Reset(::CreateFontIndirectW(m_font.get()));

    fw::ClientDC screen(nullptr);
    if (!screen.Get()) {
        m_margin = 3;
        m_width = 40;
        m_height = 16;
        return;
    }
    fw::SelectGuard select(screen.Get(), m_fontObject.Get());
    SIZE blank{};
    ::GetTextExtentPoint32W(screen.Get(), L" ", 1, &blank);
    m_margin = static_cast<UINT>(blank.cx);
    SIZE sample{};
    ::GetTextExtentPoint32W(screen.Get(), L" XXXXXXXXXXXX ", 14, &sample);
    m_width = sample.cx;
    m_height = sample.cy * 3 / 2;
}
