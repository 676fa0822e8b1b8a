#include "GridURLCell.h"

#include <cwchar>

const fw::RuntimeClass CGridURLCell::Class =
    fw::RuntimeClass::Creatable<CGridURLCell>("CGridURLCell", &CGridCell::Class);

namespace {

// Tried in this order.
constexpr const wchar_t* kLinkPrefixes[] = {L"www.",  L"http:",   L"mailto:", L"ftp:", L"https:", L"news:",
                                            L"gopher:", L"telnet:", L"url:",    L"file:", L"ftp."};

}  // namespace

CGridURLCell::CGridURLCell() : m_linkColour(::GetSysColor(COLOR_HIGHLIGHT)) {}

bool CGridURLCell::HasLink(const wchar_t* text)
{
    if (!text)
        return false;
    for (const wchar_t* prefix : kLinkPrefixes)
        if (std::wcsstr(text, prefix))
            return true;
    return false;
}

bool CGridURLCell::Draw(HDC dc, int row, int col, RECT rect, bool eraseBackground)
{
    if (HasLink(GetText()))
        SetTextColour(m_linkColour);  // it stays so
    m_lastRect = rect;
    return CGridCell::Draw(dc, row, col, rect, eraseBackground);
}

bool CGridURLCell::StartEdit(int, int, const RECT&, POINT, UINT, UINT)
{
    return false;
}

void CGridURLCell::OnClick(POINT) {}

bool CGridURLCell::OnSetCursor()
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return true;
}
