// The cell classes: fall-back to the default cells, the owned font, reset and
// copy, measuring and drawing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GridCell.h"
#include "GridCellCheck.h"
#include "GridDefaultCell.h"
#include "GridTestSupport.h"
#include "support/Allocations.h"
#include "support/Printers.h"

using gridtest::MakeGrid;
using gridtest::TestParent;

namespace {

LOGFONTW SystemFont()
{
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(SYSTEM_FONT), sizeof(font), &font);
    return font;
}

SIZE TextSize(const wchar_t* text, const LOGFONTW& font)
{
    fw::ClientDC screen(nullptr);
    fw::Font object(::CreateFontIndirectW(&font));
    fw::SelectGuard select(screen.Get(), object.Get());
    SIZE size{};
    ::GetTextExtentPoint32W(screen.Get(), text, static_cast<int>(wcslen(text)), &size);
    return size;
}

}  // namespace

TEST(GridCell, ClassesAreMadeFromTheirDescriptorsAndKnowTheirBase)
{
    for (const fw::RuntimeClass* cls : {&CGridCell::Class, &CGridDefaultCell::Class, &CGridCellCheck::Class}) {
        std::unique_ptr<fw::Object> made(cls->CreateObject());
        ASSERT_NE(nullptr, made) << cls->name;
        EXPECT_TRUE(made->IsKindOf(&CGridCellBase::Class)) << cls->name;
        EXPECT_EQ(cls, made->GetRuntimeClass());
    }
    EXPECT_STREQ("CGridCellBase", CGridCellBase::Class.name);
    EXPECT_STREQ("CGridCell", CGridCell::Class.name);
    EXPECT_STREQ("CGridDefaultCell", CGridDefaultCell::Class.name);
    EXPECT_STREQ("CGridCellCheck", CGridCellCheck::Class.name);
    EXPECT_EQ(nullptr, CGridCellBase::Class.CreateObject());  // abstract
}

namespace {

// Makes and drops cells named after the thread; 1 when every one kept its text.
DWORD WINAPI MakeAndDropCells(void* thread)
{
    const std::wstring text = L"thread " + std::to_wstring(reinterpret_cast<uintptr_t>(thread));
    std::vector<std::unique_ptr<CGridCell>> cells(64);
    bool kept = true;
    for (int round = 0; round < 400000; ++round) {
        auto& cell = cells[static_cast<size_t>(round) % cells.size()];
        kept = kept && (!cell || text == cell->GetText());
        cell.reset(new CGridCell);
        cell->SetText(text.c_str());
    }
    return kept ? 1 : 0;
}

}  // namespace

TEST(GridCell, CellsMadeAndDroppedInAnyOrderKeepTheirTexts)
{
    // Cells of two sizes, for several of the pool's blocks, dropped out of order while more are made.
    std::vector<std::unique_ptr<CGridCellBase>> cells;
    const auto textOf = [](size_t i) { return std::to_wstring(i) + L" cell"; };
    for (size_t i = 0; i < 3000; ++i) {
        cells.emplace_back(i % 3 ? static_cast<CGridCellBase*>(new CGridCell) : new CGridCellCheck);
        cells.back()->SetText(textOf(i).c_str());
        if (i % 4 == 1)
            cells[i / 2].reset();
    }
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_TRUE(!cells[i] || textOf(i) == cells[i]->GetText()) << i;

    // Threads with grids of their own share the pool.
    HANDLE threads[2] = {::CreateThread(nullptr, 0, MakeAndDropCells, reinterpret_cast<void*>(1), 0, nullptr),
                         ::CreateThread(nullptr, 0, MakeAndDropCells, reinterpret_cast<void*>(2), 0, nullptr)};
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForMultipleObjects(2, threads, TRUE, 60000));
    for (HANDLE thread : threads) {
        DWORD kept = 0;
        EXPECT_TRUE(::GetExitCodeThread(thread, &kept) && kept == 1);
        ::CloseHandle(thread);
    }
}

