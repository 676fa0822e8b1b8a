// The copying half of an update, called in this process with a window that
// records the progress messages: exact sequences, and what real faults
// (files held open, a pulled U disk, a locked runtime library) leave behind.
#include <gtest/gtest.h>

#include "UpdateRun.h"
#include "UpdateTestSupport.h"
#include "support/Device.h"
#include "support/Printers.h"
#include "support/WineProcesses.h"

using testsupport::Device;
using testsupport::HeldFile;
using updatetest::FilesBelow;
using updatetest::kInstallFolder;
using updatetest::kReleaseFolder;
using updatetest::kStagingFolder;

namespace {

using Messages = std::vector<std::pair<long long, long long>>;
using Files = std::map<std::wstring, std::string>;
using Lines = std::vector<std::wstring>;

const Files kRelease = {{L"Q9Main.exe", "new main program"},
                        {L"lang\\English.lng", "english texts"},
                        {L"lang\\deep\\Help.txt", "help"},
                        {L"config\\Probe.cfg", "probe settings"}};

// n positions from first to last of one total.
Messages Steps(int first, int last, int total)
{
    Messages steps;
    for (int position = first; position <= last; ++position)
        steps.emplace_back(position, total);
    return steps;
}

Messages operator+(Messages a, const Messages& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Run : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.IsReady());
        device.Enter();
        settings.updateSrcPath = kReleaseFolder;
        settings.updateDstPath = kInstallFolder;
        settings.tempPath = kStagingFolder;
        job.settings = &settings;
        job.window = progress.Window();
        job.log = &log;
        log.Open();
    }

    // Lists the release as the dialog's preparation does.
    int List()
    {
        job.files.clear();
        CollectFiles(settings.updateSrcPath, job.files);
        return static_cast<int>(job.files.size());
    }

    // The worker's lines of the run, from update.log.
    Lines LogLines() const { return updatetest::LogLines(device.Path(kLogFile)); }

    static constexpr wchar_t kLogFile[] = L"\\Flash Disk\\update.log";
    Device device{true};
    UpdateSettings settings;
    updatetest::ProgressRecorder progress;
    UpdateLog log{kLogFile};
    UpdateJob job;
};

}  // namespace

TEST_F(Run, CopiesTheReleaseThroughTheStagingFolderWithOneMessagePerFile)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\a.db", "left out"));
    CreateDirectoryW(device.Path(L"\\硬盘\\Q9Soft\\empty").c_str(), nullptr);
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\Old.cfg", "stays"));
    // Read-only files, as write-protected media give them: in the release and in the installation.
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\Q9Main.exe", "old main program"));
    for (const wchar_t* file : {L"\\硬盘\\Q9Soft\\Q9Main.exe", L"\\硬盘\\Q9Soft\\lang\\deep\\Help.txt",
                                L"\\Flash Disk\\Q9Soft\\Q9Main.exe"})
        ASSERT_TRUE(SetFileAttributesW(device.Path(file).c_str(), FILE_ATTRIBUTE_READONLY));
    const int n = List();
    ASSERT_EQ(4, n);

    EXPECT_EQ(1u, UpdateRun(&job));

    EXPECT_EQ((Steps(1, n, 2 * n + 5) + Steps(n + 1, 2 * n, 2 * n + 5) + Messages{{2 * n + 5, 2 * n + 5}}),
              progress.Drain());
    EXPECT_TRUE(job.succeeded);
    Files installed = kRelease;
    installed[L"Old.cfg"] = "stays";
    EXPECT_EQ(installed, FilesBelow(device, kInstallFolder));
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\Q9Soft\\empty")) << "only folders that hold listed files are made";
    EXPECT_FALSE(device.Exists(kStagingFolder));
}

TEST_F(Run, AFileHeldOpenInTheReleaseStopsTheFirstPassAndTouchesNoInstalledFile)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\Q9Main.exe", "old main program"));
    const int n = List();
    // Hold the third listed file: two are staged, then the pass stops.
    HeldFile held(device.Path(job.files[2].str()));
    ASSERT_TRUE(held.IsHeld());

    UpdateRun(&job);

    EXPECT_EQ((Steps(1, 2, 2 * n + 5) + Messages{{0, 0}, {0, 1}}), progress.Drain());
    EXPECT_FALSE(job.succeeded);
    EXPECT_EQ((Files{{L"Q9Main.exe", "old main program"}}), FilesBelow(device, kInstallFolder));
    EXPECT_EQ(2u, FilesBelow(device, kStagingFolder).size()) << "the staging folder keeps what was copied";
}

TEST_F(Run, AUDiskPulledOutAfterListingFailsTheFirstPass)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    List();
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));

    UpdateRun(&job);

    EXPECT_EQ((Messages{{0, 0}, {0, 1}}), progress.Drain());
    EXPECT_FALSE(job.succeeded);
    EXPECT_TRUE(FilesBelow(device, kInstallFolder).empty());
    EXPECT_TRUE(device.Exists(kStagingFolder));
}

