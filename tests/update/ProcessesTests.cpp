// Finding, stopping and starting the device's programs: real stand-in
// processes, their windows, the registry and the shell under Wine.
#include <gtest/gtest.h>

#include "Processes.h"
#include "UpdateTestSupport.h"
#include "support/Device.h"
#include "support/Printers.h"
#include "support/Process.h"

using testsupport::Device;
using testsupport::Program;
using updatetest::JournalEvents;

namespace {

using Events = std::vector<std::string>;

class Programs : public ::testing::Test {
protected:
    void SetUp() override
    {
        updatetest::KillStandIns();
        ASSERT_TRUE(device.IsReady());
        device.Enter();
        ASSERT_TRUE(updatetest::InstallStandIns(device));
    }
    void TearDown() override { updatetest::KillStandIns(); }

    // Starts the main program's stand-in and waits until its window is up.
    void StartMain(Program& program, const std::wstring& arguments = L"")
    {
        ASSERT_TRUE(program.Start(device.Path(updatetest::kMainProgram), arguments, device.Root()));
        ASSERT_NE(nullptr, testsupport::WaitForWindow(program.Id(), L"DeviceProgramStandIn", 10000));
    }

    Device device{true};
};

}  // namespace

TEST_F(Programs, FindsAProgramByItsFileNameInAnyLetterCaseFromAnyFolder)
{
    FoundProcess found;
    EXPECT_FALSE(FindProcessByName(updatetest::kMainProgram, found));

    Program main;
    StartMain(main);
    EXPECT_TRUE(FindProcessByName(L"\\Storage Card\\elsewhere\\Q9MAIN.EXE", found));
    EXPECT_EQ(main.Id(), found.id);
    EXPECT_EQ(main.Id(), found.record.th32ProcessID);
    EXPECT_STREQ(L"Q9Main.exe", found.record.szExeFile);
    EXPECT_TRUE(FindProcessByName(L"q9main.exe", found));
    EXPECT_FALSE(FindProcessByName(L"\\Flash Disk\\Q9Soft\\Q9Main", found));
}

TEST_F(Programs, AProgramThatClosesWhenAskedCountsAsClosed)
{
    updatetest::OsVersionValue version(L"Ver4.20-20100101");
    Program main;
    StartMain(main);

    EXPECT_EQ(StopResult::kClosed, StopProcess(main.Id()));
    EXPECT_FALSE(main.IsRunning());
    EXPECT_EQ((Events{"start", "close", "end"}), JournalEvents(device, updatetest::kMainJournal));
}

TEST_F(Programs, AProgramThatIgnoresCloseIsTerminatedAfterTheWait)
{
    Program main;
    StartMain(main, L"/ignore-close");

    DWORD started = GetTickCount();
    EXPECT_EQ(StopResult::kTerminatedAfterWait, StopProcess(main.Id()));
    DWORD took = GetTickCount() - started;

    EXPECT_GE(took, kCloseWaitMilliseconds - 50);
    EXPECT_FALSE(main.IsRunning());
    EXPECT_EQ((Events{"start", "close ignored"}), JournalEvents(device, updatetest::kMainJournal));
}

TEST_F(Programs, FromSystemVersion5OnNoWindowIsAskedToClose)
{
    updatetest::OsVersionValue version(L"Ver5.00-20231201");
    Program main;
    StartMain(main);

    EXPECT_EQ(StopResult::kTerminatedAtOnce, StopProcess(main.Id()));
    EXPECT_FALSE(main.IsRunning());
    EXPECT_EQ(0u, main.ExitCode());
    EXPECT_EQ((Events{"start"}), JournalEvents(device, updatetest::kMainJournal));
}

