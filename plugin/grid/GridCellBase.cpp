#include "GridCellBase.h"

#include <algorithm>
#include <optional>

#include "GridCtrl.h"
#include "GridDefaultCell.h"
#include "GridImageList.h"
#include "framework/Gdi.h"

const fw::RuntimeClass CGridCellBase::Class = fw::RuntimeClass::Abstract("CGridCellBase", &fw::Object::Class);

namespace {

// A solid fill without making a brush for every cell: an opaque empty text
// fills its rectangle with the background colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    const COLORREF previous = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

// Puts back what drawing a cell changes in the device context: the
// background mode, the text colour and the font. (Pens and brushes are put
// back by their own guards.) Cheaper than saving the whole state per cell.
class CellDrawState {
public:
    explicit CellDrawState(HDC dc)
        : m_dc(dc), m_mode(::GetBkMode(dc)), m_text(::GetTextColor(dc)), m_font(::GetCurrentObject(dc, OBJ_FONT))
    {
    }
    ~CellDrawState()
    {
        ::SetBkMode(m_dc, m_mode);
        ::SetTextColor(m_dc, m_text);
        if (::GetCurrentObject(m_dc, OBJ_FONT) != m_font)
            ::SelectObject(m_dc, m_font);
    }
    CellDrawState(const CellDrawState&) = delete;
    CellDrawState& operator=(const CellDrawState&) = delete;

private:
    HDC m_dc;
    int m_mode;
    COLORREF m_text;
    HGDIOBJ m_font;
};

void DrawLine(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    fw::SelectGuard select(dc, pen);
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

// The sort arrow: a triangle outline, lit from the top left.
void DrawSortArrow(HDC dc, int left, int top, int size, bool ascending)
{
    fw::Pen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHIGHLIGHT)));
    fw::Pen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    int middle = left + size / 2;
    int right = left + size;
    int bottom = top + size;
    if (ascending) {
        DrawLine(dc, shadow.Get(), middle, top, left, bottom);
        DrawLine(dc, light.Get(), left, bottom, right, bottom);
        DrawLine(dc, light.Get(), right, bottom, middle, top);
    } else {
        DrawLine(dc, shadow.Get(), left, top, right, top);
        DrawLine(dc, shadow.Get(), left, top, middle, bottom);
        DrawLine(dc, light.Get(), middle, bottom, right, top);
    }
}

}  // namespace

CGridDefaultCell* CGridCellBase::GetDefaultCell() const
{
    CGridCtrl* grid = GetGrid();
    if (!grid)
        return nullptr;
    return grid->GetDefaultCell((m_state & GridState::kFixedRow) != 0, (m_state & GridState::kFixedCol) != 0);
}

void CGridCellBase::CopyFrom(const CGridCellBase& other)
{
    if (&other == this)
        return;
    SetGrid(other.GetGrid());
    SetText(other.GetText());
    SetImage(other.GetImage());
    SetData(other.GetData());
    SetState(other.GetState());
    SetFormat(other.GetFormat());
    SetTextColour(other.GetTextColour());
    SetBackColour(other.GetBackColour());
    SetFont(other.UsesDefaultFont() ? nullptr : other.GetFont());
    SetMargin(other.GetMargin());
}

bool CGridCellBase::GetImageSize(int image, SIZE* size) const
{
    CGridCtrl* grid = GetGrid();
    return image >= 0 && grid && GetGridImageSize(grid->GetImageList(), image, size);
}