TEST_F(Run, FilesLeftInTheStagingFolderByAnEarlierRunAreInstalledToo)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\temp\\lang\\Chinese.lng", "from an earlier run"));
    const int n = List();

    UpdateRun(&job);

    // n + 1 files in the second pass, still against the total of the n listed ones.
    EXPECT_EQ((Steps(1, n, 2 * n + 5) + Steps(n + 1, 2 * n + 1, 2 * n + 5) + Messages{{2 * n + 5, 2 * n + 5}}),
              progress.Drain());
    EXPECT_EQ("from an earlier run", FilesBelow(device, kInstallFolder)[L"lang\\Chinese.lng"]);
}

TEST_F(Run, ARuntimeLibraryLockedInTheInstallationIsPassedOverAndEveryInstalledFileIsFlushed)
{
    Files release = kRelease;
    release[L"MFC80U.dll"] = "new framework";
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, release));
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\MFC80U.dll", "framework in use"));
    const int n = List();
    HeldFile inUse(device.Path(L"\\Flash Disk\\Q9Soft\\MFC80U.dll"));
    ASSERT_TRUE(inUse.IsHeld());
    testsupport::SyncTrace trace;

    UpdateRun(&job);

    const std::map<std::wstring, int> flushes = trace.Stop();
    EXPECT_EQ((Steps(1, n, 2 * n + 5) + Steps(n + 1, 2 * n, 2 * n + 5) + Messages{{2 * n + 5, 2 * n + 5}}),
              progress.Drain());
    EXPECT_TRUE(job.succeeded);
    EXPECT_EQ("new main program", FilesBelow(device, kInstallFolder)[L"Q9Main.exe"]);
    EXPECT_EQ((Lines{L"staged 5", L"skipped installing \"\\Flash Disk\\temp\\MFC80U.dll\" error=32", L"installed 4"}),
              LogLines());

    // One flush for each installed file and each line of the log; none for the staged copies.
    if (!trace.IsAttached())
        GTEST_SKIP() << fw::WString(trace.Why()).ToUtf8();
    std::map<std::wstring, int> expected{{device.UnixPath(kLogFile), 3}};
    for (const auto& file : kRelease)
        expected[device.UnixPath(kInstallFolder + file.first)] = 1;
    EXPECT_EQ(expected, flushes);
}

TEST_F(Run, APassWithTooLittleRoomOnItsVolumeIsRefusedBeforeItWritesThere)
{
    std::wstring why;
    if (!device.MountSmallVolume(L"\\Flash Disk\\temp", 64, &why))
        GTEST_SKIP() << fw::WString(why).ToUtf8();
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder,
                                       {{L"data\\Table.bin", std::string(1536 * 1024, 't')}, {L"Q9Main.exe", "x"}}));
    const int n = List();

    UpdateRun(&job);

    // No staging folder written to, no installation folder made.
    EXPECT_EQ((Messages{{0, kNotEnoughSpace}}), progress.Drain());
    EXPECT_EQ(2u, job.neededMegabytes);
    EXPECT_EQ(0u, job.freeMegabytes);
    EXPECT_TRUE(FilesBelow(device, kStagingFolder).empty());
    EXPECT_FALSE(device.Exists(kInstallFolder));

    // Room to stage, none to install: refused after staging, and the staged copy goes.
    ASSERT_TRUE(device.RemoveVolume(L"\\Flash Disk\\temp"));
    ASSERT_TRUE(device.MountSmallVolume(L"\\Flash Disk\\Q9Soft", 64, &why));
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\Q9Main.exe", "old"));
    UpdateRun(&job);

    EXPECT_EQ((Steps(1, n, 2 * n + 5) + Messages{{0, kNotEnoughSpace}}), progress.Drain());
    EXPECT_EQ((Files{{L"Q9Main.exe", "old"}}), FilesBelow(device, kInstallFolder));
    EXPECT_FALSE(device.Exists(kStagingFolder));
    const Lines lines = LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[0].find(L"space staging needed=1572865 free=")) << lines[0];
    EXPECT_EQ(L"staged 2", lines[1]);
    EXPECT_EQ(0u, lines[2].find(L"space installing needed=1572864 free=")) << lines[2];
}

TEST_F(Run, ASecondPassThatInstallsNothingFailsAndStillRemovesTheStagingFolder)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, {{L"MSVCR80.dll", "c"}, {L"atl80.dll", "a"}}));
    ASSERT_TRUE(updatetest::WriteFiles(device, kInstallFolder, {{L"MSVCR80.dll", "old c"}, {L"atl80.dll", "old a"}}));
    const int n = List();
    HeldFile c(device.Path(L"\\Flash Disk\\Q9Soft\\MSVCR80.dll"));
    HeldFile a(device.Path(L"\\Flash Disk\\Q9Soft\\atl80.dll"));

    UpdateRun(&job);

    EXPECT_EQ((Steps(1, n, 2 * n + 5) + Steps(n + 1, 2 * n, 2 * n + 5) + Messages{{0, 2}}), progress.Drain());
    EXPECT_FALSE(job.succeeded);
    EXPECT_FALSE(device.Exists(kStagingFolder));
}

