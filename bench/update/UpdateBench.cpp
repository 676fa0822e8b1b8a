// Update run benchmark: installs a generated release (about 2,000 files of
// mixed sizes, about 200 MB, in nested folders) with the real run (listing,
// worker thread, the space checks, both passes with a progress message per
// file, every installed file flushed, the log, the pause and the removal of
// the staging folder), and measures in the same process and run the plain
// two-pass copy of the same files with CopyFileW, the second pass flushing
// each file (FlushFileBuffers on the copy opened again), and nothing else. Rounds alternate their order;
// the medians are compared. The passes' share of the run (up to the message
// of the last installed file) is printed apart from the pause and the removal
// of the staging folder that follow. Then what the run adds per file on its
// own: the log's lines, the space checks, and the flush, by the run's own copy
// loop against CopyFileW with the file opened again to flush it, and against
// no flush at all.
// Figures only: nothing here passes or fails.
//
// Run it with bench/update/run (working directory on a device drive).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "FileTree.h"
#include "UpdateLog.h"
#include "UpdateRun.h"
#include "framework/Files.h"

namespace {

constexpr wchar_t kRelease[] = L"\\硬盘\\Q9Soft\\";
constexpr wchar_t kInstall[] = L"\\Flash Disk\\Q9Soft\\";
constexpr wchar_t kStaging[] = L"\\Flash Disk\\temp\\";
constexpr wchar_t kLog[] = L"\\Flash Disk\\Update\\update.log";
constexpr int kFiles = 2000;
constexpr int kRounds = 5;

double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A small deterministic generator, so that every run installs the same release.
struct Random {
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    unsigned Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned>(state >> 33);
    }
};

// Mixed sizes: mostly small files, some of a few hundred kilobytes, a few large ones.
size_t FileSize(Random& random)
{
    unsigned kind = random.Next() % 100;
    if (kind < 70)
        return 1024 + random.Next() % (24 * 1024);
    if (kind < 95)
        return 32 * 1024 + random.Next() % (128 * 1024);
    return 1024 * 1024 + random.Next() % (1024 * 1024);
}

struct Release {
    std::vector<std::wstring> folders;  // relative, without trailing "\"
    std::vector<std::wstring> files;    // relative
    unsigned long long bytes = 0;
};

