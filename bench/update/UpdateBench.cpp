// Update run benchmark: installs a generated release (about 2,000 files of
// mixed sizes, about 200 MB, in nested folders) with the real run (listing,
// worker thread, both passes with a progress message per file, the pause and
// the removal of the staging folder), and measures in the same process and
// run the plain two-pass copy of the same files with CopyFileW and nothing
// else. Rounds alternate their order; the medians are compared. The passes'
// share of the run (up to the message of the last installed file) is printed
// apart from the pause and the removal of the staging folder that follow.
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
#include "UpdateRun.h"

namespace {

constexpr wchar_t kRelease[] = L"\\硬盘\\Q9Soft\\";
constexpr wchar_t kInstall[] = L"\\Flash Disk\\Q9Soft\\";
constexpr wchar_t kStaging[] = L"\\Flash Disk\\temp\\";
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

// The plain two-pass copy: the platform's file copy and nothing else (folders made beforehand).
double PlainCopy(const Release& release)
{
    for (const std::wstring& folder : release.folders) {
        CreateDirectoryTree(kStaging + folder);
        CreateDirectoryTree(kInstall + folder);
    }
    double start = Now();
    for (const std::wstring& file : release.files)
        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
    for (const std::wstring& file : release.files)
        CopyFileW((kStaging + file).c_str(), (kInstall + file).c_str(), FALSE);
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
    UpdateJob job;
    job.settings = &settings;
    job.window = window;

    RunResult result;
    double start = Now();
    CollectFiles(settings.updateSrcPath, job.files);
    const int listed = static_cast<int>(job.files.size());  // the list is the worker's from here on
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
    result.seconds = Now() - start;
    result.succeeded = job.succeeded;
    if (worker)
        WaitForSingleObject(worker.Get(), INFINITE);
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
    RemoveDirectoryTree(kRelease);

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
    return 0;
}
