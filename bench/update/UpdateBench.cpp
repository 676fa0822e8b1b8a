// Update run benchmark: installs a generated release (2,000 files of mixed
// sizes, about 240 MB, in nested folders) with the updater's own dialog, its
// button pressed as a person does: the programs stopped (none runs), the log,
// the listing, the worker with its space checks, both passes with a progress
// message per file that the dialog's bar shows, every installed file flushed,
// the pause, the removal of the staging folder and the success shown. In the
// same process and run, the plain work of the same files: the two-pass copy
// with CopyFileW, the second pass flushing each file (FlushFileBuffers on the
// copy opened again), then the staged tree removed with DeleteFileW and
// RemoveDirectoryW, and nothing else. Rounds alternate their order; the
// medians are compared:
//
//   passes:    button to the message of the last installed file / the two-pass copy
//   whole run: button to the success shown / (copy + removal + the 0.200 s pause)
//
// Then the breakdown: what the run does beside the plain copy, each piece
// timed alone on the same files (the listing, the space checks, the folder
// looks per file, the 4,001 messages and the bar's repaint for each, the log,
// the removal by the run's own walk, the second pass by the run's copy loop).
// Figures only: nothing here passes or fails.
//
// Run it with bench/update/run (working directory on a device drive).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "FileTree.h"
#include "Processes.h"
#include "UpdateDlg.h"
#include "UpdateLog.h"
#include "UpdateRun.h"
#include "bench/Clock.h"
#include "framework/Files.h"
#include "framework/Path.h"
#include "resource.h"
#include "support/PaintWatcher.h"

