// The whole road of an update as a user goes it: the real Update.exe on a
// device, the stand-ins of the main application and the battery program
// running, the button pressed, and what is left on the device afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "UpdateTestSupport.h"
#include "framework/App.h"
#include "support/Device.h"
#include "support/Printers.h"
#include "support/Process.h"
#include "support/WineProcesses.h"

using testsupport::Device;
using testsupport::HeldFile;
using testsupport::Program;
using testsupport::WindowText;
using updatetest::FilesBelow;
using updatetest::JournalEvents;
using updatetest::kBatteryJournal;
using updatetest::kInstallFolder;
using updatetest::kMainJournal;
using updatetest::kReleaseFolder;
using updatetest::kStagingFolder;

namespace {

using Events = std::vector<std::string>;
using Files = std::map<std::wstring, std::string>;
using Lines = std::vector<std::wstring>;

constexpr wchar_t kUpdateFolder[] = L"\\Flash Disk\\Update\\";
constexpr DWORD kPatience = 20000;

class UpdateProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        updatetest::KillStandIns();
        ASSERT_TRUE(device.IsReady());
        std::string exe;
        ASSERT_TRUE(ReadBuilt(L"Update.exe", exe));
        ASSERT_TRUE(device.WriteFile(kUpdateFolder + std::wstring(L"Update.exe"), exe));
        // The installed software, and a new release on the U disk that brings the stand-ins again.
        ASSERT_TRUE(updatetest::InstallStandIns(device, kInstallFolder));
        ASSERT_TRUE(updatetest::WriteFiles(device, kInstallFolder, {{L"version.txt", "2.1.0"}, {L"Old.cfg", "kept"}}));
        ASSERT_TRUE(updatetest::InstallStandIns(device, kReleaseFolder));
        ASSERT_TRUE(updatetest::WriteFiles(device, kReleaseFolder,
                                           {{L"version.txt", "2.2.0"},
                                            {L"MFC80U.dll", "framework 2.2"},
                                            {L"lang\\English.lng", "english"},
                                            {L"lang\\Chinese.lng", "chinese"},
                                            {L"lang\\deep\\er\\Help.txt", "help"},
                                            {L"a.db", "a short name: not part of the release"}}));
        CreateDirectoryW(device.Path(L"\\硬盘\\Q9Soft\\empty").c_str(), nullptr);
        release = FilesBelow(device, kReleaseFolder);
        release.erase(L"a.db");
        WriteSettings(1, 1);
    }

    void TearDown() override
    {
        update.Kill();
        updatetest::KillStandIns();
    }

    static bool ReadBuilt(const wchar_t* name, std::string& bytes)
    {
        return testsupport::ReadBytes(updatetest::BuiltProgram(name), bytes) && !bytes.empty();
    }

    void WriteSettings(int language, int startWhenOver)
    {
        std::wstring text = L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUpdateDstPath=\\Flash Disk\\Q9Soft\\\r\n"
                            L"ExeFullName=\\Flash Disk\\Q9Soft\\Q9Main.exe\r\nTempPath=\\Flash Disk\\temp\\\r\n"
                            L"StartExeWhenUpdateOver=" + std::to_wstring(startWhenOver) + L"\r\n"
                            L"UI_LANGUAGE=" + std::to_wstring(language) + L"\r\n";
        ASSERT_TRUE(testsupport::WriteUtf16File(device.Path(kUpdateFolder + std::wstring(L"update.ini")), text));
    }

    void StartStandIns(const std::wstring& mainArguments = L"")
    {
        ASSERT_TRUE(main.Start(device.Path(updatetest::kMainProgram), mainArguments, device.Root()));
        ASSERT_TRUE(battery.Start(device.Path(updatetest::kBatteryProgram), L"", device.Root()));
        ASSERT_NE(nullptr, testsupport::WaitForWindow(main.Id(), L"DeviceProgramStandIn", kPatience));
        ASSERT_NE(nullptr, testsupport::WaitForWindow(battery.Id(), L"DeviceProgramStandIn", kPatience));
    }

    // Starts the updater and presses its button; the dialog.
    HWND StartAndPress()
    {
        HWND dialog = StartUpdate();
        if (dialog)
            testsupport::PressButton(dialog, 1001);
        return dialog;
    }

    HWND StartUpdate()
    {
        std::wstring exe = device.Path(kUpdateFolder + std::wstring(L"Update.exe"));
        if (!update.Start(exe, L"", device.Root()))
            return nullptr;
        return testsupport::WaitForWindow(update.Id(), L"#32770", kPatience);
    }

    static bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = kPatience)
    {
        DWORD start = GetTickCount();
        while (!condition()) {
            if (GetTickCount() - start > milliseconds)
                return false;
            Sleep(10);
        }
        return true;
    }

    // Waits for the run's result: the button enabled again with a close caption
    // and the status text past the please-wait text. The dialog sets them one
    // after the other (after a success the status text last), and this process
    // may look in between.
    static bool WaitForResult(HWND dialog)
    {
        return WaitUntil([dialog] {
            HWND button = GetDlgItem(dialog, 1001);
            std::wstring caption = WindowText(button);
            std::wstring status = Status(dialog);
            return IsWindowEnabled(button) && (caption == L"Close" || caption == L"关闭") &&
                   status != L"Please wait for updating..." && status != L"升级中，请稍后...";
        });
    }

    static std::wstring Status(HWND dialog) { return WindowText(GetDlgItem(dialog, 1002)); }

    std::wstring LogPath() const { return device.Path(kUpdateFolder + std::wstring(L"update.log")); }

    bool MainRunsAgain() const
    {
        return WaitUntil([this] { return JournalEvents(device, kMainJournal).size() >= 2 &&
                                         JournalEvents(device, kMainJournal).back() == "start"; });
    }

    void ExpectInstalledUnchanged()
    {
        Files installed = FilesBelow(device, kInstallFolder);
        EXPECT_EQ("2.1.0", installed[L"version.txt"]);
        EXPECT_EQ(0u, installed.count(L"MFC80U.dll"));
        EXPECT_EQ(0u, installed.count(L"lang\\English.lng"));
    }

    void ExpectReleaseInstalled()
    {
        Files installed = FilesBelow(device, kInstallFolder);
        for (const auto& file : release) {
            SCOPED_TRACE(file.first);
            EXPECT_EQ(file.second, installed[file.first]);
        }
        EXPECT_EQ("kept", installed[L"Old.cfg"]);
        EXPECT_EQ(0u, installed.count(L"a.db"));
        EXPECT_FALSE(device.Exists(L"\\Flash Disk\\Q9Soft\\empty"));
        EXPECT_FALSE(device.Exists(kStagingFolder));
    }

    Device device{true};
    Files release;
    Program update;
    Program main;
    Program battery;
};

}  // namespace

