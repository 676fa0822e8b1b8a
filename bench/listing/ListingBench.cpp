// Listing benchmark: CCorvaneDlg::ListFolder filling the real file grid of a
// running dialog with a project's files (status query, upload.ini, sizes,
// times, sort), against the bare enumeration of the same folder with one
// status query per file, in one process and run. Also the part of the
// listing that is the grid's own fill (rows, cells, texts, sizes, sort).
// Figures only: nothing here passes or fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/Clock.h"
#include "bench/MeasuringDialog.h"

namespace {

using bench::Now;

constexpr int kRounds = 3;
const int kCounts[] = {5000, 10000};

// The best of a few rounds, in milliseconds.
double Best(const std::function<void()>& step)
{
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Now();
        step();
        best = std::min(best, Now() - start);
    }
    return best;
}

fw::WString Folder(int count)
{
    return fw::WString::Format(L"\\Flash Disk\\Data\\N%d\\", count);
}

int BareEnumeration(const fw::WString& folder)
{
    int files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"*.abc").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        WIN32_FILE_ATTRIBUTE_DATA status;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            ::GetFileAttributesExW((folder + entry.cFileName).c_str(), GetFileExInfoStandard, &status))
            ++files;
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return files;
}

// The grid's share: the same rows, cells and texts, made as the listing
// makes them, with no file behind them.
void FillOnly(CGridCtrl& grid, int count)
{
    grid.DeleteNonFixedRows();
    grid.SetRedraw(false);
    grid.SetRowCount(count + 1);
    for (int row = 1; row <= count; ++row) {
        const int i = row;
        grid.SetItemText(row, 1, fw::WString::Format(L"F%05d", i).c_str());
        grid.SetCellType(row, 0, &CGridCellCheck::Class);
        grid.SetItemText(row, 2, L"uploaded");
        grid.SetItemText(row, 3, L"2024-05-01 10:00");
        grid.SetItemText(row, 4, L"2");
        grid.SetItemText(row, 5, fw::WString::Format(L"2024.05.%02d-10:%02d", i % 28 + 1, i % 60).c_str());
    }
    grid.AutoSizeColumns(GridAutoSize::kBoth);
    grid.SortItems(&CGridCtrl::TextCompare, 5, false);
    grid.SetRedraw(true, true);
}

struct Figures {
    int count;
    int listed;
    double bare;
    double listing;
    double fill;
};

class BenchDialog : public bench::MeasuringDialog {
public:
    std::vector<Figures> figures;
    double insertWithRedraw = 0;  // one row inserted by InsertRow, redraw on

private:
    void Measure() override
    {
        CGridCtrl& grid = FileGrid();
        for (int count : kCounts) {
            const fw::WString folder = Folder(count);
            Figures row{count, 0, 0, 0, 0};
            row.bare = Best([&] { BareEnumeration(folder); });
            row.listing = Best([&] { row.listed = ListFolder(folder, FilePattern(), &grid); });
            row.fill = Best([&] { FillOnly(grid, count); });
            figures.push_back(row);
        }
        grid.DeleteNonFixedRows();
        constexpr int kRows = 300;
        const double start = Now();
        for (int i = 0; i < kRows; ++i)
            grid.InsertRow(L"", -1);
        insertWithRedraw = (Now() - start) / kRows;
    }
};

}  // namespace

int main()
{
    ShowManagerParams record{};
    record.dataLocation = "Flash Disk\\Data\\";
    record.filePattern = "*.abc";
    record.language = 0;
    BenchDialog dialog;
    dialog.TakeOverRecord(record);
    if (dialog.DoModal() != IDOK || dialog.figures.size() != 2) {
        std::printf("the dialog could not be run\n");
        return 1;
    }
    std::printf("Listing a project into the file manager's file grid (ListFolder: enumeration, status query,\n"
                "upload.ini, sizes, times, sort) against the bare enumeration with one status query per file.\n"
                "Same run, best of %d, milliseconds.\n\n",
                kRounds);
    std::printf("%7s %8s %10s %10s %7s %12s %7s\n", "files", "listed", "bare", "listing", "ratio", "grid fill",
                "share");
    for (const Figures& f : dialog.figures)
        std::printf("%7d %8d %10.1f %10.1f %6.2fx %12.1f %6.0f%%\n", f.count, f.listed, f.bare, f.listing,
                    f.listing / f.bare, f.fill, 100.0 * f.fill / f.listing);
    const Figures& small = dialog.figures[0];
    const Figures& large = dialog.figures[1];
    std::printf("\ngrowth 5,000 -> 10,000 files: bare %.2fx, listing %.2fx\n", large.bare / small.bare,
                large.listing / small.listing);
    std::printf("targets: listing <= 3x bare; listing of 10,000 <= 2.2x that of 5,000\n");
    std::printf("for scale: one row inserted by InsertRow with redraw on: %.3f ms\n", dialog.insertWithRedraw);
    return 0;
}