TEST(GridCell, CellsMadeWhileBlocksAreKeptTakeTheDroppedOnesMemory)
{
    std::vector<std::unique_ptr<CGridCell>> cells(3000);  // cells for many blocks
    const auto makeAll = [&] {
        const long long before = testsupport::Allocated().calls;
        for (auto& cell : cells)
            cell.reset(new CGridCell);
        return testsupport::Allocated().calls - before;
    };
    const auto dropAll = [&] {
        for (auto& cell : cells)
            cell.reset();
    };
    makeAll();
    {
        GridCellPool::KeepBlocks keep;
        {
            GridCellPool::KeepBlocks nested;
            dropAll();
        }
        EXPECT_EQ(0, makeAll());  // still kept by the outer one
        dropAll();
    }
    // The last keeper gave the blocks back: new cells ask for memory again.
    EXPECT_GT(makeAll(), 10);
}

TEST(GridCell, NewAndResetCellsTakeEverythingFromTheirDefaultCell)
{
    CGridCell loose;
    EXPECT_STREQ(L"", loose.GetText());
    EXPECT_EQ(-1, loose.GetImage());
    EXPECT_EQ(kGridDefaultColour, loose.GetTextColour());
    EXPECT_EQ(kGridDefaultColour, loose.GetBackColour());
    // Without a grid there is nothing to fall back on.
    EXPECT_EQ(0u, loose.GetFormat());
    EXPECT_EQ(0u, loose.GetMargin());
    EXPECT_EQ(nullptr, loose.GetFont());
    EXPECT_EQ(nullptr, loose.GetDefaultCell());

    CGridCtrl grid(3, 3, 1, 1);
    struct Case {
        int row, col;
        bool fixedRow, fixedCol;
    } cases[] = {{0, 0, true, true}, {0, 1, true, false}, {1, 0, false, true}, {2, 2, false, false}};
    for (const Case& c : cases) {
        CGridCellBase* cell = grid.GetCell(c.row, c.col);
        ASSERT_NE(nullptr, cell);
        CGridDefaultCell* defaults = grid.GetDefaultCell(c.fixedRow, c.fixedCol);
        EXPECT_EQ(defaults, cell->GetDefaultCell()) << c.row << "," << c.col;
        EXPECT_EQ(defaults->GetFont(), cell->GetFont());
        EXPECT_EQ(defaults->GetFontObject(), cell->GetFontObject());
        EXPECT_EQ(defaults->GetMargin(), cell->GetMargin());
        EXPECT_EQ(0x824u, cell->GetFormat());
        EXPECT_TRUE(cell->UsesDefaultFont());
    }
    // Four distinct default cells.
    EXPECT_NE(grid.GetDefaultCell(false, false), grid.GetDefaultCell(true, false));
    EXPECT_NE(grid.GetDefaultCell(false, true), grid.GetDefaultCell(true, true));

    CGridCellBase* cell = grid.GetCell(2, 2);
    // Texts of every length, also set from the cell's own text and from null.
    for (const wchar_t* text : {L"2024.05.01-10:00###", L"2024.05.01-10:00####", L"a much longer text of a cell", L""}) {
        cell->SetText(text);
        cell->SetText(cell->GetText());
        EXPECT_STREQ(text, cell->GetText());
        if (*text) {
            cell->SetText(cell->GetText() + 1);
            EXPECT_STREQ(text + 1, cell->GetText());
        }
    }
    cell->SetText(nullptr);
    EXPECT_STREQ(L"", cell->GetText());
    cell->SetText(L"x");
    cell->SetFormat(DT_LEFT);
    cell->SetMargin(7);
    cell->SetData(42);
    cell->Reset();
    EXPECT_STREQ(L"", cell->GetText());
    EXPECT_EQ(0, cell->GetData());
    EXPECT_EQ(0u, cell->GetState());
    EXPECT_EQ(nullptr, cell->GetGrid());  // reset lets go of the grid too
}