TEST_F(UpdateProgram, InstallsTheReleaseAndBringsTheMainProgramBack)
{
    // Also where its log cannot be written: a folder stands in its place.
    ASSERT_TRUE(CreateDirectoryW(LogPath().c_str(), nullptr));
    StartStandIns();
    ASSERT_NE(nullptr, StartAndPress());

    ASSERT_TRUE(update.Wait(kPatience)) << "the updater did not end by itself after its run";
    EXPECT_EQ(0u, update.ExitCode());

    ExpectReleaseInstalled();
    EXPECT_TRUE(main.Wait(0));
    EXPECT_TRUE(battery.Wait(0));
    EXPECT_EQ((Events{"start", "close", "end"}), JournalEvents(device, kBatteryJournal));
    ASSERT_TRUE(MainRunsAgain());
    EXPECT_EQ((Events{"start", "close", "end", "start"}), JournalEvents(device, kMainJournal));
    // Started by the shell with its working folder on the device.
    std::string journal = updatetest::JournalText(device, kMainJournal);
    std::string lastStart = journal.substr(journal.rfind("start cwd="));
    EXPECT_EQ(0u, lastStart.find("start cwd=" + std::string(1, static_cast<char>(device.Drive())) + ":\\")) << journal;
    std::vector<DWORD> running = testsupport::ProcessIdsNamed(L"Q9Main.exe");
    ASSERT_EQ(1u, running.size());
    EXPECT_NE(main.Id(), running[0]);
}

TEST_F(UpdateProgram, InChineseWithoutAutomaticStartTheResultWaitsForTheCloseButton)
{
    WriteSettings(0, 0);
    StartStandIns();
    HWND dialog = StartAndPress();
    ASSERT_NE(nullptr, dialog);

    ASSERT_TRUE(WaitForResult(dialog));
    EXPECT_EQ(L"升级成功!", Status(dialog));
    EXPECT_EQ(L"关闭", WindowText(GetDlgItem(dialog, 1001)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, 1002)));
    ExpectReleaseInstalled();
    EXPECT_TRUE(testsupport::ProcessIdsNamed(L"Q9Main.exe").empty()) << "started before the button was pressed";

    testsupport::PressButton(dialog, 1001);
    ASSERT_TRUE(update.Wait(kPatience));
    EXPECT_TRUE(MainRunsAgain());
}

