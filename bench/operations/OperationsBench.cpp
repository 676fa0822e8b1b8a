// Operations benchmark: the file manager's Export of a project of 2,000
// files (about 200 MB in nested folders) to the U disk, and its Delete of the
// same project, each run by its button in a running dialog and timed from the
// confirmation (the question's answer) to the summary (the message that
// reports it), against the plain recursive operation on the same tree in the
// same process and run: CopyFileW with FlushFileBuffers on each copy (the
// export flushes every file it writes), or DeleteFileW and RemoveDirectoryW,
// with FindFirstFileW / FindNextFileW and nothing else. Rounds alternate their
// order; the medians, the best rounds and the ratios within each round are
// compared (on a shared machine the rounds spread widely). The 500 ms
// pause before the summary is timed apart, inside each operation, and left
// out of the figures.
// Figures only: nothing here passes or fails.
//
// Run it with bench/operations/run (working directory on a device drive).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "bench/MeasuringDialog.h"
#include "plugin/resource.h"

namespace {

using bench::Median;
using bench::Now;

constexpr wchar_t kProject[] = L"\\Flash Disk\\Data\\Big\\";
constexpr wchar_t kPristine[] = L"\\Flash Disk\\Pristine\\";  // a spare copy, to give Delete its project back
constexpr wchar_t kPlainDelete[] = L"\\Flash Disk\\Plain\\";
constexpr wchar_t kExported[] = L"\\硬盘\\Data\\";
constexpr wchar_t kPlainExport[] = L"\\硬盘\\Plain\\";
constexpr int kTopFolders = 10;
constexpr int kSubFolders = 4;
constexpr int kFilesPerTopFolder = 20;
constexpr int kFilesPerSubFolder = 45;
constexpr size_t kFileSize = 100 * 1000;
constexpr int kRounds = 11;

// --- the plain operations

// With flush, each copy opened again and flushed to its volume, as the export has its files.
int PlainCopy(const std::wstring& from, const std::wstring& to, bool flush)
{
    int files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((from + L"*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ::CreateDirectoryW((to + name).c_str(), nullptr);
            files += PlainCopy(from + name + L"\\", to + name + L"\\", flush);
        } else if (::CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE)) {
            ++files;
            if (flush) {
                HANDLE copy = ::CreateFileW((to + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            0, nullptr);
                ::FlushFileBuffers(copy);
                ::CloseHandle(copy);
            }
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return files;
}

int PlainDelete(const std::wstring& folder)
{
    int files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"*.*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                files += PlainDelete(folder + name + L"\\");
            else if (::DeleteFileW((folder + name).c_str()))
                ++files;
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
    return files;
}

// A copy of the tree at path (made untimed, before a delete).
void CopyTree(const std::wstring& from, const std::wstring& path)
{
    ::CreateDirectoryW(path.c_str(), nullptr);
    PlainCopy(from, path, false);
}

struct Project {
    int files = 0;
    int folders = 0;
    double bytes = 0;
};

Project Generate(const std::wstring& root)
{
    Project project;
    std::string bytes(kFileSize, '\0');
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    for (char& byte : bytes) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        byte = static_cast<char>(state >> 56);
    }
    const auto write = [&](const std::wstring& path) {
        bytes[0] = static_cast<char>(project.files);  // each file its own
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE && ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                        nullptr)) {
            ++project.files;
            project.bytes += written;
        }
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    };
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int top = 0; top < kTopFolders; ++top) {
        const std::wstring upper = root + L"T" + std::to_wstring(top) + L"\\";
        ::CreateDirectoryW(upper.c_str(), nullptr);
        ++project.folders;
        for (int i = 0; i < kFilesPerTopFolder; ++i)
            write(upper + L"U" + std::to_wstring(i) + L".abc");
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const std::wstring lower = upper + L"S" + std::to_wstring(sub) + L"\\";
            ::CreateDirectoryW(lower.c_str(), nullptr);
            ++project.folders;
            for (int i = 0; i < kFilesPerSubFolder; ++i)
                write(lower + L"F" + std::to_wstring(i) + L".abc");
        }
    }
    return project;
}

// --- the file manager's operations, through the host's messageBox

struct Timing {
    double confirmed = 0;  // the question answered
    double summary = 0;    // the summary shown
    double pause = 0;      // before the summary
    std::wstring text;     // of the summary
};
Timing g_timing;

int32_t CORVANE_CALL Answer(CorvaneString text, CorvaneString, int32_t type)
{
    if (type == HostHooks::kYesNo) {
        g_timing.confirmed = Now();
        return IDYES;
    }
    g_timing.summary = Now();
    g_timing.text = text.c_str();
    return IDOK;
}

struct Figures {
    std::vector<double> plainExport, managerExport, plainDelete, managerDelete, pause;
    std::wstring exportSummary, deleteSummary;
    int plainExported = 0, plainDeleted = 0;
};

