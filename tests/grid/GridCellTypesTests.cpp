// The combo, date-time, numeric and URL cells in a real grid: made by
// descriptor, edited with posted keys and clicks, drawn.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <ctime>
#include <cwchar>
#include <string>
#include <vector>

#include "GridCellCombo.h"
#include "GridCellDateTime.h"
#include "GridCellNumeric.h"
#include "GridURLCell.h"
#include "GridTestSupport.h"
#include "support/Allocations.h"
#include "support/Printers.h"

using gridtest::MakeGrid;
using testsupport::PumpMessages;
using gridtest::Render;
using gridtest::TestParent;

namespace {

// Five rows of 20 pixels, three columns of 100, one fixed row; "r,c" texts.
std::unique_ptr<CGridCtrl> Grid(TestParent& parent)
{
    auto grid = MakeGrid(parent, 400, 300);
    grid->SetRowCount(5);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    for (int row = 0; row < 5; ++row) {
        grid->SetRowHeight(row, 20);
        for (int col = 0; col < 3; ++col)
            grid->SetItemText(row, col, fw::WString::Format(L"%d,%d", row, col).c_str());
    }
    for (int col = 0; col < 3; ++col)
        grid->SetColumnWidth(col, 100);
    return grid;
}

template <class Cell>
Cell* MakeCell(CGridCtrl& grid, int row, int col)
{
    EXPECT_TRUE(grid.SetCellType(row, col, &Cell::Class));
    return static_cast<Cell*>(grid.GetCell(row, col));
}

RECT CellRect(CGridCtrl& grid, int row, int col)
{
    RECT rect{};
    EXPECT_TRUE(grid.GetCellRect(row, col, &rect));
    return rect;
}

// Makes the cell the focus and opens its editor with a key: F2 (as the mouse
// does: arrows do not end the edit) or a typed character.
HWND OpenEditor(CGridCtrl& grid, int row, int col, UINT key = VK_F2)
{
    ::SetFocus(grid.Handle());
    grid.SetFocusCell(row, col);
    if (key == VK_F2)
        grid.Post(WM_KEYDOWN, VK_F2, 0);
    else
        grid.Post(WM_CHAR, key, 0);
    PumpMessages();
    return ::GetDlgItem(grid.Handle(), kGridEditorId);
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64]{};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[128]{};
    ::GetWindowTextW(window, text, 128);
    return text;
}

__time64_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return _mktime64(&local);
}