TEST_F(UpdateProgram, AReleaseFileHeldOpenFailsTheRunBeforeAnythingIsInstalled)
{
    WriteSettings(0, 1);
    StartStandIns();
    HeldFile held(device.Path(L"\\硬盘\\Q9Soft\\lang\\English.lng"));
    ASSERT_TRUE(held.IsHeld());
    HWND dialog = StartAndPress();
    ASSERT_NE(nullptr, dialog);

    ASSERT_TRUE(WaitForResult(dialog));
    EXPECT_EQ(L"升级失败,错误码=0x7934", Status(dialog));
    ExpectInstalledUnchanged();
    EXPECT_TRUE(device.Exists(kStagingFolder)) << "the staging folder stays after a failed first pass";

    testsupport::PressButton(dialog, 1001);
    ASSERT_TRUE(update.Wait(kPatience));
    EXPECT_TRUE(MainRunsAgain()) << "the close button starts the main program also after a failure";
}

TEST_F(UpdateProgram, AStagingVolumeWithoutRoomRefusesTheRunBeforeAnythingIsStaged)
{
    std::wstring why;
    if (!device.MountSmallVolume(L"\\Flash Disk\\temp", 64, &why))
        GTEST_SKIP() << std::string(why.begin(), why.end());
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\data\\Table.bin", std::string(256 * 1024, 't')));
    unsigned long long needed = 256 * 1024;
    for (const auto& file : release)
        needed += file.second.size();
    StartStandIns();
    HWND dialog = StartAndPress();
    ASSERT_NE(nullptr, dialog);

    ASSERT_TRUE(WaitForResult(dialog));
    EXPECT_EQ(L"Update failed！Not enough space," + std::to_wstring((needed + 1048575) / 1048576) + L"MB needed,0MB free。",
              Status(dialog));
    ExpectInstalledUnchanged();
    EXPECT_TRUE(FilesBelow(device, kStagingFolder).empty());
    const Lines log = updatetest::LogLines(LogPath());
    ASSERT_EQ(7u, log.size());  // the end comes with the close button
    EXPECT_EQ(L"space staging needed=" + std::to_wstring(needed) + L" free=65536", log[5]);
    EXPECT_EQ(L"result \"" + Status(dialog) + L"\"", log[6]);
}

TEST_F(UpdateProgram, ItsLogKeepsTheWholeLinesOfARunCutOffAndAppendsTheNextRun)
{
    // An old log over 64 KB, kept as the older generation when the run starts.
    const std::string old(70 * 1024, 'o');
    ASSERT_TRUE(testsupport::WriteBytes(LogPath(), old));
    // A main program that ignores WM_CLOSE keeps the run waiting: the power is cut then.
    StartStandIns(L"/ignore-close");
    ASSERT_NE(nullptr, StartAndPress());
    ASSERT_TRUE(WaitUntil([this] { return updatetest::LogLines(LogPath()).size() >= 4; }));
    ASSERT_TRUE(testsupport::KillWineProcess(L"Update.exe"));
    ASSERT_TRUE(update.Wait(kPatience));
    EXPECT_EQ(old, testsupport::FileBytes(LogPath() + L".1"));
    const Lines started{L"source \"\\硬盘\\Q9Soft\\\"", L"staging \"\\Flash Disk\\temp\\\"",
                        L"installation \"\\Flash Disk\\Q9Soft\\\""};
    Lines log = updatetest::LogLines(LogPath());
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(0u, log[0].find(L"start 20")) << log[0];
    EXPECT_EQ(started, Lines(log.begin() + 1, log.end()));

    updatetest::KillStandIns();
    StartStandIns();
    ASSERT_NE(nullptr, StartAndPress());
    ASSERT_TRUE(update.Wait(kPatience));
    ExpectReleaseInstalled();
    log = updatetest::LogLines(LogPath());
    ASSERT_EQ(13u, log.size());
    EXPECT_EQ(0u, log[4].find(L"start 20")) << log[4];
    EXPECT_EQ(started, Lines(log.begin() + 5, log.begin() + 8));
    const std::wstring n = std::to_wstring(release.size());
    EXPECT_EQ((Lines{L"files " + n, L"staged " + n, L"installed " + n, L"result \"Update Succeeded!\""}),
              Lines(log.begin() + 8, log.begin() + 12));
    EXPECT_EQ(0u, log[12].find(L"end 20")) << log[12];
}