bool CGridCellBase::Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground)
{
    CGridCtrl* grid = GetGrid();
    if (!grid || !dc || rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0)
        return false;
    CGridDefaultCell* defaults = GetDefaultCell();
    if (!defaults)
        return false;

    CellDrawState saved(dc);
    ::SetBkMode(dc, TRANSPARENT);

    COLORREF textColour = GetTextColour() == kGridDefaultColour ? defaults->GetTextColour() : GetTextColour();
    COLORREF backColour = GetBackColour();
    bool fill = true;
    if (backColour == kGridDefaultColour) {
        backColour = defaults->GetBackColour();
        fill = eraseBackground;
    }
    const bool lines = grid->GetGridLines() != GridLines::kNone;

    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            backColour = ::GetSysColor(COLOR_HIGHLIGHT);
            textColour = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
            fill = true;
        }
        rect.right++;
        rect.bottom++;
        if (fill)
            FillSolid(dc, rect, backColour);
        if (lines) {
            rect.right--;
            rect.bottom--;
        }
        if (grid->GetFrameFocusCell()) {
            // One pixel just inside the rectangle: top, right, bottom, left.
            FillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, textColour);
            FillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, textColour);
            FillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, textColour);
            FillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, textColour);
        }
        ::SetTextColor(dc, textColour);
        if (!lines) {
            rect.right--;
            rect.bottom--;
        }
    } else if (IsSelected()) {
        rect.right++;
        rect.bottom++;
        FillSolid(dc, rect, ::GetSysColor(COLOR_HIGHLIGHT));
        rect.right--;
        rect.bottom--;
        ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        if (fill) {
            rect.right++;
            rect.bottom++;
            FillSolid(dc, rect, backColour);
            rect.right--;
            rect.bottom--;
        }
        ::SetTextColor(dc, textColour);
    }

    if (IsFixed() && lines) {
        GridCellId focus = grid->GetFocusCell();
        if (grid->GetTrackFocusCell() && grid->IsValid(focus) && (focus.row == row || focus.col == col)) {
            RECT edge{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
            ::DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT);
        } else {
            fw::Pen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHIGHLIGHT)));
            fw::Pen dark(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DDKSHADOW)));
            {
                fw::SelectGuard select(dc, light.Get());
                ::MoveToEx(dc, rect.right, rect.top, nullptr);
                ::LineTo(dc, rect.left, rect.top);
                ::LineTo(dc, rect.left, rect.bottom);
            }
            {
                fw::SelectGuard select(dc, dark.Get());
                ::MoveToEx(dc, rect.right, rect.top, nullptr);
                ::LineTo(dc, rect.right, rect.bottom);
                ::LineTo(dc, rect.left, rect.bottom);
            }
        }
        ::InflateRect(&rect, -1, -1);
    }

    HFONT cellFont = GetFontObject();
    if (cellFont && ::GetCurrentObject(dc, OBJ_FONT) != cellFont)
        ::SelectObject(dc, cellFont);  // put back with the saved state

    const int margin = static_cast<int>(GetMargin());
    ::InflateRect(&rect, -margin, -margin);
    rect.right++;
    rect.bottom++;

    SIZE image{};
    if (GetImageSize(GetImage(), &image) && image.cx <= rect.right - rect.left && image.cy <= rect.bottom - rect.top)
        DrawGridImage(grid->GetImageList(), GetImage(), dc, rect.left, rect.top);

    if (row == 0 && col > 0 && col == grid->GetSortColumn()) {
        SIZE m{};
        ::GetTextExtentPoint32W(dc, L"M", 1, &m);
        int size = std::min(static_cast<int>(m.cy) - 4, static_cast<int>(rect.bottom - rect.top) - 4);
        const LOGFONTW* font = GetFont();
        bool upright = font && font->lfEscapement == 900;
        if (size > 0 && size <= rect.right - rect.left) {
            int top = rect.top + (rect.bottom - rect.top - size) / 2;
            if (upright) {
                DrawSortArrow(dc, rect.left + (rect.right - rect.left - size) / 2, top, size, grid->GetSortAscending());
            } else {
                rect.right -= size;
                DrawSortArrow(dc, rect.right, top, size, grid->GetSortAscending());
            }
        }
    }

    GetTextRect(&rect);
    rect.right++;
    rect.bottom++;
    ::DrawTextW(dc, GetText(), -1, &rect, GetFormat() | DT_NOPREFIX);
    return true;
}