// The windows this thread creates while it lives, as they are asked for
// (controls may change their style and size afterwards).
class CreationRecorder {
public:
    struct Creation {
        std::wstring className;
        DWORD style;
        RECT rect;  // in the parent's client coordinates
    };
    CreationRecorder() : m_hook(::SetWindowsHookExW(WH_CBT, &CreationRecorder::Hook, nullptr, ::GetCurrentThreadId()))
    {
        s_current = this;
    }
    ~CreationRecorder()
    {
        ::UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    CreationRecorder(const CreationRecorder&) = delete;
    CreationRecorder& operator=(const CreationRecorder&) = delete;

    // The first window of the class, or none.
    const Creation* Of(const wchar_t* className) const
    {
        for (const Creation& creation : m_seen)
            if (_wcsicmp(creation.className.c_str(), className) == 0)
                return &creation;
        return nullptr;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && s_current) {
            const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            const bool named = !IS_INTRESOURCE(create->lpszClass);
            s_current->m_seen.push_back(Creation{named ? create->lpszClass : L"", static_cast<DWORD>(create->style),
                                                 RECT{create->x, create->y, create->x + create->cx,
                                                      create->y + create->cy}});
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static CreationRecorder* s_current;
    HHOOK m_hook;
    std::vector<Creation> m_seen;
};
CreationRecorder* CreationRecorder::s_current = nullptr;

int PixelsOf(const fw::MemoryBitmap& bitmap, const RECT& rect, COLORREF colour)
{
    int count = 0;
    for (int y = rect.top; y <= rect.bottom; ++y)
        for (int x = rect.left; x <= rect.right; ++x)
            count += bitmap.Pixel(x, y) == colour;
    return count;
}

}  // namespace

TEST(GridCellTypes, AreMadeByDescriptorAndKeepTheCellTheyReplace)
{
    TestParent parent;
    auto grid = Grid(parent);
    const SIZE plain = grid->GetCell(1, 1)->GetCellExtent(nullptr);
    const fw::RuntimeClass* classes[] = {&CGridCellCombo::Class, &CGridCellDateTime::Class, &CGridCellNumeric::Class,
                                         &CGridURLCell::Class};
    const char* names[] = {"CGridCellCombo", "CGridCellDateTime", "CGridCellNumeric", "CGridURLCell"};
    for (int row = 1; row <= 4; ++row) {
        ASSERT_TRUE(grid->SetCellType(row, 1, classes[row - 1]));
        EXPECT_STREQ(names[row - 1], grid->GetCell(row, 1)->GetRuntimeClass()->name);
        EXPECT_EQ(fw::WString::Format(L"%d,1", row), grid->GetItemText(row, 1));  // the replaced cell's
    }
    auto* combo = static_cast<CGridCellCombo*>(grid->GetCell(1, 1));
    auto* date = static_cast<CGridCellDateTime*>(grid->GetCell(2, 1));
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWN), combo->GetStyle());
    EXPECT_EQ(0u, date->GetStyle());
    EXPECT_LE(_time64(nullptr) - date->GetTime(), 5);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), static_cast<CGridURLCell*>(grid->GetCell(4, 1))->GetLinkColour());

    // Room for the drop-down button (or the up-down arrows).
    const SIZE wider = combo->GetCellExtent(nullptr);
    EXPECT_EQ(plain.cx + ::GetSystemMetrics(SM_CXVSCROLL), wider.cx);
    EXPECT_GE(wider.cy, ::GetSystemMetrics(SM_CYHSCROLL));
}

TEST(GridCellCombo, OpensItsListOverTheCellAndEndsOnEnter)
{
    TestParent parent;
    auto grid = Grid(parent);
    auto* combo = MakeCell<CGridCellCombo>(*grid, 2, 1);
    combo->SetOptions({L"apple", L"banana", L"cherry"});
    grid->SetItemText(2, 1, L"banana");
    CreationRecorder created;
    HWND list = OpenEditor(*grid, 2, 1);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(L"ComboBox", ClassOf(list));
    // Over the cell, with room for four more rows and a bar below it.
    const CreationRecorder::Creation* creation = created.Of(L"ComboBox");
    ASSERT_NE(nullptr, creation);
    EXPECT_EQ(static_cast<DWORD>(0x50A00040 | CBS_DROPDOWN), creation->style);
    const RECT cell = CellRect(*grid, 2, 1);
    EXPECT_EQ(cell.left, creation->rect.left);
    EXPECT_EQ(cell.top, creation->rect.top);
    EXPECT_EQ(cell.right + 1, creation->rect.right);
    EXPECT_EQ(cell.bottom + 1 + 4 * 20 + ::GetSystemMetrics(SM_CYHSCROLL), creation->rect.bottom);
    EXPECT_EQ(3, ::SendMessageW(list, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, ::SendMessageW(list, CB_GETCURSEL, 0, 0));  // the cell's text
    EXPECT_TRUE(::SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0));
    const LRESULT width = ::SendMessageW(list, CB_GETDROPPEDWIDTH, 0, 0);
    EXPECT_GT(width, ::GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_LE(width, 200);

    // The edit field is the editor; typing goes there, enter ends with the new text.
    HWND field = combo->GetEditor();
    ASSERT_NE(nullptr, field);
    EXPECT_EQ(::GetDlgItem(list, 1001), field);
    EXPECT_EQ(field, ::GetFocus());
    parent.Clear();
    ::PostMessageW(field, WM_CHAR, L's', 0);
    ::PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(field, WM_CHAR, VK_RETURN, 0);
    ::PostMessageW(field, WM_KEYUP, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId));
    EXPECT_EQ(L"bananas", grid->GetItemText(2, 1));
    EXPECT_EQ((std::vector<UINT>{LVN_ENDLABELEDITW}), parent.Codes());
    EXPECT_FALSE(combo->IsEditing());
    EXPECT_EQ(nullptr, combo->GetEditor());
}