TEST(GridCell, DefaultCellIsMeasuredFromItsFontAndStaysReadOnly)
{
    CGridDefaultCell defaults;
    const LOGFONTW system = SystemFont();
    const SIZE blank = TextSize(L" ", system);
    const SIZE sample = TextSize(L" XXXXXXXXXXXX ", system);
    EXPECT_EQ(static_cast<UINT>(blank.cx), defaults.GetMargin());
    EXPECT_EQ(sample.cx, defaults.GetWidth());
    EXPECT_EQ(sample.cy * 3 / 2, defaults.GetHeight());
    EXPECT_EQ(0x824u, defaults.GetFormat());
    EXPECT_EQ(0u, defaults.GetStyle());
    EXPECT_EQ(0, memcmp(&system, defaults.GetFont(), sizeof(system)));

    defaults.SetState(0);
    defaults.SetData(5);
    EXPECT_EQ(static_cast<UINT>(GridState::kReadOnly), defaults.GetState());
    EXPECT_TRUE(defaults.IsReadOnly());
    EXPECT_EQ(0, defaults.GetData());

    LOGFONTW big = system;
    big.lfHeight = -40;
    wcscpy(big.lfFaceName, L"Tahoma");
    big.lfWeight = FW_NORMAL;
    defaults.SetFont(&big);
    EXPECT_EQ(TextSize(L" XXXXXXXXXXXX ", big).cx, defaults.GetWidth());
    EXPECT_GT(defaults.GetHeight(), sample.cy * 3 / 2);
}

TEST(GridCell, OwnsACopyOfItsFontAndCopiesOtherCellsThroughItsSetters)
{
    CGridCtrl grid(2, 2);
    CGridCellBase* cell = grid.GetCell(1, 1);
    LOGFONTW font = SystemFont();
    font.lfHeight = -30;
    cell->SetFont(&font);
    font.lfHeight = -5;  // the caller's copy is its own
    ASSERT_FALSE(cell->UsesDefaultFont());
    EXPECT_EQ(-30, cell->GetFont()->lfHeight);
    EXPECT_NE(grid.GetDefaultCell(false, false)->GetFontObject(), cell->GetFontObject());

    CGridCell copy;
    copy.CopyFrom(*cell);
    EXPECT_FALSE(copy.UsesDefaultFont());
    EXPECT_EQ(-30, copy.GetFont()->lfHeight);

    cell->SetFont(nullptr);
    EXPECT_TRUE(cell->UsesDefaultFont());
    EXPECT_EQ(grid.GetDefaultCell(false, false)->GetFont(), cell->GetFont());

    CGridCellBase* source = grid.GetCell(0, 1);
    source->SetText(L"source");
    source->SetImage(3);
    source->SetData(77);
    source->SetState(GridState::kSelected);
    source->SetFormat(DT_RIGHT);
    source->SetTextColour(RGB(1, 2, 3));
    source->SetBackColour(RGB(4, 5, 6));
    source->SetMargin(9);
    copy.CopyFrom(*source);  // the source uses the default font
    EXPECT_TRUE(copy.UsesDefaultFont());
    EXPECT_STREQ(L"source", copy.GetText());
    EXPECT_EQ(3, copy.GetImage());
    EXPECT_EQ(77, copy.GetData());
    EXPECT_EQ(static_cast<UINT>(GridState::kSelected), copy.GetState());
    EXPECT_EQ(static_cast<UINT>(DT_RIGHT), copy.GetFormat());
    EXPECT_EQ(RGB(1, 2, 3), copy.GetTextColour());
    EXPECT_EQ(RGB(4, 5, 6), copy.GetBackColour());
    EXPECT_EQ(9u, copy.GetMargin());
    EXPECT_EQ(&grid, copy.GetGrid());

    source->CopyFrom(*source);  // onto itself: nothing changes
    EXPECT_STREQ(L"source", source->GetText());
    EXPECT_EQ(77, source->GetData());
}