TEST_F(UpdateProgram, ARuntimeLibraryInUseIsLeftAsItIsAndTheRunSucceeds)
{
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\MFC80U.dll", "framework in use"));
    StartStandIns();
    {
        HeldFile inUse(device.Path(L"\\Flash Disk\\Q9Soft\\MFC80U.dll"));
        ASSERT_TRUE(inUse.IsHeld());
        ASSERT_NE(nullptr, StartAndPress());
        ASSERT_TRUE(update.Wait(kPatience));
    }
    Files installed = FilesBelow(device, kInstallFolder);
    EXPECT_EQ("2.2.0", installed[L"version.txt"]);
    EXPECT_EQ("framework in use", installed[L"MFC80U.dll"]);
    EXPECT_TRUE(MainRunsAgain());
}

TEST_F(UpdateProgram, AMainProgramThatIgnoresCloseIsTerminatedAfterTheWait)
{
    StartStandIns(L"/ignore-close");
    DWORD pressed = GetTickCount();
    ASSERT_NE(nullptr, StartAndPress());

    ASSERT_TRUE(update.Wait(kPatience));
    EXPECT_GE(GetTickCount() - pressed, 3000u);
    ExpectReleaseInstalled();
    EXPECT_TRUE(main.Wait(0));
    ASSERT_TRUE(MainRunsAgain());
    EXPECT_EQ((Events{"start", "close ignored", "start"}), JournalEvents(device, kMainJournal));
}

TEST_F(UpdateProgram, FromSystemVersion5OnTheProgramsAreStoppedWithoutBeingAskedToClose)
{
    updatetest::OsVersionValue version(L"Ver5.00-20231201");
    StartStandIns();
    ASSERT_NE(nullptr, StartAndPress());

    ASSERT_TRUE(update.Wait(kPatience));
    ExpectReleaseInstalled();
    EXPECT_TRUE(main.Wait(0));
    EXPECT_TRUE(battery.Wait(0));
    EXPECT_EQ((Events{"start"}), JournalEvents(device, kBatteryJournal));
    ASSERT_TRUE(MainRunsAgain());
    EXPECT_EQ((Events{"start", "start"}), JournalEvents(device, kMainJournal));
}

TEST_F(UpdateProgram, AMainProgramThatCannotBeStoppedRefusesTheRun)
{
    updatetest::GuardedProgram guarded;
    ASSERT_TRUE(guarded.Start(device.Path(updatetest::kMainProgram), device.Root()));
    ASSERT_TRUE(battery.Start(device.Path(updatetest::kBatteryProgram), L"", device.Root()));
    HWND dialog = StartAndPress();
    ASSERT_NE(nullptr, dialog);

    testsupport::MessageBoxSeen box;
    ASSERT_TRUE(testsupport::WaitForMessageBox(update.Id(), box, kPatience));
    EXPECT_EQ(L"Update failed,errcode=0x0001", box.text);
    EXPECT_EQ(L"Update", box.title);
    testsupport::PressButton(box.window, IDOK);

    // Ready as before; the battery program was not touched.
    ASSERT_TRUE(WaitUntil([&box] { return !IsWindow(box.window); }));
    EXPECT_EQ(L"Update", WindowText(GetDlgItem(dialog, 1001)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1001)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1002)));
    EXPECT_TRUE(battery.IsRunning());
    ExpectInstalledUnchanged();
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(update.Wait(kPatience));
}

TEST_F(UpdateProgram, AReleaseWithoutListedFilesIsRefusedAndTheDialogStaysReady)
{
    WriteSettings(2, 1);
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\a.db", "short"));
    CreateDirectoryW(device.Path(L"\\硬盘\\Q9Soft\\empty").c_str(), nullptr);
    HWND dialog = StartAndPress();
    ASSERT_NE(nullptr, dialog);

    testsupport::MessageBoxSeen box;
    ASSERT_TRUE(testsupport::WaitForMessageBox(update.Id(), box, kPatience));
    EXPECT_EQ(L"升级包中未包含升级文件，请检查！", box.text);
    testsupport::PressButton(box.window, IDOK);

    ASSERT_TRUE(WaitUntil([&box] { return !IsWindow(box.window); }));
    EXPECT_EQ(L"升    级", WindowText(GetDlgItem(dialog, 1001)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1001)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1002)));
    ExpectInstalledUnchanged();
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(update.Wait(kPatience));
}