TEST(GridCellCombo, KeepsAnOwnTextEscapesAndEndsWhenTheFocusLeaves)
{
    TestParent parent;
    auto grid = Grid(parent);
    auto* combo = MakeCell<CGridCellCombo>(*grid, 1, 1);
    combo->SetOptions({L"short", L"an option far too long to be shown whole in a list of two hundred pixels"});
    grid->SetItemText(1, 1, L"own text");
    HWND list = OpenEditor(*grid, 1, 1);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(CB_ERR, ::SendMessageW(list, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"own text", TextOf(combo->GetEditor()));
    EXPECT_EQ(200, ::SendMessageW(list, CB_GETDROPPEDWIDTH, 0, 0));
    // Each drop-down measures again.
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    ::SendMessageW(list, CB_SETDROPPEDWIDTH, 50, 0);
    ::SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(200, ::SendMessageW(list, CB_GETDROPPEDWIDTH, 0, 0));

    // Escape puts the text back: no change to tell.
    parent.Clear();
    HWND field = combo->GetEditor();
    ::SendMessageW(field, WM_CHAR, L'!', 0);
    ::PostMessageW(field, WM_KEYUP, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId));
    EXPECT_EQ(L"own text", grid->GetItemText(1, 1));
    EXPECT_TRUE(parent.notices.empty());

    // A typed letter replaces the text; the focus leaving (drop-down closed) ends the edit.
    list = OpenEditor(*grid, 1, 1, L'z');
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(L"z", TextOf(combo->GetEditor()));
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    ::SetFocus(grid->Handle());
    PumpMessages();
    EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId));
    EXPECT_EQ(L"z", grid->GetItemText(1, 1));

    // In the field an arrow moves the caret; with control it ends the edit, and the
    // grid moves on and edits the next cell. The release of tab does the same to the right.
    list = OpenEditor(*grid, 1, 1, L'y');
    ASSERT_NE(nullptr, list);
    ::SendMessageW(combo->GetEditor(), WM_KEYDOWN, VK_LEFT, 0);
    ASSERT_TRUE(::IsWindow(list));
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] |= 0x80;
    ::SetKeyboardState(keys);
    ::PostMessageW(combo->GetEditor(), WM_KEYDOWN, VK_DOWN, 0);
    PumpMessages();
    keys[VK_CONTROL] &= ~0x80;
    ::SetKeyboardState(keys);
    EXPECT_EQ(L"y", grid->GetItemText(1, 1));
    EXPECT_EQ(GridCellId(2, 1), grid->GetFocusCell());
    HWND next = ::GetDlgItem(grid->Handle(), kGridEditorId);
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(L"Edit", ClassOf(next));
    ::SetFocus(grid->Handle());
    PumpMessages();
    list = OpenEditor(*grid, 1, 1);
    ASSERT_NE(nullptr, list);
    ::PostMessageW(combo->GetEditor(), WM_KEYUP, VK_TAB, 0);
    PumpMessages();
    EXPECT_EQ(GridCellId(1, 2), grid->GetFocusCell());
    ::SetFocus(grid->Handle());
    PumpMessages();

    // Options match only as written: "SHORT" opens with none selected and stays as it is.
    grid->SetItemText(1, 1, L"SHORT");
    list = OpenEditor(*grid, 1, 1);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(CB_ERR, ::SendMessageW(list, CB_GETCURSEL, 0, 0));
    ::PostMessageW(combo->GetEditor(), WM_KEYUP, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(L"SHORT", grid->GetItemText(1, 1));

    // Without an edit field only an option can be chosen; choosing none keeps the text.
    combo->SetStyle(CBS_DROPDOWNLIST);
    list = OpenEditor(*grid, 1, 1);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(nullptr, combo->GetEditor());
    EXPECT_EQ(nullptr, ::GetDlgItem(list, 1001));
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    ::SetFocus(grid->Handle());
    PumpMessages();
    EXPECT_EQ(L"SHORT", grid->GetItemText(1, 1));
    list = OpenEditor(*grid, 1, 1);
    ASSERT_NE(nullptr, list);
    ::SendMessageW(list, CB_SETCURSEL, 0, 0);
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    ::SetFocus(grid->Handle());
    PumpMessages();
    EXPECT_EQ(L"short", grid->GetItemText(1, 1));
}

