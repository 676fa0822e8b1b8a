// Listing benchmark: CCorvaneDlg::ListFolder filling the real file grid of a
// running dialog with a project's files (status query, upload.ini, sizes,
// times, sort), against the bare enumeration of the same folder with one
// status query per file, in one process and run. Also the part of the
// listing that is the grid's own fill (rows, cells, texts, sizes, sort), and
// the memory a listing takes: each measured in a fresh process of this
// program that lists one project once, against one that lists an empty one.
// Figures only: nothing here passes or fails.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "bench/MeasuringDialog.h"
#include "framework/Path.h"

namespace {

using bench::Now;

constexpr int kRounds = 7;
const int kCounts[] = {5000, 10000};

double Timed(const std::function<void()>& step)
{
    const double start = Now();
    step();
    return Now() - start;
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
    GridCellPool::KeepBlocks keep;
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    grid.SetRowCount(count + 1, 0, &CGridCellCheck::Class);
    for (int row = 1; row <= count; ++row) {
        const int i = row;
        grid.SetItemText(row, 1, fw::WString::Format(L"F%05d", i).c_str());
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
        constexpr size_t kSizes = sizeof kCounts / sizeof kCounts[0];
        std::vector<double> bare[kSizes];
        std::vector<double> listing[kSizes];
        std::vector<double> fill[kSizes];
        int listed[kSizes] = {};
        // Each round lists every size, in turns whose order alternates, and
        // so does the bare enumeration against the listing; the medians
        // count. A slow spell of the machine then falls on both sizes alike
        // and does not show as growth.
        for (int round = 0; round < kRounds; ++round) {
            for (size_t turn = 0; turn < kSizes; ++turn) {
                const size_t size = round % 2 == 0 ? turn : kSizes - 1 - turn;
                const int count = kCounts[size];
                const fw::WString folder = Folder(count);
                // Every listing replaces as many rows as it makes, as listing the same project again does.
                FillOnly(grid, count);
                const auto enumerate = [&] { bare[size].push_back(Timed([&] { BareEnumeration(folder); })); };
                const auto list = [&] {
                    listing[size].push_back(Timed([&] { listed[size] = ListFolder(folder, FilePattern(), &grid); }));
                };
                if (round % 2 == 0) {
                    enumerate();
                    list();
                } else {
                    list();
                    enumerate();
                }
                fill[size].push_back(Timed([&] { FillOnly(grid, count); }));
            }
        }
        for (size_t size = 0; size < kSizes; ++size)
            figures.push_back(Figures{kCounts[size], listed[size], bench::Median(bare[size]),
                                      bench::Median(listing[size]), bench::Median(fill[size])});
        grid.DeleteNonFixedRows();
        constexpr int kRows = 300;
        const double start = Now();
        for (int i = 0; i < kRows; ++i)
            grid.InsertRow(L"", -1);
        insertWithRedraw = (Now() - start) / kRows;
    }
};

// Lists one folder once into the file grid; the process's peak working set afterwards.
class MemoryDialog : public bench::MeasuringDialog {
public:
    explicit MemoryDialog(fw::WString folder) : m_folder(std::move(folder)) {}
    SIZE_T peak = 0;

private:
    void Measure() override
    {
        ListFolder(m_folder, FilePattern(), &FileGrid());
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
            peak = counters.PeakWorkingSetSize;
    }
    fw::WString m_folder;
};

ShowManagerParams Record()
{
    ShowManagerParams record{};
    record.dataLocation = "Flash Disk\\Data\\";
    record.filePattern = "*.abc";
    record.language = 0;
    return record;
}

constexpr wchar_t kMemoryArgument[] = L"/memory";

// A fresh process of this program lists the folder once: its peak working set in MB, or -1.
double PeakOfListing(const fw::WString& folder)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    // Without its final backslash, which would escape the closing quote.
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + kMemoryArgument + L" \"" +
                               fw::WithoutFinalBackslash(folder).str() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD kilobytes = 0;
    ::GetExitCodeProcess(process.hProcess, &kilobytes);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return kilobytes > 1 ? kilobytes / 1024.0 : -1;
}

// A project of 100 files beside an upload.ini of megabytes bytes after its
// section line: random "a", "b" and "=", no line end (or, benign, the
// usual lines for its files).
fw::WString WriteUploadProject(const wchar_t* name, int megabytes, bool hostile)
{
    const fw::WString folder = fw::WString(L"\\Flash Disk\\Data\\") + name + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::string ini = "[result]\r\n";
    for (int i = 1; i <= 100; ++i) {
        const fw::WString file = fw::WString::Format(L"%ls\\F%05d.abc", folder.c_str(), i);
        HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(handle);
        if (!hostile) {
            char line[64];
            std::snprintf(line, sizeof line, "F%05d.abc=2024-05-01 10:00##uploaded\r\n", i);
            ini += line;
        }
    }
    std::mt19937 random(18);
    const char letters[] = {'a', 'b', '='};
    while (hostile && ini.size() < static_cast<size_t>(megabytes) << 20)
        ini += letters[random() % 3];
    HANDLE handle = ::CreateFileW((folder + L"upload.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(handle, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    ::CloseHandle(handle);
    return folder;
}

int MeasureMemory(const wchar_t* folder)
{
    const ShowManagerParams record = Record();
    MemoryDialog dialog{fw::WithFinalBackslash(folder)};
    dialog.TakeOverRecord(record);
    if (dialog.DoModal() != IDOK || dialog.peak == 0)
        return 1;
    return static_cast<int>(dialog.peak / 1024);
}

}  // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments && count == 3 && std::wcscmp(arguments[1], kMemoryArgument) == 0)
        return MeasureMemory(arguments[2]);

    const ShowManagerParams record = Record();
    BenchDialog dialog;
    dialog.TakeOverRecord(record);
    if (dialog.DoModal() != IDOK || dialog.figures.size() != 2) {
        std::printf("the dialog could not be run\n");
        return 1;
    }
    std::printf("Listing a project into the file manager's file grid (ListFolder: enumeration, status query,\n"
                "upload.ini, sizes, times, sort) against the bare enumeration with one status query per file.\n"
                "Same run, medians of %d rounds in alternating order, milliseconds.\n\n",
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
    std::printf("targets: listing <= 1.5x bare; listing of 10,000 <= 2.05x that of 5,000\n");
    std::printf("for scale: one row inserted by InsertRow with redraw on: %.3f ms\n", dialog.insertWithRedraw);

    // Memory, each figure from a fresh process that lists one project once.
    constexpr int kHostileMegabytes = 4;
    const double empty = PeakOfListing(L"\\Flash Disk\\Data\\Nothing\\");
    const double tenThousand = PeakOfListing(Folder(10000));
    const double benign = PeakOfListing(WriteUploadProject(L"Benign", 0, false));
    const double hostile = PeakOfListing(WriteUploadProject(L"Hostile", kHostileMegabytes, true));
    std::printf("\nPeak working set of a process that lists one project once, MB:\n");
    std::printf("%-58s %8.1f\n", "no project (the dialog alone)", empty);
    std::printf("%-58s %8.1f  (%+.1f)\n", "10,000 files, upload.ini naming each", tenThousand, tenThousand - empty);
    std::printf("%-58s %8.1f\n", "100 files, upload.ini naming each", benign);
    std::printf("%-58s %8.1f  (%+.1f over the above)\n", "100 files, 4 MB hostile upload.ini (a, b, = at random)",
                hostile, hostile - benign);
    std::printf("target: the hostile file's extra peak <= 4x its size (%d MB)\n", 4 * kHostileMegabytes);
    return 0;
}