class BenchDialog : public bench::MeasuringDialog {
public:
    Figures figures;

protected:
    void PauseBeforeResult() const override
    {
        const double start = Now();
        CCorvaneDlg::PauseBeforeResult();
        g_timing.pause = Now() - start;
    }

private:
    // The project's row checked and the button's command handled, as a press gives it.
    double Operate(int button, std::wstring& summary)
    {
        InitGrids();
        CGridCtrl& grid = ProjectGrid();
        for (int row = 1; row < grid.GetRowCount(); ++row)
            if (grid.GetItemText(row, kColumnName) == L"Big")
                if (auto* check = dynamic_cast<CGridCellCheck*>(grid.GetCell(row, kColumnCheck)))
                    check->SetCheck(true);
        g_timing = Timing();
        Send(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetItem(button).Handle()));
        summary = g_timing.text;
        figures.pause.push_back(g_timing.pause);
        return g_timing.summary - g_timing.confirmed - g_timing.pause;
    }

    void Measure() override
    {
        for (int round = 0; round < kRounds; ++round) {
            const bool managerFirst = round % 2 == 1;
            for (int half = 0; half < 2; ++half) {
                PlainDelete(kExported);
                PlainDelete(kPlainExport);
                if ((half == 0) == managerFirst) {
                    figures.managerExport.push_back(Operate(IDC_EXPORT, figures.exportSummary));
                } else {
                    ::CreateDirectoryW(kPlainExport, nullptr);
                    const double start = Now();
                    ::CreateDirectoryW((std::wstring(kPlainExport) + L"Big\\").c_str(), nullptr);
                    figures.plainExported = PlainCopy(kProject, std::wstring(kPlainExport) + L"Big\\", true);
                    figures.plainExport.push_back(Now() - start);
                }
            }
            PlainDelete(kExported);
            PlainDelete(kPlainExport);
            PlainDelete(kProject);
            for (int half = 0; half < 2; ++half) {
                // Each deletes a tree made just before it.
                if ((half == 0) == managerFirst) {
                    CopyTree(kPristine, kProject);
                    figures.managerDelete.push_back(Operate(IDC_DELETE, figures.deleteSummary));
                } else {
                    CopyTree(kPristine, kPlainDelete);
                    const double start = Now();
                    figures.plainDeleted = PlainDelete(kPlainDelete);
                    figures.plainDelete.push_back(Now() - start);
                }
            }
            CopyTree(kPristine, kProject);  // back for the next export
        }
    }
};

void PrintUtf8(const std::wstring& text)
{
    std::string bytes = fw::WString(text).ToUtf8();
    for (char& ch : bytes)
        if (ch == '\r' || ch == '\n')
            ch = ' ';
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

int main()
{
    PlainDelete(kProject);
    PlainDelete(kPristine);
    const double generating = Now();
    const Project project = Generate(kPristine);
    CopyTree(kPristine, kProject);
    std::printf("project: %d files in %d nested folders, %.1f MB (made in %.1f s)\n", project.files, project.folders,
                project.bytes / 1e6, (Now() - generating) / 1000.0);

    ShowManagerParams record{};
    record.dataLocation = "Flash Disk\\Data\\";
    record.startLocation = "";
    record.filePattern = "*.abc";
    record.language = 0;
    record.messageBox = &Answer;
    BenchDialog dialog;
    dialog.TakeOverRecord(record);
    if (dialog.DoModal() != IDOK || dialog.figures.pause.size() != static_cast<size_t>(2 * kRounds)) {
        std::printf("the dialog could not be run\n");
        return 1;
    }
    const Figures& f = dialog.figures;
    const double pause = Median(f.pause);
    std::printf("\nThe file manager's Export (to the U disk) and Delete of that project, timed from the confirmation\n"
                "to the summary, against the plain recursive operation on the same tree (CopyFileW, each copy\n"
                "flushed; DeleteFileW and RemoveDirectoryW). Same run, %d rounds in alternating order, milliseconds.\n"
                "The pause of 500 ms before the summary, timed apart inside each operation (median %.1f ms, %.1f to\n"
                "%.1f), is left out of the figures.\n\n",
                kRounds, pause, *std::min_element(f.pause.begin(), f.pause.end()),
                *std::max_element(f.pause.begin(), f.pause.end()));
    std::printf("%-8s %6s | %-28s | %-28s | %s\n", "", "", "median of the rounds", "best round", "median of");
    std::printf("%-8s %6s | %9s %11s %6s | %9s %11s %6s | %s\n", "", "files", "plain", "manager", "ratio", "plain",
                "manager", "ratio", "round ratios");
    const auto line = [](const char* name, int files, const std::vector<double>& plain,
                         const std::vector<double>& manager) {
        std::vector<double> ratios;
        for (size_t i = 0; i < plain.size() && i < manager.size(); ++i)
            ratios.push_back(manager[i] / plain[i]);
        const double bestPlain = *std::min_element(plain.begin(), plain.end());
        const double bestManager = *std::min_element(manager.begin(), manager.end());
        std::printf("%-8s %6d | %9.1f %11.1f %5.2fx | %9.1f %11.1f %5.2fx | %5.2fx\n", name, files, Median(plain),
                    Median(manager), Median(manager) / Median(plain), bestPlain, bestManager, bestManager / bestPlain,
                    Median(ratios));
    };
    line("Export", f.plainExported, f.plainExport, f.managerExport);
    line("Delete", f.plainDeleted, f.plainDelete, f.managerDelete);
    std::printf("target: each <= 1.10x the plain operation\n\nsummaries: ");
    PrintUtf8(f.exportSummary);
    std::printf(" / ");
    PrintUtf8(f.deleteSummary);
    std::printf("\n");
    PlainDelete(kProject);
    PlainDelete(kPristine);
    return 0;
}