TEST(GridCellDateTime, ShowsItsTimeInTheTwoStylesWithTheFallbacks)
{
    CGridCellDateTime date;
    date.SetTime(LocalTime(2008, 3, 5, 9, 7, 3));
    EXPECT_STREQ(L"03/05/2008", date.GetText());
    EXPECT_EQ(LocalTime(2008, 3, 5, 9, 7, 3), date.GetTime());
    date.SetTime(40000000000);  // beyond what converts to local time
    EXPECT_STREQ(L"00/00/00", date.GetText());

    CGridCellDateTime clock(DTS_TIMEFORMAT);
    EXPECT_EQ(static_cast<DWORD>(DTS_TIMEFORMAT), clock.GetStyle());
    EXPECT_EQ(static_cast<UINT>(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CENTER), clock.GetFormat());
    EXPECT_EQ(8u, wcslen(clock.GetText()));  // now, as hh:mm:ss
    clock.SetTime(LocalTime(2008, 3, 5, 9, 7, 3));
    EXPECT_STREQ(L"09:07:03", clock.GetText());
    clock.SetTime(40000000000);
    EXPECT_STREQ(L"-1:-1:-1", clock.GetText());

    CGridCellDateTime other(DTS_LONGDATEFORMAT);
    other.SetText(L"kept");
    other.SetTime(LocalTime(2008, 3, 5, 9, 7, 3));
    EXPECT_STREQ(L"kept", other.GetText());
    EXPECT_EQ(LocalTime(2008, 3, 5, 9, 7, 3), other.GetTime());
}

TEST(GridCellDateTime, IsEditedWithAPickerThatWritesItsTimeBack)
{
    TestParent parent;
    auto grid = Grid(parent);
    auto* date = MakeCell<CGridCellDateTime>(*grid, 3, 2);
    date->SetTime(LocalTime(2008, 3, 5, 9, 7, 3));
    HWND picker = OpenEditor(*grid, 3, 2);
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(L"SysDateTimePick32", ClassOf(picker));
    EXPECT_EQ(picker, date->GetEditor());
    EXPECT_EQ(static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE | DTS_UPDOWN),
              ::GetWindowLongPtrW(picker, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | DTS_UPDOWN));
    SYSTEMTIME shown{};
    ASSERT_EQ(GDT_VALID, ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)));
    EXPECT_EQ(2008, shown.wYear);
    EXPECT_EQ(3, shown.wMonth);
    EXPECT_EQ(5, shown.wDay);
    // Arrows change the picker, they do not end it (opened by the mouse).
    ::SendMessageW(picker, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(::IsWindow(picker));

    SYSTEMTIME picked = shown;
    picked.wYear = 2009;
    picked.wMonth = 4;
    picked.wDay = 6;
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
    const std::wstring text = TextOf(picker);
    parent.Clear();
    ::PostMessageW(picker, WM_KEYUP, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId));
    EXPECT_EQ(LocalTime(2009, 4, 6, picked.wHour, picked.wMinute, picked.wSecond), date->GetTime());
    EXPECT_EQ(text, grid->GetItemText(3, 2).str());  // the picker's own text
    EXPECT_EQ((std::vector<UINT>{LVN_ENDLABELEDITW}), parent.Codes());

    // Not changed, the cell keeps its time and text: on enter, on escape, and
    // with a time that does not convert (the picker shows now).
    for (const long long kept : {LocalTime(2008, 3, 5, 9, 7, 3), 40000000000LL}) {
        for (UINT key : {VK_RETURN, VK_ESCAPE}) {
            date->SetTime(kept);
            const fw::WString shownText = date->GetText();
            ASSERT_NE(nullptr, OpenEditor(*grid, 3, 2));
            ::PostMessageW(date->GetEditor(), WM_KEYUP, key, 0);
            PumpMessages();
            EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId));
            EXPECT_EQ(kept, date->GetTime()) << key;
            EXPECT_EQ(shownText, grid->GetItemText(3, 2)) << key;
        }
    }
}