TEST(GridCell, TextExtentFallsBackMeasuresWidestLineAndTurnsWithTheFont)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(2);
    grid->SetColumnCount(2);
    CGridCellBase* cell = grid->GetCell(1, 1);
    CGridDefaultCell* defaults = grid->GetDefaultCell(false, false);

    SIZE missing = cell->GetTextExtent(nullptr);
    EXPECT_EQ(defaults->GetWidth(), missing.cx);
    EXPECT_EQ(defaults->GetHeight(), missing.cy);

    const int margin = static_cast<int>(cell->GetMargin());
    const SIZE oneLine = cell->GetTextExtent(L"much longer line");
    EXPECT_EQ(TextSize(L"much longer line", *cell->GetFont()).cx + 2 * margin, oneLine.cx);

    cell->SetFormat(DT_WORDBREAK | DT_LEFT);
    const SIZE wrapped = cell->GetTextExtent(L"short\nmuch longer line\nmid");
    EXPECT_LE(wrapped.cx, oneLine.cx + 1);  // the widest line, not the whole text
    EXPECT_GE(wrapped.cx, oneLine.cx - 1);
    EXPECT_GE(wrapped.cy, 3 * (oneLine.cy - 2 * margin) + 2 * margin);

    cell->SetFormat(DT_SINGLELINE);
    LOGFONTW upright = *cell->GetFont();
    upright.lfEscapement = 900;
    cell->SetFont(&upright);
    const SIZE flat = grid->GetCell(1, 0)->GetTextExtent(L"abc");
    const SIZE turned = cell->GetTextExtent(L"abc");
    EXPECT_EQ(flat.cy, turned.cx);
    EXPECT_EQ(flat.cx + 4 * margin, turned.cy);
}

TEST(GridCell, DrawFillsByStateAndFixedFlags)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(3);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    fw::MemoryBitmap bitmap(60, 20);
    const RECT rect{0, 0, 59, 19};
    auto drawn = [&](int row, int col, bool erase = true) {
        bitmap.Fill(RGB(1, 2, 3));
        EXPECT_TRUE(grid->GetCell(row, col)->Draw(bitmap.DC(), row, col, rect, erase));
        return bitmap.Pixel(30, 10);
    };

    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), drawn(0, 1));   // header: the fixed-row default cell
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), drawn(1, 1));    // body: the normal default cell
    EXPECT_EQ(RGB(1, 2, 3), drawn(1, 1, false));            // default colour and no erase: untouched
    grid->SetItemBackColour(1, 1, RGB(200, 10, 10));
    EXPECT_EQ(RGB(200, 10, 10), drawn(1, 1, false));        // an own colour is always filled
    grid->SetItemState(1, 2, GridState::kSelected);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), drawn(1, 2));
    grid->SetItemState(1, 2, GridState::kSelected | GridState::kFocused);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), drawn(1, 2, false));
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHTTEXT), bitmap.Pixel(0, 10));  // the focus frame

    // A default cell's own colours are the grid's, set at construction.
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), grid->GetDefaultCell(false, false)->GetTextColour());

    CGridCell loose;
    EXPECT_FALSE(loose.Draw(bitmap.DC(), 1, 1, rect, true));  // no grid
    EXPECT_FALSE(grid->GetCell(1, 1)->Draw(bitmap.DC(), 1, 1, RECT{5, 5, 5, 9}, true));  // empty
    EXPECT_FALSE(grid->GetCell(1, 1)->Draw(nullptr, 1, 1, rect, true));
}

