// Grid benchmark: the grid against the platform's list view in report mode,
// on the same 10,000 rows x 6 columns of realistic texts, in one process and
// run. Prints each step's time for both, their ratio, and the grid's memory
// per cell. Figures only: nothing here passes or fails.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GridCellCheck.h"
#include "GridCtrl.h"
#include "bench/Clock.h"
#include "framework/Gdi.h"
#include "support/Allocations.h"
#include "support/Process.h"

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 6;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

using bench::Now;

double Time(const std::function<void()>& step)
{
    const double start = Now();
    step();
    return Now() - start;
}

// The file manager's columns: check box, name, state, upload time, size (kB), modification time.
struct Data {
    std::vector<std::wstring> headers{L"", L"File Name", L"File State", L"Upload Time", L"Size(kB)", L"Modify Time"};
    std::vector<std::vector<std::wstring>> rows;
};

Data MakeData()
{
    Data data;
    unsigned seed = 12345;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    const wchar_t* kinds[] = {L"Weld", L"Pipe", L"Plate", L"Bolt", L"Axle", L"Rail", L"Tank", L"Beam"};
    data.rows.reserve(kRows);
    for (int row = 0; row < kRows; ++row) {
        wchar_t name[64], upload[32], size[16], modified[32];
        swprintf(name, 64, L"%ls_%04u_%03u", kinds[next(8)], next(10000), next(1000));
        swprintf(upload, 32, L"%u.%02u.%02u-%02u:%02u", 2020 + next(5), 1 + next(12), 1 + next(28), next(24), next(60));
        swprintf(size, 16, L"%u", next(200000));
        swprintf(modified, 32, L"%u.%02u.%02u-%02u:%02u", 2020 + next(5), 1 + next(12), 1 + next(28), next(24), next(60));
        data.rows.push_back({L"", name, next(3) ? L"Uploaded" : L"Not uploaded", upload, size, modified});
    }
    return data;
}

const Data* g_data = nullptr;

int CALLBACK ListTextCompare(LPARAM first, LPARAM second, LPARAM col)
{
    return wcscmp(g_data->rows[first][col].c_str(), g_data->rows[second][col].c_str());
}

int CALLBACK ListNumberCompare(LPARAM first, LPARAM second, LPARAM col)
{
    long a = wcstol(g_data->rows[first][col].c_str(), nullptr, 10);
    long b = wcstol(g_data->rows[second][col].c_str(), nullptr, 10);
    return a < b ? -1 : (a > b ? 1 : 0);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeParent()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GridBenchParent";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, wc.lpszClassName, L"grid bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             kWidth + 40, kHeight + 60, nullptr, nullptr, wc.hInstance, nullptr);
}


HWND MakeList(HWND parent)
{
    return ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                             kWidth, kHeight, parent, reinterpret_cast<HMENU>(8), nullptr, nullptr);
}

// The list view filled one item at a time, its texts set one by one; with
// redraw switched off around it, as anyone filling a list view in bulk does.
void FillList(HWND list, const Data& data, bool redrawOff)
{
    if (redrawOff)
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int col = 0; col < kCols; ++col) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = col == 0 ? 24 : 110;
        column.pszText = const_cast<wchar_t*>(data.headers[col].c_str());
        ListView_InsertColumn(list, col, &column);
    }
    for (int row = 0; row < kRows; ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.lParam = row;
        item.pszText = const_cast<wchar_t*>(data.rows[row][0].c_str());
        ListView_InsertItem(list, &item);
        for (int col = 1; col < kCols; ++col)
            ListView_SetItemText(list, row, col, const_cast<wchar_t*>(data.rows[row][col].c_str()));
    }
    if (redrawOff)
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

// The grid filled as the file manager fills it: a header row, then per file
// one row appended with an empty text, its name, a check-box cell in column 0
// and the other texts; optionally with redraw switched off around it.
void FillGridByRows(CGridCtrl& grid, const Data& data, bool redrawOff)
{
    if (redrawOff)
        grid.SetRedraw(false);
    grid.SetColumnCount(kCols);
    grid.SetFixedRowCount(1);
    for (int col = 0; col < kCols; ++col) {
        grid.SetItemText(0, col, data.headers[col].c_str());
        grid.SetColumnWidth(col, col == 0 ? 24 : 110);
    }
    grid.SetCellType(0, 0, &CGridCellCheck::Class);
    for (int row = 0; row < kRows; ++row) {
        const int added = grid.InsertRow(L"", -1);
        grid.SetItemText(added, 1, data.rows[row][1].c_str());
        grid.SetCellType(added, 0, &CGridCellCheck::Class);
        for (int col = 2; col < kCols; ++col)
            grid.SetItemText(added, col, data.rows[row][col].c_str());
    }
    if (redrawOff)
        grid.SetRedraw(true);
}

