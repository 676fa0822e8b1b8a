// Delete: checked files (through the host's deleteFile or the platform's),
// then checked projects, the grids kept in step; files held open or
// read-only, a project folder that cannot be removed.
#include <gtest/gtest.h>

#include "OperationTests.h"
#include "framework/Handles.h"

using namespace dialogtest;

namespace {

const std::wstring kQuestion = L"messageBox(是否删除所选择的工程或文件？|删除|4)";

class Delete : public OperationTest {
protected:
    void SetUp() override
    {
        OperationTest::SetUp();
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P1\\",
                                 {{L"F01.abc", "1", L"2024-05-03 10:00"},
                                  {L"F02.abc", "2", L"2024-05-02 10:00"},
                                  {L"F03.abc", "3", L"2024-05-01 10:00"},
                                  {L"notes.txt", "n", L""}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P2\\",
                                 {{L"G01.abc", "g1", L"2024-05-02 10:00"},
                                  {L"G02.abc", "g2", L"2024-05-01 10:00"},
                                  {L"readme.txt", "r", L""},
                                  {L"sub\\H.abc", "h", L""}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P3\\", {{L"K.abc", "k", L""}}));
    }

    std::wstring Path(const std::wstring& relative) const { return device.Path(std::wstring(kData) + relative); }

    // Checks the projects, then opens one and checks files of it (all of
    // them with the header's box), and presses Delete.
    void DeleteChecked(const Texts& projects, const std::wstring& open, const Texts& files, bool allFiles = false)
    {
        Run([&](DialogDriver& driver, RecordingDialog&) {
            driver.Then([&] { Check(driver, driver.Projects(), projects); })
                .Then([&] { driver.Click(driver.Projects(), RowOf(driver.Projects(), open), 1); })
                .Then([&] {
                    if (allFiles)
                        driver.Click(driver.Files(), 0, 0);
                    Check(driver, driver.Files(), files);
                })
                .Then([&] {
                    summaryFiles.clear();
                    host.onCall = [&, previous = host.onCall](const std::wstring& line) {
                        previous(line);
                        if (line.find(L"|删除|0)") != std::wstring::npos || line.find(L"|Delete|0)") != std::wstring::npos) {
                            summaryProjects = driver.Column(driver.Projects(), 1);
                            summaryFiles = driver.Column(driver.Files(), 1);
                            summaryHeader = driver.Projects().GetItemText(0, 1).str();
                        }
                    };
                    driver.Press(IDC_DELETE);
                })
                .Then([&] {
                    after = driver.Column(driver.Projects(), 1);
                    afterFiles = driver.Column(driver.Files(), 1);
                });
        });
    }

    // The grids when the summary showed, and after the run.
    Texts summaryProjects, summaryFiles, after, afterFiles;
    std::wstring summaryHeader;
};

TEST_F(Delete, DeletesCheckedFilesThenProjectsKeepingTheGridsInStep)
{
    host.startLocation = "P1\\F01";
    Run([&](DialogDriver& driver, RecordingDialog& dialog) {
        driver.Then([&] { Check(driver, driver.Projects(), {L"P2", L"P3"}); })
            .Then([&] { driver.Click(driver.Projects(), RowOf(driver.Projects(), L"P1"), 1); })
            .Then([&] { Check(driver, driver.Files(), {L"F01", L"F02"}); })
            .Then([&] { driver.Key(VK_F3); })  // the device's Delete key
            .Then([&] {
                EXPECT_EQ(Texts{L"P1"}, driver.Column(driver.Projects(), 1));
                EXPECT_EQ(L"工程名称(1)", driver.Projects().GetItemText(0, 1));
                EXPECT_EQ(L"P1\\", dialog.OpenProject());  // the first project, clicked
                EXPECT_EQ(Texts{L"F03"}, driver.Column(driver.Files(), 1));
            });
    });
    EXPECT_EQ((Texts{kQuestion, L"deleteFile(\\Flash Disk\\Data\\P1\\F01.abc)", L"deleteFile(\\Flash Disk\\Data\\P1\\F02.abc)",
                     L"messageBox(删除文件完成！\r\n总计删除 2 个工程， 6 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"deleteFile busy", L"deleteFile busy", L"messageBox"}), busyDuring);
    EXPECT_EQ((Texts{L"P1\\F03.abc", L"P1\\notes.txt"}), FilesBelow(device, kData));
}

TEST_F(Delete, WithoutTheHostsDeleteFileInEnglishTheOpenProjectGoesRowFirstOrWhole)
{
    host.withDeleteFile = false;
    host.language = 1;
    // Every listed file: the project's row goes, though notes.txt keeps its folder.
    DeleteChecked({}, L"P1", {}, true);
    EXPECT_EQ((Texts{L"messageBox(Do you want to delete all your selected project(s) or file(s)?|Delete|4)",
                     L"messageBox(Completed!\r\nDelete 3 File(s)！|Delete|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"P2", L"P3"}), Sorted(summaryProjects));
    EXPECT_EQ(L"Project Name(2)", summaryHeader);
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), Sorted(after));  // rebuilt from the disk
    EXPECT_EQ(Texts{L"notes.txt"}, FilesBelow(device, std::wstring(kData) + L"P1\\"));

    // The open project checked with one of its files: that file first, then the rest and the folder.
    DeleteChecked({L"P2"}, L"P2", {L"G01"});
    EXPECT_EQ((Texts{L"messageBox(Do you want to delete all your selected project(s) or file(s)?|Delete|4)",
                     L"messageBox(Completed!\r\nDelete 1 Project(s) 3 File(s)！|Delete|0)"}),
              host.Journal());
    EXPECT_FALSE(device.Exists(std::wstring(kData) + L"P2"));
}

TEST_F(Delete, FilesHeldOpenOrReadOnlyAndFoldersThatStayAreReported)
{
    // Read-only F01 fails and stays, F02 goes, F03 held open stops the run before P3.
    ASSERT_TRUE(::SetFileAttributesW(Path(L"P1\\F01.abc").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        testsupport::HeldFile held(Path(L"P1\\F03.abc"));
        ASSERT_TRUE(held.IsHeld());
        DeleteChecked({L"P3"}, L"P1", {}, true);
    }
    EXPECT_EQ((Texts{kQuestion, L"deleteFile(\\Flash Disk\\Data\\P1\\F01.abc)", L"deleteFile(\\Flash Disk\\Data\\P1\\F02.abc)",
                     L"deleteFile(\\Flash Disk\\Data\\P1\\F03.abc)", L"messageBox(无法删除文件，文件被打开|提示|0)",
                     L"messageBox(删除文件出错！\r\n总计删除 1 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"F01", L"F03"}), summaryFiles);
    EXPECT_TRUE(device.Exists(std::wstring(kData) + L"P1\\F01.abc"));
    EXPECT_FALSE(device.Exists(std::wstring(kData) + L"P1\\F02.abc"));
    EXPECT_TRUE(device.Exists(std::wstring(kData) + L"P3\\K.abc"));

    // A file held open directly inside a checked project: the rest goes, the project stays.
    host.withDeleteFile = false;
    ASSERT_TRUE(device.WriteFile(std::wstring(kData) + L"P3\\H.abc", "held") &&
                device.WriteFile(std::wstring(kData) + L"P3\\notes.txt", "n"));
    {
        testsupport::HeldFile held(Path(L"P3\\H.abc"));
        DeleteChecked({L"P3"}, L"P3", {});
    }
    EXPECT_EQ((Texts{kQuestion, L"messageBox(无法删除文件，文件被打开|提示|0)",
                     L"messageBox(删除文件出错！\r\n总计删除 1 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ(Texts{L"H.abc"}, FilesBelow(device, std::wstring(kData) + L"P3\\"));
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), Sorted(after));

    // A project folder that another program holds, not sharing its removal:
    // its contents go, it stays.
    {
        fw::KernelHandle folder(::CreateFileW(Path(L"P2").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(folder);
        DeleteChecked({L"P2"}, L"P2", {});
    }
    EXPECT_EQ((Texts{kQuestion, L"messageBox(删除文件出错！\r\n总计删除 3 个文件！|删除|0)"}), host.Journal());
    EXPECT_TRUE(device.Exists(std::wstring(kData) + L"P2"));
    EXPECT_EQ(Texts{}, FilesBelow(device, std::wstring(kData) + L"P2\\"));
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), Sorted(after));
}

}  // namespace