namespace {

constexpr wchar_t kRelease[] = L"\\硬盘\\Q9Soft\\";
constexpr wchar_t kInstall[] = L"\\Flash Disk\\Q9Soft\\";
constexpr wchar_t kStaging[] = L"\\Flash Disk\\temp\\";
constexpr wchar_t kLog[] = L"\\Flash Disk\\Update\\update.log";
constexpr wchar_t kNotRunning[] = L"\\Flash Disk\\Q9Soft\\NotRunning.exe";
constexpr int kFiles = 2000;
constexpr int kDefaultRounds = 7;
constexpr double kPause = 0.200;  // the run's fixed pause before it removes the staging folder

// Seconds.
double Now()
{
    return bench::Now() / 1000;
}

using bench::Median;

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
    std::vector<std::wstring> folders;  // relative, without trailing "\", each after the one above it
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

void MakeFolders(const Release& release, const wchar_t* root)
{
    for (const std::wstring& folder : release.folders)
        CreateDirectoryTree(root + folder);
}

// The staged copy of the release, made the plain way.
void Stage(const Release& release)
{
    MakeFolders(release, kStaging);
    for (const std::wstring& file : release.files)
        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
}

// The staged tree removed the plain way: every file by name, then the folders, deepest first.
void RemoveStagedPlainly(const Release& release)
{
    for (const std::wstring& file : release.files)
        DeleteFileW((kStaging + file).c_str());
    for (auto folder = release.folders.rbegin(); folder != release.folders.rend(); ++folder)
        RemoveDirectoryW((kStaging + *folder).c_str());
}

struct PlainResult {
    double copy = 0;     // both passes
    double removal = 0;  // of the staged tree
};

// The plain two-pass copy (folders made beforehand): the platform's file copy,
// the second pass flushing every file by the platform's flush as well; then
// the plain removal of the staged tree.
PlainResult PlainRun(const Release& release)
{
    MakeFolders(release, kStaging);
    MakeFolders(release, kInstall);
    PlainResult result;
    double start = Now();
    for (const std::wstring& file : release.files)
        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
    for (const std::wstring& file : release.files)
        CopyThenFlush(kStaging + file, kInstall + file);
    result.copy = Now() - start;
    start = Now();
    RemoveStagedPlainly(release);
    result.removal = Now() - start;
    return result;
}

struct PlainThread {
    const Release* release;
    double copy;
};

DWORD WINAPI PlainCopyThread(void* parameter)
{
    PlainThread& plain = *static_cast<PlainThread*>(parameter);
    plain.copy = PlainRun(*plain.release).copy;
    return 0;
}

// The plain copy on a thread of its own at that priority, as the run's worker is.
double PlainCopyOnThread(const Release& release, int priority)
{
    PlainThread plain{&release, 0};
    HANDLE thread = ::CreateThread(nullptr, 0, &PlainCopyThread, &plain, CREATE_SUSPENDED, nullptr);
    ::SetThreadPriority(thread, priority);
    ::ResumeThread(thread);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return plain.copy;
}

UpdateSettings BenchSettings()
{
    UpdateSettings settings;
    settings.uiLanguage = 1;
    settings.exeFullName = kNotRunning;
    settings.startExeWhenUpdateOver = 0;  // the dialog stays with its result, as a test would see it
    settings.updateSrcPath = kRelease;
    settings.updateDstPath = kInstall;
    settings.tempPath = kStaging;
    return settings;
}

constexpr UINT_PTR kStartTimer = 50;
constexpr UINT kEndMessage = WM_APP + 10;

// The updater's dialog, its button pressed once the dialog has been painted,
// ended once the run's last message has been handled.
class RunDialog : public UpdateDlg {
public:
    RunDialog(const UpdateSettings& settings, int listed) : UpdateDlg(settings, kLog), m_listed(listed)
    {
        MapTimer(kStartTimer, [this] {
            ::KillTimer(m_hwnd, kStartTimer);
            ::UpdateWindow(m_hwnd);
            barDrawings = 0;
            start = Now();
            const HWND button = GetItem(IDC_UPDATE_BUTTON).Handle();
            Send(WM_COMMAND, MAKEWPARAM(IDC_UPDATE_BUTTON, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        });
        MapMessage(kEndMessage, [this](WPARAM, LPARAM) -> LRESULT {
            end = Now();
            succeeded = GetItem(IDC_UPDATE_TEXT).GetText() == L"Update Succeeded!";
            EndDialog(IDOK);
            return 0;
        });
    }

    double start = 0;
    double passesEnd = 0;  // the message of the last installed file arrived
    double end = 0;        // its last message handled
    int messages = 0;
    bool succeeded = false;

protected:
    bool OnInitDialog() override
    {
        UpdateDlg::OnInitDialog();
        CountBar();
        ::SetTimer(m_hwnd, kStartTimer, 20, nullptr);
        return true;
    }
    bool PreTranslateMessage(MSG* message) override
    {
        if (message->hwnd != m_hwnd || message->message != WM_UPDATE_PROGRESS)
            return UpdateDlg::PreTranslateMessage(message);
        ++messages;
        if (message->wParam == static_cast<WPARAM>(2 * m_listed))
            passesEnd = Now();
        const bool last = message->wParam == 0 ? message->lParam != 0
                                               : message->wParam == static_cast<WPARAM>(message->lParam);
        if (last)
            Post(kEndMessage);  // behind this one, so after its handling
        // Handled here as the modal loop would, to time it.
        const double before = Now();
        if (!UpdateDlg::PreTranslateMessage(message) && !::IsDialogMessageW(m_hwnd, message)) {
            ::TranslateMessage(message);
            ::DispatchMessageW(message);
        }
        handling += Now() - before;
        return true;
    }

public:
    double handling = 0;  // this thread's time in the progress messages' handling
    int barDrawings = 0;  // WM_PAINT of the bar during the run

private:
    testsupport::PaintWatcher m_bar{[this](HWND) { ++barDrawings; }};
    int m_listed;

    void CountBar() { m_bar.SubclassWindow(GetItem(IDC_UPDATE_PROGRESS).Handle()); }
};

struct RunResult {
    double passes = 0;
    double whole = 0;
    double handling = 0;
    int messages = 0;
    int barDrawings = 0;
    bool succeeded = false;
};

RunResult RealRun(const Release& release)
{
    const UpdateSettings settings = BenchSettings();
    RunDialog dialog(settings, static_cast<int>(release.files.size()));
    RunResult result;
    if (dialog.DoModal() != IDOK)
        return result;
    result.passes = dialog.passesEnd - dialog.start;
    result.whole = dialog.end - dialog.start;
    result.handling = dialog.handling;
    result.messages = dialog.messages;
    result.barDrawings = dialog.barDrawings;
    result.succeeded = dialog.succeeded;
    return result;
}

// The messages of a run of n files alone, posted by a thread as the run posts
// them, to the dialog outside a run (so its bar draws each position): until
// the last one is handled.
class MessagesDialog : public UpdateDlg {
public:
    MessagesDialog(const UpdateSettings& settings, int listed) : UpdateDlg(settings), m_listed(listed)
    {
        MapTimer(kStartTimer, [this] {
            ::KillTimer(m_hwnd, kStartTimer);
            ::UpdateWindow(m_hwnd);
            start = Now();
            m_poster = ::CreateThread(nullptr, 0, &Post, this, 0, nullptr);
        });
        MapMessage(kEndMessage, [this](WPARAM, LPARAM) -> LRESULT {
            end = Now();
            ::WaitForSingleObject(m_poster, INFINITE);
            ::CloseHandle(m_poster);
            EndDialog(IDOK);
            return 0;
        });
    }

    double start = 0;
    double end = 0;
    double posted = 0;  // the poster's last post returned

protected:
    bool OnInitDialog() override
    {
        UpdateDlg::OnInitDialog();
        ::SetTimer(m_hwnd, kStartTimer, 20, nullptr);
        return true;
    }

private:
    static DWORD WINAPI Post(void* parameter)
    {
        MessagesDialog& dialog = *static_cast<MessagesDialog*>(parameter);
        const int n = dialog.m_listed;
        const HWND window = dialog.m_hwnd;
        // Progress only: the final message without the success flag moves the bar and nothing else.
        for (int position = 1; position <= 2 * n; ++position)
            ::PostMessageW(window, WM_UPDATE_PROGRESS, static_cast<WPARAM>(position), PassTotal(n));
        ::PostMessageW(window, WM_UPDATE_PROGRESS, static_cast<WPARAM>(PassTotal(n)), PassTotal(n));
        dialog.posted = Now();
        ::PostMessageW(window, kEndMessage, 0, 0);
        return 0;
    }

    int m_listed;
    HANDLE m_poster = nullptr;
};

// The same messages to a window that only takes them from its queue.
struct QueuePoster {
    HWND window;
    int n;
};

DWORD WINAPI PostToQueue(void* parameter)
{
    const QueuePoster& poster = *static_cast<QueuePoster*>(parameter);
    for (int position = 1; position <= 2 * poster.n + 1; ++position)
        ::PostMessageW(poster.window, WM_UPDATE_PROGRESS, static_cast<WPARAM>(position), PassTotal(poster.n));
    return 0;
}

double MessagesToQueueOnly(int n)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    QueuePoster poster{window, n};
    const double start = Now();
    HANDLE thread = ::CreateThread(nullptr, 0, &PostToQueue, &poster, 0, nullptr);
    MSG message;
    int taken = 0;
    while (taken < 2 * n + 1 && GetMessageW(&message, nullptr, 0, 0) > 0)
        if (message.message == WM_UPDATE_PROGRESS)
            ++taken;
    const double seconds = Now() - start;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    DestroyWindow(window);
    return seconds;
}

void Clean()
{
    RemoveDirectoryTree(kStaging);
    RemoveDirectoryTree(kInstall);
}

// The median of rounds of a step, each after its own preparation (not timed).
double MedianOf(int rounds, const std::function<void()>& prepare, const std::function<double()>& step)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        times.push_back(step());
    }
    return Median(times);
}