TEST(GridCell, SortArrowOnlyInRowZeroBeyondColumnZero)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetColumnCount(3);
    grid->SetRowCount(3);
    grid->SetFixedRowCount(2);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    auto shadowPixels = [&](int row, int col) {
        fw::MemoryBitmap bitmap(80, 24);
        bitmap.Fill(RGB(1, 2, 3));
        grid->GetCell(row, col)->Draw(bitmap.DC(), row, col, RECT{0, 0, 79, 23}, true);
        int count = 0;
        for (int y = 2; y < 22; ++y)
            for (int x = 2; x < 78; ++x)
                count += bitmap.Pixel(x, y) == shadow;
        return count;
    };

    grid->SetSortColumn(1);
    EXPECT_GT(shadowPixels(0, 1), 3);
    EXPECT_EQ(0, shadowPixels(0, 2));
    EXPECT_EQ(0, shadowPixels(1, 1));  // not in the second header row
    grid->SetSortColumn(0);
    EXPECT_EQ(0, shadowPixels(0, 0));  // never in column 0
}

TEST(GridCell, ImagesComeFromTheGridsImageList)
{
    TestParent parent;
    auto grid = MakeGrid(parent);
    ASSERT_NE(nullptr, grid);
    grid->SetRowCount(2);
    grid->SetColumnCount(2);
    HIMAGELIST images = ImageList_Create(12, 12, ILC_COLOR32, 1, 0);
    ASSERT_NE(nullptr, images);
    {
        fw::MemoryBitmap red(12, 12);
        red.Fill(RGB(250, 0, 0));
        fw::Bitmap picture(::CreateCompatibleBitmap(red.DC(), 12, 12));
        {
            fw::ClientDC screen(nullptr);
            HDC copy = ::CreateCompatibleDC(screen.Get());
            HGDIOBJ old = ::SelectObject(copy, picture.Get());
            ::BitBlt(copy, 0, 0, 12, 12, red.DC(), 0, 0, SRCCOPY);
            ::SelectObject(copy, old);
            ::DeleteDC(copy);
        }
        ASSERT_EQ(0, ImageList_Add(images, picture.Get(), nullptr));
    }
    CGridCellBase* cell = grid->GetCell(1, 1);
    const int margin = static_cast<int>(cell->GetMargin());
    RECT text{10, 0, 100, 20};
    cell->GetTextRect(&text);
    EXPECT_EQ(10, text.left);  // no image yet
    SIZE plain = cell->GetCellExtent(nullptr);

    cell->SetImage(0);
    RECT none = text;
    cell->GetTextRect(&none);
    EXPECT_EQ(10, none.left);  // an index but no image list
    grid->SetImageList(images);
    cell->GetTextRect(&text);
    EXPECT_EQ(10 + 12 + margin + 1, text.left);
    SIZE withImage = cell->GetCellExtent(nullptr);
    EXPECT_GE(withImage.cx, plain.cx + 12);

    fw::MemoryBitmap bitmap(60, 30);
    bitmap.Fill(RGB(1, 2, 3));
    ASSERT_TRUE(cell->Draw(bitmap.DC(), 1, 1, RECT{0, 0, 59, 29}, true));
    EXPECT_EQ(RGB(250, 0, 0), bitmap.Pixel(margin + 2, margin + 2));
    // Too small a cell draws no image.
    bitmap.Fill(RGB(1, 2, 3));
    ASSERT_TRUE(cell->Draw(bitmap.DC(), 1, 1, RECT{0, 0, 59, 8}, true));
    EXPECT_NE(RGB(250, 0, 0), bitmap.Pixel(margin + 2, 2));
    grid->SetImageList(nullptr);
    ImageList_Destroy(images);
}

TEST(GridCell, EditStartsOnlyForCellsThatCanEditAndEndsByTheGrid)
{
    CGridCtrl grid(2, 2);
    CGridCellBase* cell = grid.GetCell(1, 1);
    EXPECT_FALSE(cell->IsEditing());
    EXPECT_TRUE(cell->StartEdit(1, 1, RECT{0, 0, 10, 10}, POINT{}, kGridEditorId, 1));
    EXPECT_TRUE(cell->IsEditing());
    cell->EditEnded();
    EXPECT_FALSE(cell->IsEditing());
    EXPECT_EQ(nullptr, cell->GetEditor());
    EXPECT_TRUE(cell->ValidateEdit(L"anything"));
}