TEST_F(Run, AnyOtherFileFailingInTheSecondPassEndsIt)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\config\\Probe.cfg", "in use"));
    const int n = List();
    HeldFile inUse(device.Path(L"\\Flash Disk\\Q9Soft\\config\\Probe.cfg"));

    UpdateRun(&job);

    Messages messages = progress.Drain();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ((Messages{{0, 0}, {0, 2}}), Messages(messages.end() - 2, messages.end()));
    EXPECT_EQ(Steps(1, n, 2 * n + 5), Messages(messages.begin(), messages.begin() + n));
    EXPECT_FALSE(job.succeeded);
    EXPECT_FALSE(device.Exists(kStagingFolder));
}

TEST_F(Run, TheWorkerRunsBelowNormalPriorityAndOneThatCannotBeSetGoingNeverRuns)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder, kRelease));
    List();
    fw::KernelHandle worker = StartUpdateRun(job);
    ASSERT_TRUE(worker);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(worker.Get()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker.Get(), 30000));
    EXPECT_TRUE(job.succeeded);
    progress.Drain();

    // A worker whose handle lacks the right to resume it.
    List();
    fw::KernelHandle created = CreateUpdateRun(job);
    ASSERT_TRUE(created);
    HANDLE limited = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), created.Get(), GetCurrentProcess(), &limited,
                                SYNCHRONIZE | THREAD_TERMINATE | THREAD_GET_CONTEXT, FALSE, 0));
    fw::KernelHandle unresumable(limited);
    EXPECT_FALSE(ResumeUpdateRun(unresumable));
    EXPECT_FALSE(unresumable);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(created.Get(), 5000)) << "left suspended";
    EXPECT_TRUE(progress.Drain().empty()) << "it ran";
}

TEST_F(Run, CopyFileListCountsFromItsStartAndCutsTheSourceRootOff)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, L"\\Storage Card\\from\\", {{L"one.txt", "1"}, {L"sub\\two.txt", "2"}}));
    FileList files{L"\\Storage Card\\from\\one.txt", L"\\Storage Card\\from\\sub\\two.txt"};

    EXPECT_EQ(2, CopyFileList(L"\\Storage Card\\from\\", files, 7, L"\\Flash Disk\\to\\new\\", 40, true,
                              progress.Window()));

    EXPECT_EQ((Messages{{8, 40}, {9, 40}}), progress.Drain());
    EXPECT_EQ((Files{{L"one.txt", "1"}, {L"sub\\two.txt", "2"}}), FilesBelow(device, L"\\Flash Disk\\to\\new\\"));
}

TEST_F(Run, CopyFileListStopsAtAFailureUnlessItIsARuntimeLibraryItMayPassOver)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, L"\\Storage Card\\from\\", {{L"MFC80U.dll", "m"}, {L"after.txt", "a"}}));
    FileList files{L"\\Storage Card\\from\\missing\\MFC80U.dll", L"\\Storage Card\\from\\after.txt"};

    EXPECT_EQ(0, CopyFileList(L"\\Storage Card\\from\\", files, 0, L"\\Flash Disk\\to\\", 9, true, progress.Window()));
    EXPECT_EQ((Messages{{0, 0}}), progress.Drain());
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\to\\after.txt"));

    EXPECT_EQ(1, CopyFileList(L"\\Storage Card\\from\\", files, 0, L"\\Flash Disk\\to\\", 9, false, progress.Window()));
    EXPECT_EQ((Messages{{1, 9}, {2, 9}}), progress.Drain());
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\to\\after.txt"));

    FileList other{L"\\Storage Card\\from\\missing.txt", L"\\Storage Card\\from\\after.txt"};
    EXPECT_EQ(0, CopyFileList(L"\\Storage Card\\from\\", other, 0, L"\\Flash Disk\\to\\", 9, false, progress.Window()));
    EXPECT_EQ((Messages{{0, 0}}), progress.Drain());
}

TEST(RuntimeLibrary, IsKnownByTheFirstThreeLettersOfTheFileTitle)
{
    EXPECT_TRUE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\MFC80U.dll"));
    EXPECT_TRUE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\msvcr80.dll"));
    EXPECT_TRUE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\Atl80.DLL"));
    EXPECT_TRUE(IsRuntimeLibraryFile(L"MFC.dll.bak"));
    EXPECT_FALSE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\Q9Main.exe"));
    EXPECT_FALSE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\MS.dll"));
    EXPECT_FALSE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\MFC80U")) << "no dot: the title is empty";
    EXPECT_FALSE(IsRuntimeLibraryFile(L"\\Flash Disk\\MFC.d\\x.dll"));
    EXPECT_FALSE(IsRuntimeLibraryFile(L"\\Flash Disk\\temp\\lang\\MSVCfake"));
}