double Timed(const std::function<void()>& step)
{
    const double start = Now();
    step();
    return Now() - start;
}

void Row(const char* what, double seconds, double plainCopy)
{
    std::printf("  %-64s %8.1f ms  %5.1f %%\n", what, seconds * 1000, 100 * seconds / plainCopy);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : kDefaultRounds;
    UpdateApp app;  // message boxes carry the program's name
    Clean();
    RemoveDirectoryTree(kRelease);
    DeleteFileW(kLog);
    double generating = Now();
    Release release = Generate();
    generating = Now() - generating;
    const int n = static_cast<int>(release.files.size());
    std::printf("release: %d files in %zu folders, %.1f MB (generated in %.1f s)\n", n, release.folders.size(),
                release.bytes / 1e6, generating);

    std::vector<double> plainCopy;
    std::vector<double> plainRemoval;
    std::vector<double> runPasses;
    std::vector<double> runWhole;
    std::vector<double> runHandling;
    std::vector<double> barDrawings;
    std::vector<double> passesRatios;
    std::vector<double> wholeRatios;
    for (int round = 0; round < rounds; ++round) {
        RunResult run;
        PlainResult plain;
        for (int half = 0; half < 2; ++half) {
            Clean();
            if ((half == 0) == (round % 2 == 1)) {
                run = RealRun(release);
                runPasses.push_back(run.passes);
                runWhole.push_back(run.whole);
                runHandling.push_back(run.handling);
                barDrawings.push_back(run.barDrawings);
                std::printf("round %d  real run    %7.3f s  (both passes done at %.3f s; %d messages, %s)\n",
                            round + 1, run.whole, run.passes, run.messages, run.succeeded ? "succeeded" : "FAILED");
            } else {
                plain = PlainRun(release);
                plainCopy.push_back(plain.copy);
                plainRemoval.push_back(plain.removal);
                std::printf("round %d  plain       %7.3f s  (copy %.3f s, removal %.3f s)\n", round + 1,
                            plain.copy + plain.removal, plain.copy, plain.removal);
            }
        }
        passesRatios.push_back(run.passes / plain.copy);
        wholeRatios.push_back(run.whole / (plain.copy + plain.removal + kPause));
    }
    Clean();

    const double copy = Median(plainCopy);
    const double removal = Median(plainRemoval);
    const double passes = Median(runPasses);
    const double whole = Median(runWhole);
    const double baseline = copy + removal + kPause;
    std::printf("\nmedians of %d rounds (in brackets: the median of each round's own ratio)\n", rounds);
    std::printf("plain two-pass copy                          %7.3f s  (%.0f MB/s a pass)\n", copy,
                release.bytes / 1e6 / (copy / 2));
    std::printf("plain removal of the staged tree             %7.3f s\n", removal);
    std::printf("real run: listing and both passes with their messages  %7.3f s\n", passes);
    std::printf("real run: whole, button to the success shown %7.3f s\n", whole);
    std::printf("passes:    listing and both passes / plain copy                   %6.3f  [%.3f]  (target <= 1.03)\n",
                passes / copy, Median(passesRatios));
    std::printf("whole run: run / (plain copy + plain removal + the 0.200 s pause) %6.3f  [%.3f]  (target <= 1.05)\n",
                whole / baseline, Median(wholeRatios));

    // --- the breakdown: what the run does beside the plain work, each piece timed alone
    std::printf("\nwhere the run spends time beside the plain work, each piece alone on the same files\n"
                "(median of %d; share of the plain copy). The worker's steps, in their order:\n",
                rounds);
    const auto nothing = [] {};
    const UpdateSettings settings = BenchSettings();
    FoundProcess found;
    Row("stopping the two programs (none runs; the dialog, before the listing)", MedianOf(rounds, nothing, [&] {
            return Timed([&] {
                StopProgram(settings.exeFullName, found);
                StopProgram(kBatteryProgram, found);
            });
        }),
        copy);
    FileList listed;
    FileSizes listedSizes;
    Row("listing the release (the dialog)", MedianOf(rounds, [&] { listed.clear(); listedSizes.clear(); }, [&] {
            return Timed([&] { CollectFiles(kRelease, listed, &listedSizes); });
        }),
        copy);
    // A pass's space check as the worker makes it: the volume's free space, then what the pass needs.
    const auto spaceCheck = [&](const char* what, const fw::WString& from, const FileList& files,
                                const FileSizes& sizes, const fw::WString& to) {
        Row(what, MedianOf(rounds, nothing, [&] {
                return Timed([&] {
                    unsigned long long free = 0;
                    fw::FreeSpaceFor(to, free);
                    volatile unsigned long long needed = SpaceNeeded(from, files, sizes, to);
                    (void)needed;
                });
            }),
            copy);
    };
    spaceCheck("space check of the first pass (nothing staged yet)", kRelease, listed, listedSizes, kStaging);
    // The run's passes against the plain loops, in turns whose order alternates;
    // the passes post their messages to a window of this thread, taken afterwards.
    HWND queue = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const auto drain = [] {
        MSG message;
        while (::PeekMessageW(&message, nullptr, WM_UPDATE_PROGRESS, WM_UPDATE_PROGRESS, PM_REMOVE)) {
        }
    };
    int turn = 0;
    const auto lessPlain = [&](const std::function<void()>& own, const std::function<void()>& plain,
                               const std::function<void()>& between) {
        const bool ownFirst = turn++ % 2 == 0;
        between();
        const double first = Timed(ownFirst ? own : plain);
        drain();
        between();
        const double second = Timed(ownFirst ? plain : own);
        drain();
        return ownFirst ? first - second : second - first;
    };
    Row("first pass by the run's loop (folder looks, a message a file) less CopyFileW",
        MedianOf(rounds, nothing, [&] {
            return lessPlain(
                [&] { CopyFileList(kRelease, listed, 0, kStaging, PassTotal(n), true, queue); },
                [&] {
                    for (const std::wstring& file : release.files)
                        CopyFileW((kRelease + file).c_str(), (kStaging + file).c_str(), FALSE);
                },
                [&] {
                    Clean();
                    MakeFolders(release, kStaging);
                });
        }),
        copy);
    Clean();
    Stage(release);
    FileList staged;
    FileSizes stagedSizes;
    Row("listing the staged release", MedianOf(rounds, [&] { staged.clear(); stagedSizes.clear(); }, [&] {
            return Timed([&] { CollectFiles(kStaging, staged, &stagedSizes); });
        }),
        copy);
    CreateDirectoryTree(kInstall);  // the run has made it by then
    spaceCheck("space check of the second pass (nothing installed yet)", kStaging, staged, stagedSizes, kInstall);
    Row("second pass by the run's loop (own copy and flush) less CopyFileW + flush",
        MedianOf(rounds, nothing, [&] {
            return lessPlain(
                [&] { CopyFileList(kStaging, staged, n, kInstall, PassTotal(n), false, queue, nullptr, true); },
                [&] {
                    for (const std::wstring& file : release.files)
                        CopyThenFlush(kStaging + file, kInstall + file);
                },
                [&] {
                    RemoveDirectoryTree(kInstall);
                    MakeFolders(release, kInstall);
                });
        }),
        copy);
    DestroyWindow(queue);
    Row("removing the staged tree by the run's walk less the plain removal", MedianOf(rounds, nothing, [&] {
            return lessPlain([&] { RemoveDirectoryTree(kStaging); }, [&] { RemoveStagedPlainly(release); },
                             [&] { Stage(release); });
        }),
        copy);
    Clean();
    {
        UpdateLog log(kLog);
        log.Open();
        Row("the log's twelve lines of a run, each flushed", MedianOf(rounds, nothing, [&] {
                return Timed([&] {
                    for (int line = 0; line < 12; ++line)
                        log.Write(L"installation \"\\Flash Disk\\Q9Soft\\\"");
                });
            }),
            copy);
    }
    Row("the plain copy on a thread below normal priority, less on this one", MedianOf(rounds, nothing, [&] {
            const bool below = turn++ % 2 == 0;
            Clean();
            const double first = below ? PlainCopyOnThread(release, THREAD_PRIORITY_BELOW_NORMAL) : PlainRun(release).copy;
            Clean();
            const double second = below ? PlainRun(release).copy : PlainCopyOnThread(release, THREAD_PRIORITY_BELOW_NORMAL);
            return below ? first - second : second - first;
        }),
        copy);
    Clean();
    std::printf("The messages, on the dialog's thread beside the worker:\n");
    Row("the real run's 4,001 messages handled by the dialog", Median(runHandling), copy);
    std::printf("    (the bar drawn %.0f times in the run)\n", Median(barDrawings));
    Row("4,001 messages alone to a queue that only takes them", MedianOf(rounds, nothing, [&] {
            return MessagesToQueueOnly(n);
        }),
        copy);
    double posting = 0;
    Row("4,001 messages alone to the dialog outside a run (the bar drawn for each)", MedianOf(rounds, nothing, [&] {
            MessagesDialog dialog(settings, n);
            dialog.DoModal();
            posting = dialog.posted - dialog.start;
            return dialog.end - dialog.start;
        }),
        copy);
    std::printf("    (of which posting them, the last round: %.1f ms)\n", posting * 1000);
    Clean();
    RemoveDirectoryTree(kRelease);
    DeleteFileW(kLog);
    return 0;
}
