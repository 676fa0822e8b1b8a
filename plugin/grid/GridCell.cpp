#include "GridCell.h"

#include <cstring>
#include <new>

#include "GridCtrl.h"
#include "GridDefaultCell.h"
#include "framework/Gdi.h"
#include "framework/Module.h"

const fw::RuntimeClass CGridCell::Class = fw::RuntimeClass::Creatable<CGridCell>("CGridCell", &CGridCellBase::Class);

namespace {

// Cells with a font of their own share one font object, made from the
// LOGFONT of the cell that asks last (the grid draws on one thread only).
// The module owns it: its shut-down deletes it, and the next cell makes it again.
fw::Font g_sharedFont;
LOGFONTW g_sharedFontMade{};

HFONT SharedFontFor(const LOGFONTW& font)
{
    if (!g_sharedFont || std::memcmp(&g_sharedFontMade, &font, sizeof(font)) != 0) {
        // Without its release at the shut-down no font may be kept: the cell draws in the grid's.
        if (!fw::AtModuleShutDown([] { g_sharedFont.Reset(); }))
            return nullptr;
        g_sharedFont.Reset(::CreateFontIndirectW(&font));
        g_sharedFontMade = font;
    }
    return g_sharedFont.Get();
}

}  // namespace

CGridCell::CGridCell()
{
    Reset();
}

CGridCell::~CGridCell() = default;

void CGridCell::Reset()
{
    CGridCellBase::Reset();
    m_text.Empty();
    m_data = 0;
    m_image = -1;
    m_format = kGridDefaultFormat;
    m_textColour = kGridDefaultColour;
    m_backColour = kGridDefaultColour;
    m_font.reset();
    m_margin = kGridDefaultMargin;
    m_editing = false;
    m_grid = nullptr;
    m_editor = nullptr;
}

void CGridCell::SetFont(const LOGFONTW* font)
{
    if (!font) {
        m_font.reset();
        return;
    }
    if (!m_font)
        m_font.reset(new (std::nothrow) LOGFONTW);  // without memory the default font stays
    if (m_font)
        *m_font = *font;
}

UINT CGridCell::GetFormat() const
{
    if (m_format != kGridDefaultFormat)
        return m_format;
    CGridDefaultCell* defaults = GetDefaultCell();
    return defaults ? defaults->GetFormat() : 0;
}

const LOGFONTW* CGridCell::GetFont() const
{
    if (m_font)
        return m_font.get();
    CGridDefaultCell* defaults = GetDefaultCell();
    return defaults ? defaults->GetFont() : nullptr;
}

HFONT CGridCell::GetFontObject() const
{
    if (m_font)
        return SharedFontFor(*m_font);
    CGridDefaultCell* defaults = GetDefaultCell();
    return defaults ? defaults->GetFontObject() : nullptr;
}

UINT CGridCell::GetMargin() const
{
    if (m_margin != kGridDefaultMargin)
        return m_margin;
    CGridDefaultCell* defaults = GetDefaultCell();
    return defaults ? defaults->GetMargin() : 0;
}

bool CGridCell::StartEdit(int row, int col, const RECT& rect, POINT, UINT id, UINT ch)
{
    const UINT format = GetFormat();
    DWORD align = ES_LEFT;
    if (format & DT_RIGHT)
        align = ES_RIGHT;
    else if (format & DT_CENTER)
        align = ES_CENTER;
    return StartTextEdit(row, col, rect, id, ch, align);
}

bool CGridCell::StartTextEdit(int row, int col, const RECT& rect, UINT id, UINT ch, DWORD style)
{
    if (m_editing && m_editor) {
        ::SendMessageW(m_editor, WM_CHAR, ch, 0);
        return true;
    }
    m_editing = true;
    // Without an editor the cell stays marked as editing; ending the edit then does nothing.
    m_editor = m_grid ? m_grid->CreateInPlaceEditor(rect, style, id, row, col, GetText(), ch) : nullptr;
    return true;
}

void CGridCell::EndEdit()
{
    if (m_editor)
        ::SendMessageW(m_editor, WM_CLOSE, 0, 0);  // the editor ends the edit and goes
}

void CGridCell::EditEnded()
{
    m_editing = false;
    m_editor = nullptr;
}