struct Row {
    const char* step;
    double grid;
    double list;
};

void Print(const std::vector<Row>& rows)
{
    std::printf("%-34s %12s %12s %9s\n", "step", "grid ms", "list ms", "grid/list");
    for (const Row& row : rows)
        std::printf("%-34s %12.2f %12.2f %9.2f\n", row.step, row.grid, row.list, row.list > 0 ? row.grid / row.list : 0.0);
}

// Paints the window's client area into a bitmap through WM_PRINTCLIENT.
void PaintInto(HWND window, fw::MemoryBitmap& bitmap)
{
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.DC()), PRF_CLIENT | PRF_ERASEBKGND);
}

}  // namespace

int main(int argc, char** argv)
{
    // Scrolling steps: every row line by line is the default; a smaller count runs faster.
    int lineSteps = argc > 1 ? std::atoi(argv[1]) : kRows;
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&init);
    const Data data = MakeData();
    g_data = &data;
    HWND parent = MakeParent();
    const RECT area{0, 0, kWidth, kHeight};
    std::vector<Row> results;

    // --- the grid
    const testsupport::AllocationCount before = testsupport::Allocated();
    auto grid = std::make_unique<CGridCtrl>();
    grid->Create(area, parent, 7, WS_CHILD | WS_VISIBLE);
    double gridFill = Time([&] {
        grid->SetColumnCount(kCols);
        grid->SetFixedRowCount(1);
        grid->SetRowCount(kRows + 1);
        for (int col = 0; col < kCols; ++col)
            grid->SetItemText(0, col, data.headers[col].c_str());
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                grid->SetItemText(row + 1, col, data.rows[row][col].c_str());
    });
    const long long gridBytes = testsupport::Allocated().bytes - before.bytes;
    const long long gridAllocations = testsupport::Allocated().calls - before.calls;
    for (int col = 0; col < kCols; ++col)
        grid->SetColumnWidth(col, col == 0 ? 24 : 110);
    double gridTextSort = Time([&] { grid->SortItems(1, true); });
    double gridNumberSort = Time([&] { grid->SortItems(&CGridCtrl::NumericCompare, 4, true); });
    double gridSelectAll = Time([&] { grid->SelectAllCells(); });
    fw::MemoryBitmap gridBitmap(kWidth, kHeight);
    PaintInto(grid->Handle(), gridBitmap);  // fonts and brushes warmed up

    // --- the list view, same data
    HWND list = MakeList(parent);
    double listFill = Time([&] { FillList(list, data, true); });
    double listTextSort = Time([&] { ListView_SortItems(list, ListTextCompare, 1); });
    double listNumberSort = Time([&] { ListView_SortItems(list, ListNumberCompare, 4); });
    double listSelectAll = Time([&] { ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED); });
    fw::MemoryBitmap listBitmap(kWidth, kHeight);
    PaintInto(list, listBitmap);

    // Repeatable steps run in rounds, grid and list in turns whose order
    // alternates, and the medians count: other work on the machine then
    // disturbs both alike.
    constexpr int kRounds = 5;
    auto inTurns = [](const std::function<double()>& gridStep, const std::function<double()>& listStep,
                      double& gridMedian, double& listMedian) {
        std::vector<double> grids;
        std::vector<double> lists;
        for (int round = 0; round < kRounds; ++round) {
            if (round % 2 == 0) {
                grids.push_back(gridStep());
                lists.push_back(listStep());
            } else {
                lists.push_back(listStep());
                grids.push_back(gridStep());
            }
        }
        gridMedian = bench::Median(grids);
        listMedian = bench::Median(lists);
    };
    auto paintTen = [](HWND window, fw::MemoryBitmap& bitmap) {
        return Time([&] {
            for (int i = 0; i < 10; ++i)
                PaintInto(window, bitmap);
        }) / 10;
    };
    double gridPaint = 0;
    double listPaint = 0;
    inTurns([&] { return paintTen(grid->Handle(), gridBitmap); }, [&] { return paintTen(list, listBitmap); },
            gridPaint, listPaint);

    // --- row by row, each in a window of its own
    auto rowByRow = [&](bool redrawOff) {
        Row row{redrawOff ? "fill row by row, redraw off" : "fill row by row, redraw on", 0, 0};
        auto byRows = std::make_unique<CGridCtrl>();
        byRows->Create(area, parent, 9, WS_CHILD | WS_VISIBLE);
        testsupport::PumpMessages();
        row.grid = Time([&] {
            FillGridByRows(*byRows, data, redrawOff);
            testsupport::PumpMessages();
        });
        byRows.reset();
        HWND byItems = MakeList(parent);
        testsupport::PumpMessages();
        row.list = Time([&] {
            FillList(byItems, data, redrawOff);
            testsupport::PumpMessages();
        });
        ::DestroyWindow(byItems);
        return row;
    };
    const Row rowsRedrawOff = rowByRow(true);
    const Row rowsRedrawOn = rowByRow(false);

    results.push_back({"fill (10,000 rows x 6 texts)", gridFill, listFill});
    results.push_back(rowsRedrawOff);
    results.push_back(rowsRedrawOn);
    results.push_back({"sort by a text column", gridTextSort, listTextSort});
    results.push_back({"sort by a numeric column", gridNumberSort, listNumberSort});
    results.push_back({"select all", gridSelectAll, listSelectAll});
    results.push_back({"paint one window-full", gridPaint, listPaint});

    // --- scrolling, painting each step
    auto scrollGrid = [&](UINT code, int steps) {
        grid->Send(WM_VSCROLL, SB_TOP);
        return Time([&] {
            for (int i = 0; i < steps; ++i) {
                grid->Send(WM_VSCROLL, code);
                PaintInto(grid->Handle(), gridBitmap);
            }
        }) / steps;
    };
    auto scrollList = [&](UINT code, int steps) {
        // The list view ignores SB_TOP: without this, every round after the
        // first would start where the last one ended, at the bottom.
        ListView_EnsureVisible(list, 0, FALSE);
        return Time([&] {
            for (int i = 0; i < steps; ++i) {
                ::SendMessageW(list, WM_VSCROLL, code, 0);
                PaintInto(list, listBitmap);
            }
        }) / steps;
    };
    lineSteps = std::max(1, std::min(lineSteps, kRows));
    // Enough pages to pass the same rows as the line steps.
    const int rowsPerPage = std::max(1, (kHeight - grid->GetRowHeight(0)) / std::max(1, grid->GetRowHeight(1)));
    const int pageSteps = std::max(1, (lineSteps + rowsPerPage - 1) / rowsPerPage);
    double gridLine = 0;
    double listLine = 0;
    double gridPage = 0;
    double listPage = 0;
    inTurns([&] { return scrollGrid(SB_LINEDOWN, lineSteps); }, [&] { return scrollList(SB_LINEDOWN, lineSteps); },
            gridLine, listLine);
    inTurns([&] { return scrollGrid(SB_PAGEDOWN, pageSteps); }, [&] { return scrollList(SB_PAGEDOWN, pageSteps); },
            gridPage, listPage);
    // What both controls pay the platform at each step: it paints the bar
    // whenever its position is set. Measured on a bare window of the same
    // size and range, set to the same positions.
    HWND bare = ::CreateWindowExW(0, L"GridBenchParent", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, kWidth,
                                  kHeight, parent, nullptr, nullptr, nullptr);
    const int lowest = grid->GetScrollPos32(SB_VERT);  // as far down as the page steps went
    SCROLLINFO range{sizeof(range), SIF_RANGE | SIF_PAGE | SIF_POS, 0, lowest + kHeight, kHeight, 0, 0};
    ::SetScrollInfo(bare, SB_VERT, &range, TRUE);
    const int rowHeight = std::max(1, grid->GetRowHeight(1));
    std::vector<double> bars;
    for (int round = 0; round < kRounds; ++round)
        bars.push_back(Time([&] {
            for (int i = 1; i <= lineSteps; ++i) {
                SCROLLINFO at{sizeof(at), SIF_POS, 0, 0, 0, i * rowHeight, 0};
                ::SetScrollInfo(bare, SB_VERT, &at, TRUE);
            }
        }) / lineSteps);
    const double barPaint = bench::Median(bars);
    ::DestroyWindow(bare);
    results.push_back({"scroll a line and paint (per step)", gridLine, listLine});
    results.push_back({"  the same without the bar's painting", gridLine - barPaint, listLine - barPaint});
    results.push_back({"scroll a page and paint (per step)", gridPage, listPage});

    std::printf("Grid control against the list view (report mode), %d rows x %d columns, %dx%d window\n",
                kRows, kCols, kWidth, kHeight);
    std::printf("painting and scrolling: medians of %d rounds in alternating order; %d line steps, %d page steps\n\n",
                kRounds, lineSteps, pageSteps);
    Print(results);
    std::printf("the platform painting the vertical bar, alone: %.2f ms per step\n", barPaint);
    const double cells = static_cast<double>(kRows + 1) * kCols;
    std::printf("\ngrid memory per cell: %.1f bytes asked of operator new in %.2f allocations\n",
                static_cast<double>(gridBytes) / cells, static_cast<double>(gridAllocations) / cells);
    std::printf("grid selected cells: %d, list selected items: %d\n", grid->GetSelectedCount(),
                static_cast<int>(ListView_GetSelectedCount(list)));
    std::fflush(stdout);
    grid.reset();
    ::DestroyWindow(parent);
    return 0;
}