TEST_F(Programs, StopProgramTellsWhetherTheProgramStillRuns)
{
    FoundProcess found;
    EXPECT_EQ(0, StopProgram(updatetest::kMainProgram, found)) << "a program that does not run counts as stopped";

    Program main;
    StartMain(main);
    EXPECT_EQ(0, StopProgram(updatetest::kMainProgram, found));
    EXPECT_EQ(main.Id(), found.id);
    EXPECT_FALSE(main.IsRunning());

    // A process that refuses to be opened cannot be stopped.
    updatetest::GuardedProgram guarded;
    ASSERT_TRUE(guarded.Start(device.Path(updatetest::kMainProgram), device.Root()));
    EXPECT_EQ(StopResult::kNotStopped, StopProcess(guarded.Id()));
    EXPECT_EQ(1, StopProgram(updatetest::kMainProgram, found));
    EXPECT_EQ(guarded.Id(), found.id);
}

TEST(OsVersion, IsTheNumberBeforeTheFirstDashWithVerRemoved)
{
    EXPECT_FLOAT_EQ(5.0f, ParseOsVersion(L"Ver5.00-20231201"));
    EXPECT_FLOAT_EQ(4.2f, ParseOsVersion(L"4.20-x-y"));
    EXPECT_FLOAT_EQ(6.5f, ParseOsVersion(L"6.5Ver-"));
    EXPECT_FLOAT_EQ(0.0f, ParseOsVersion(L"Ver6.00")) << "no dash, no number";
    EXPECT_FLOAT_EQ(0.0f, ParseOsVersion(L"VerX-1"));
    EXPECT_FLOAT_EQ(0.0f, ParseOsVersion(L""));
}

TEST(OsVersion, IsReadFromTheRegistryAndZeroWhenMissingEmptyOverlongOrNotText)
{
    {
        updatetest::OsVersionValue value(L"Ver6.00-20231201");
        EXPECT_FLOAT_EQ(6.0f, ReadOsVersion());
    }
    {
        updatetest::OsVersionValue value(L"Ver5.5-1234567890");  // 17 characters: the most the value may hold
        EXPECT_FLOAT_EQ(5.5f, ReadOsVersion());
    }
    {
        updatetest::OsVersionValue value(nullptr);
        EXPECT_FLOAT_EQ(0.0f, ReadOsVersion());
    }
    {
        updatetest::OsVersionValue value(L"");
        EXPECT_FLOAT_EQ(0.0f, ReadOsVersion());
    }
    {
        updatetest::OsVersionValue value(L"Ver6.00-2023120112");  // one character too long
        EXPECT_FLOAT_EQ(0.0f, ReadOsVersion());
    }
    {
        updatetest::OsVersionValue value(L"Ver6.00-1", REG_BINARY);
        EXPECT_FLOAT_EQ(0.0f, ReadOsVersion());
    }
}

TEST_F(Programs, StartsAProgramThroughTheShellOnTheDeviceAndLetsGoOfItsHandle)
{
    ASSERT_TRUE(StartProgram(updatetest::kMainProgram));

    std::vector<DWORD> ids;
    for (int tries = 0; tries < 500 && ids.empty(); ++tries, Sleep(10))
        ids = testsupport::ProcessIdsNamed(L"Q9Main.exe");
    ASSERT_EQ(1u, ids.size());
    // Its working folder is on the device's drive, so that its own device paths land there.
    std::string journal;
    for (int tries = 0; tries < 500 && journal.empty(); ++tries, Sleep(10))
        journal = updatetest::JournalText(device, updatetest::kMainJournal);
    std::string drive = std::string(1, static_cast<char>(device.Drive())) + ":\\";
    EXPECT_NE(std::string::npos, journal.find("start cwd=" + drive)) << journal;

    // Once it has ended, nothing of ours keeps the process object alive.
    updatetest::KillStandIns();
    HANDLE process = nullptr;
    for (int tries = 0; tries < 200; ++tries, Sleep(10)) {
        process = OpenProcess(SYNCHRONIZE, FALSE, ids[0]);
        if (!process)
            break;
        CloseHandle(process);
    }
    EXPECT_EQ(nullptr, process) << "the handle of the started process was left open";
}

TEST_F(Programs, StartingAMissingProgramFailsAtOnce)
{
    DWORD started = GetTickCount();
    EXPECT_FALSE(StartProgram(L"\\Flash Disk\\Q9Soft\\Missing.exe"));
    EXPECT_LT(GetTickCount() - started, 5000u);
}