Release Generate()
{
    Release release;
    Random random;
    // Nested folders: 8 top folders, each with 4 sub-folders, each with 2 below.
    const wchar_t* tops[] = {L"bin", L"lang", L"probes", L"help", L"config", L"res", L"data", L"plugins"};
    release.folders.push_back(L"");
    for (const wchar_t* top : tops) {
        release.folders.push_back(top);
        for (int sub = 0; sub < 4; ++sub) {
            std::wstring middle = std::wstring(top) + L"\\group" + std::to_wstring(sub);
            release.folders.push_back(middle);
            for (int leaf = 0; leaf < 2; ++leaf)
                release.folders.push_back(middle + L"\\set" + std::to_wstring(leaf));
        }
    }
    std::vector<char> buffer(4 * 1024 * 1024);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<char>(random.Next());
    for (const std::wstring& folder : release.folders)
        CreateDirectoryTree(kRelease + folder);
    for (int i = 0; i < kFiles; ++i) {
        const std::wstring& folder = release.folders[random.Next() % release.folders.size()];
        std::wstring relative = (folder.empty() ? L"" : folder + L"\\") + L"file" + std::to_wstring(i) + L".dat";
        size_t size = FileSize(random);
        fw::KernelHandle file(CreateFileW((kRelease + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            continue;
        size_t offset = random.Next() % (buffer.size() - size);
        DWORD written = 0;
        WriteFile(file.Get(), buffer.data() + offset, static_cast<DWORD>(size), &written, nullptr);
        release.files.push_back(relative);
        release.bytes += size;
    }
    return release;
}

// The other way to flush a copy: the platform's file copy, then the target opened again for it.
bool CopyThenFlush(const std::wstring& source, const std::wstring& target)
{
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        return false;
    fw::KernelHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && FlushFileBuffers(file.Get());
}

void MakeFolders(const Release& release)
{
    for (const std::wstring& folder : release.folders) {
        CreateDirectoryTree(kStaging + folder);
        CreateDirectoryTree(kInstall + folder);
    }
}

// The plain two-pass copy: the platform's file copy, the second pass flushing
// every file by the platform's flush as well, and nothing else (folders made beforehand).
double PlainCopy(const Release& release)
{
    MakeFolders(release);
    double start = Now();
    for (const std::wstring& file : release.files)
        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
    for (const std::wstring& file : release.files)
        CopyThenFlush(kStaging + file, kInstall + file);
    return Now() - start;
}

// One second pass of the staged release by one way of copying.
enum class Flush { OwnLoop, CopyThenFlush, None };
double SecondPass(const Release& release, Flush flush)
{
    double start = Now();
    for (const std::wstring& file : release.files) {
        std::wstring from = kStaging + file;
        std::wstring to = kInstall + file;
        if (flush == Flush::OwnLoop)
            fw::CopyFileFlushed(from, to);
        else if (flush == Flush::CopyThenFlush)
            CopyThenFlush(from, to);
        else
            CopyFileW(from.c_str(), to.c_str(), FALSE);
    }
    return Now() - start;
}

struct RunResult {
    double seconds = 0;
    double passesEnd = 0;  // when the message of the last installed file arrived
    int messages = 0;
    bool succeeded = false;
};

// The real run: listing as the dialog does, then the worker, with this thread
// taking its messages until the last one.
RunResult RealRun()
{
    UpdateSettings settings;
    settings.updateSrcPath = kRelease;
    settings.updateDstPath = kInstall;
    settings.tempPath = kStaging;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    UpdateLog log(kLog);
    UpdateJob job;
    job.settings = &settings;
    job.window = window;
    job.log = &log;

    RunResult result;
    double start = Now();
    // The dialog's lines, then its listing.
    log.Open();
    log.Write(L"start " + UpdateLog::Now());
    log.Write(L"source " + UpdateLog::Quoted(settings.updateSrcPath));
    log.Write(L"staging " + UpdateLog::Quoted(settings.tempPath));
    log.Write(L"installation " + UpdateLog::Quoted(settings.updateDstPath));
    CollectFiles(settings.updateSrcPath, job.files);
    const int listed = static_cast<int>(job.files.size());  // the list is the worker's from here on
    log.Write(fw::WString::Format(L"files %d", listed));
    fw::KernelHandle worker = StartUpdateRun(job);
    MSG message;
    while (worker && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != WM_UPDATE_PROGRESS)
            continue;
        ++result.messages;
        if (message.wParam == static_cast<WPARAM>(2 * listed))
            result.passesEnd = Now() - start;
        bool last = message.wParam == 0 ? message.lParam != 0
                                        : message.wParam == static_cast<WPARAM>(message.lParam) && job.succeeded;
        if (last)
            break;
    }
    if (worker)
        WaitForSingleObject(worker.Get(), INFINITE);
    log.Write(L"result " + UpdateLog::Quoted(L"Update Succeeded!"));
    log.Write(L"end " + UpdateLog::Now());
    result.seconds = Now() - start;
    result.succeeded = job.succeeded;
    DestroyWindow(window);
    return result;
}

void Clean()
{
    RemoveDirectoryTree(kStaging);
    RemoveDirectoryTree(kInstall);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain()
{
    Clean();
    RemoveDirectoryTree(kRelease);
    double generating = Now();
    Release release = Generate();
    generating = Now() - generating;
    std::printf("release: %zu files in %zu folders, %.1f MB (generated in %.1f s)\n", release.files.size(),
                release.folders.size(), release.bytes / 1e6, generating);

    std::vector<double> plain;
    std::vector<double> run;
    std::vector<double> passes;
    for (int round = 0; round < kRounds; ++round) {
        for (int half = 0; half < 2; ++half) {
            Clean();
            bool runFirst = round % 2 == 1;
            if ((half == 0) == runFirst) {
                RunResult result = RealRun();
                run.push_back(result.seconds);
                passes.push_back(result.passesEnd);
                std::printf("round %d  real run    %7.3f s  (both passes done at %.3f s; %d messages, %s)\n",
                            round + 1, result.seconds, result.passesEnd, result.messages,
                            result.succeeded ? "succeeded" : "FAILED");
            } else {
                plain.push_back(PlainCopy(release));
                std::printf("round %d  plain copy  %7.3f s\n", round + 1, plain.back());
            }
        }
    }
    Clean();

    double plainMedian = Median(plain);
    double runMedian = Median(run);
    double passesMedian = Median(passes);
    std::printf("\nmedian plain two-pass copy  %7.3f s  (%.0f MB/s per pass)\n", plainMedian,
                release.bytes / 1e6 / (plainMedian / 2));
    std::printf("median real run             %7.3f s\n", runMedian);
    std::printf("  of which listing and both passes with their messages  %7.3f s  (%.3f x the plain copy)\n",
                passesMedian, passesMedian / plainMedian);
    std::printf("  of which the 0.200 s pause and removing the staging folder  %7.3f s\n",
                runMedian - passesMedian);
    std::vector<double> ratios;
    for (size_t i = 0; i < run.size() && i < plain.size(); ++i)
        ratios.push_back(run[i] / plain[i]);
    std::printf("ratio run / plain copy      %7.3f  (target: at most 1.15; median of the rounds' own ratios %.3f)\n",
                runMedian / plainMedian, Median(ratios));

    // What the run adds on its own. The log: a run writes about ten lines, each flushed.
    constexpr int kLines = 200;
    DeleteFileW(kLog);
    UpdateLog log(kLog);
    log.Open();
    double logging = Now();
    for (int line = 0; line < kLines; ++line)
        log.Write(L"failed installing \"\\Flash Disk\\temp\\probes\\group1\\set0\\file1234.dat\" error=32");
    logging = (Now() - logging) / kLines;
    std::printf("\nthe log: %.3f ms a line (flushed), %.1f ms for the ten lines of a run\n", logging * 1000,
                logging * 10000);

    // The space checks: the sizes of the release and of what it replaces, twice.
    Clean();
    FileList files;
    CollectFiles(kRelease, files);
    double checking = Now();
    volatile unsigned long long needed = SpaceNeeded(kRelease, files, kStaging) + SpaceNeeded(kRelease, files, kInstall);
    checking = Now() - checking;
    std::printf("the space checks: %.3f s for both passes (%.1f us a file and pass; %.1f MB needed)\n", checking,
                checking * 1e6 / (2.0 * files.size()), needed / 2e6);

    // The flush of the second pass, by each way, from the same staged release.
    MakeFolders(release);
    for (const std::wstring& file : release.files)
        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
    const char* names[] = {"own copy loop with FlushFileBuffers", "CopyFileW, opened again, FlushFileBuffers",
                           "CopyFileW without flush"};
    std::vector<double> pass[3];
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            int way = (i + round) % 3;
            RemoveDirectoryTree(kInstall);
            for (const std::wstring& folder : release.folders)
                CreateDirectoryTree(kInstall + folder);
            pass[way].push_back(SecondPass(release, static_cast<Flush>(way)));
            std::printf("round %d  %-42s %7.3f s\n", round + 1, names[way], pass[way].back());
        }
    }
    std::printf("second pass alone, median of %d rounds:\n", kRounds);
    for (int way = 0; way < 3; ++way)
        std::printf("  %-42s %7.3f s  (%.2f ms a file)\n", names[way], Median(pass[way]),
                    Median(pass[way]) * 1000 / release.files.size());
    Clean();
    RemoveDirectoryTree(kRelease);
    return 0;
}