TEST(GridCellNumeric, TakesDigitsOnly)
{
    TestParent parent;
    auto grid = Grid(parent);
    MakeCell<CGridCellNumeric>(*grid, 2, 2);
    HWND editor = OpenEditor(*grid, 2, 2, L'4');
    ASSERT_NE(nullptr, editor);
    EXPECT_TRUE(::GetWindowLongPtrW(editor, GWL_STYLE) & ES_NUMBER);
    EXPECT_FALSE(::GetWindowLongPtrW(editor, GWL_STYLE) & (ES_CENTER | ES_RIGHT));
    ::SendMessageW(editor, WM_CHAR, L'x', 0);
    ::SendMessageW(editor, WM_CHAR, L'2', 0);
    ::SendMessageW(editor, WM_CHAR, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(L"42", grid->GetItemText(2, 2));
}

TEST(GridURLCell, DrawsLinksInTheLinkColourAndIsNotEdited)
{
    TestParent parent;
    auto grid = Grid(parent);
    auto* link = MakeCell<CGridURLCell>(*grid, 1, 1);
    auto* shout = MakeCell<CGridURLCell>(*grid, 2, 1);
    auto* mail = MakeCell<CGridURLCell>(*grid, 3, 1);
    link->SetText(L"at www.example.com");
    shout->SetText(L"AT WWW.EXAMPLE.COM");
    mail->SetText(L"mailto:someone");
    auto bitmap = Render(*grid);
    const COLORREF colour = link->GetLinkColour();
    EXPECT_GT(PixelsOf(*bitmap, CellRect(*grid, 1, 1), colour), 10);
    EXPECT_GT(PixelsOf(*bitmap, CellRect(*grid, 3, 1), colour), 10);
    EXPECT_EQ(0, PixelsOf(*bitmap, CellRect(*grid, 2, 1), colour));  // the prefixes are matched as written
    EXPECT_GT(PixelsOf(*bitmap, CellRect(*grid, 2, 1), ::GetSysColor(COLOR_WINDOWTEXT)), 10);
    EXPECT_EQ(colour, link->GetTextColour());  // it stays so
    EXPECT_EQ(kGridDefaultColour, shout->GetTextColour());

    // Neither a typed letter nor a second click opens an editor.
    EXPECT_EQ(nullptr, OpenEditor(*grid, 1, 1, L'q'));
    EXPECT_EQ(nullptr, OpenEditor(*grid, 1, 1));
    EXPECT_STREQ(L"at www.example.com", link->GetText());
}

TEST(GridCellTypes, AnEditorThatCannotBeMadeLeavesTheCellEditingAndEndingDoesNothing)
{
    TestParent parent;
    auto grid = Grid(parent);
    CGridCellBase* cells[] = {MakeCell<CGridCellCombo>(*grid, 1, 1), MakeCell<CGridCellDateTime>(*grid, 2, 1),
                              MakeCell<CGridCellNumeric>(*grid, 3, 1)};
    for (int row = 1; row <= 3; ++row) {
        CGridCellBase* cell = cells[row - 1];
        const RECT rect = CellRect(*grid, row, 1);
        bool started;
        {
            testsupport::FailingAllocation failing(0);
            started = cell->StartEdit(row, 1, rect, POINT{-1, -1}, kGridEditorId, L'a');
        }
        EXPECT_TRUE(started) << row;
        EXPECT_TRUE(cell->IsEditing()) << row;
        EXPECT_EQ(nullptr, cell->GetEditor()) << row;
        EXPECT_EQ(nullptr, ::GetDlgItem(grid->Handle(), kGridEditorId)) << row;
        parent.Clear();
        cell->EndEdit();
        PumpMessages();
        EXPECT_TRUE(parent.notices.empty()) << row;
        EXPECT_EQ(fw::WString::Format(L"%d,1", row), grid->GetItemText(row, 1));
    }
}