bool CGridCellBase::GetTextRect(RECT* rect)
{
    SIZE image{};
    if (GetImageSize(GetImage(), &image))
        rect->left += image.cx + static_cast<int>(GetMargin()) + 1;
    return true;
}

SIZE CGridCellBase::GetTextExtent(const wchar_t* text, HDC dc)
{
    CGridDefaultCell* defaults = GetDefaultCell();
    SIZE fallback = defaults ? SIZE{defaults->GetWidth(), defaults->GetHeight()} : SIZE{0, 0};
    CGridCtrl* grid = GetGrid();
    HWND window = grid ? grid->Handle() : nullptr;
    if (!text)
        return fallback;
    std::optional<fw::ClientDC> ownDC;
    if (!dc) {
        if (!window || !ownDC.emplace(window).Get())
            return fallback;
        dc = ownDC->Get();
    }

    SIZE size{};
    const HFONT fontObject = GetFontObject();
    const UINT format = GetFormat();
    const bool singleLine = !(format & DT_WORDBREAK) || (format & DT_SINGLELINE);
    // Only the cell's own text is remembered: it stays while the grid measures.
    CGridCtrl* memo = singleLine && text == GetText() ? grid : nullptr;
    if (!memo || !memo->MeasuredBefore(fontObject, text, size)) {
        // Selecting a font costs more than measuring with it: only another one is selected.
        fw::SelectGuard select(dc, ::GetCurrentObject(dc, OBJ_FONT) == fontObject ? nullptr : fontObject);
        const int length = static_cast<int>(wcslen(text));
        if (singleLine) {
            ::GetTextExtentPoint32W(dc, text, length, &size);
            if (memo)
                memo->Measured(fontObject, text, size);
        } else {
            // Wrapping text is as wide as its widest line.
            int widest = 0;
            for (const wchar_t* line = text;;) {
                const wchar_t* end = wcschr(line, L'\n');
                int count = end ? static_cast<int>(end - line) : static_cast<int>(wcslen(line));
                SIZE lineSize{};
                ::GetTextExtentPoint32W(dc, line, count, &lineSize);
                widest = std::max(widest, static_cast<int>(lineSize.cx));
                if (!end)
                    break;
                line = end + 1;
            }
            RECT area{0, 0, widest + 1, 0};
            ::DrawTextW(dc, text, length, &area, format | DT_CALCRECT);
            size.cx = area.right - area.left;
            size.cy = area.bottom - area.top;
        }
    }
    const int margin = static_cast<int>(GetMargin());
    size.cx += 2 * margin;
    size.cy += 2 * margin;

    const LOGFONTW* font = GetFont();
    if (font && (font->lfEscapement == 900 || font->lfEscapement == -900)) {
        LONG width = size.cx;
        size.cx = size.cy;
        size.cy = width + 4 * margin;
    }
    return size;
}

SIZE CGridCellBase::GetCellExtent(HDC dc)
{
    SIZE size = GetTextExtent(GetText(), dc);
    SIZE image{};
    if (GetImageSize(GetImage(), &image)) {
        const int margin = static_cast<int>(GetMargin());
        LONG textWidth = size.cx;
        size.cx = textWidth + image.cx + (2 * margin < textWidth ? margin : 0);
        size.cy = std::max(size.cy, image.cy + 2 * margin);
    }
    size.cx += 1;
    size.cy += 1;
    if (IsFixed()) {
        size.cx += 1;
        size.cy += 1;
    }
    return size;
}

bool CGridCellBase::StartEdit(int, int, const RECT&, POINT, UINT, UINT)
{
    return false;
}

bool CGridCellBase::ValidateEdit(const wchar_t*)
{
    return true;
}

void CGridCellBase::OnClick(POINT) {}
void CGridCellBase::OnButtonDown(POINT) {}
void CGridCellBase::OnDoubleClick(POINT) {}

bool CGridCellBase::OnSetCursor()
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return true;
}
