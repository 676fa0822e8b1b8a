// Export to the U disk: projects with their trees or single files, twice,
// in both languages; a missing, occupied or full U disk.
#include <gtest/gtest.h>

#include "OperationTests.h"

using namespace dialogtest;

namespace {

constexpr wchar_t kExported[] = L"\\硬盘\\Data\\";
const std::wstring kQuestion = L"messageBox(是否导出所选择的工程或文件？|导出|4)";

class Export : public OperationTest {
protected:
    Export() : OperationTest(true) {}

    void SetUp() override
    {
        OperationTest::SetUp();
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P1\\",
                                 {{L"F01.abc", "one", L"2024-05-01 10:00"},
                                  {L"F02.abc", "two", L"2024-05-02 10:00"},
                                  {L"notes.txt", "notes", L""},
                                  {L"sub\\S1.abc", "s1", L""},
                                  {L"sub\\deep\\S2.abc", "s2", L""}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P2\\", {{L"G01.abc", "g", L""}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"项目三\\", {{L"报告.abc", "report", L""}}));
    }

    // Checks the projects, then opens P2 and checks its file (ignored beside
    // projects), and exports. The checked projects in the grid's order.
    Texts ExportProjects(const Texts& projects)
    {
        Texts inOrder;
        Run([&](DialogDriver& driver, RecordingDialog&) {
            driver.Then([&] { Check(driver, driver.Projects(), projects); })
                .Then([&] { driver.Click(driver.Projects(), RowOf(driver.Projects(), L"P2"), 1); })
                .Then([&] { Check(driver, driver.Files(), {L"G01"}); })
                .Then([&] {
                    inOrder = DialogDriver::Checked(driver.Projects());
                    driver.Press(IDC_EXPORT);
                })
                .Then([&] { EXPECT_EQ(Texts{}, DialogDriver::Checked(driver.Projects())); });  // reloaded
        });
        return inOrder;
    }
};

TEST_F(Export, CopiesCheckedProjectsWithTheirTreesOrSingleFilesAndReplacesEarlierCopies)
{
    const Texts tree{L"F01.abc", L"F02.abc", L"notes.txt", L"sub\\S1.abc", L"sub\\deep\\S2.abc"};
    const Texts order = ExportProjects({L"项目三", L"P1"});
    ASSERT_EQ(2u, order.size());
    Texts expected{kQuestion};
    for (const std::wstring& project : order)
        expected.push_back(L"onExported(" + std::wstring(kExported) + project + L"\\)");
    expected.push_back(L"messageBox(导出文件完成！\r\n总计导出 2 个工程， 6 个文件！|导出|0)");
    EXPECT_EQ(expected, host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"onExported busy", L"onExported busy", L"messageBox"}), busyDuring);
    EXPECT_EQ((Texts{L"P1\\F01.abc", L"P1\\F02.abc", L"P1\\notes.txt", L"P1\\sub\\S1.abc", L"P1\\sub\\deep\\S2.abc",
                     L"项目三\\报告.abc"}),
              FilesBelow(device, kExported));
    std::string bytes;
    EXPECT_TRUE(device.ReadFile(std::wstring(kExported) + L"P1\\sub\\deep\\S2.abc", bytes) && bytes == "s2");
    EXPECT_TRUE(device.Exists(std::wstring(kData) + L"P1\\sub\\deep\\S2.abc"));  // copied, not moved

    // Again in English, after every file changed: each is replaced; a file
    // of the U disk's own stays.
    for (const std::wstring& file : tree)
        ASSERT_TRUE(device.WriteFile(std::wstring(kData) + L"P1\\" + file, "v2 " + fw::WString(file).ToUtf8()));
    ASSERT_TRUE(device.WriteFile(std::wstring(kExported) + L"P1\\own.abc", "own"));
    host.language = 1;
    ExportProjects({L"P1"});
    EXPECT_EQ((Texts{L"messageBox(Do you want to copy all your selected project(s) or file(s) to UDisk?|Export|4)",
                     L"onExported(\\硬盘\\Data\\P1\\)",
                     L"messageBox(Completed!\r\nCopy to UDisk 1 Project(s) 5 File(s)！|Copy to UDisk|0)"}),
              host.Journal());
    for (const std::wstring& file : tree)
        EXPECT_TRUE(device.ReadFile(std::wstring(kExported) + L"P1\\" + file, bytes) &&
                    bytes == "v2 " + fw::WString(file).ToUtf8())
            << file;
    EXPECT_TRUE(device.Exists(std::wstring(kExported) + L"P1\\own.abc"));

    // Single files of the open project, the English button reading Copy and no Upload.
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘") && WriteProject(device, L"\\硬盘\\", {}));
    host.startLocation = "P1\\F01";
    Run([&](DialogDriver& driver, RecordingDialog&) {
        driver.Then([&] { Check(driver, driver.Files(), {L"F01", L"F02"}); }).Then([&] {
            EXPECT_EQ(L"Copy", driver.Text(IDC_EXPORT));
            EXPECT_EQ(L"", driver.Text(IDC_UPLOAD));
            EXPECT_FALSE(driver.IsEnabled(IDC_UPLOAD));
            driver.Press(IDC_EXPORT);
        });
    });
    EXPECT_EQ((Texts{L"messageBox(Do you want to copy all your selected project(s) or file(s) to UDisk?|Export|4)",
                     L"onExported(\\硬盘\\Data\\P1\\)",
                     L"messageBox(Completed!\r\nCopy to UDisk 2 File(s)！|Copy to UDisk|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"P1\\F01.abc", L"P1\\F02.abc"}), FilesBelow(device, kExported));

    // Projects straight on the storage root go straight onto the U disk.
    host.language = 0;
    host.dataLocation = "Flash Disk";
    host.startLocation = "";
    Run([&](DialogDriver& driver, RecordingDialog&) {
        driver.Then([&] { Check(driver, driver.Projects(), {L"Data"}); }).Then([&] { driver.Press(IDC_EXPORT); });
    });
    EXPECT_EQ((Texts{kQuestion, L"onExported(\\硬盘\\Data\\)",
                     L"messageBox(导出文件完成！\r\n总计导出 1 个工程， 7 个文件！|导出|0)"}),
              host.Journal());

    // Answered No: nothing happens, the wait cursor never shows.
    host.dataLocation = "Flash Disk\\Data\\";
    host.startLocation = "P1\\F01";
    host.answers = {IDNO};
    Run([&](DialogDriver& driver, RecordingDialog&) {
        driver.Then([&] { Check(driver, driver.Files(), {L"F01"}); }).Then([&] { driver.Press(IDC_EXPORT); });
    });
    EXPECT_EQ(Texts{kQuestion}, host.Journal());
    EXPECT_EQ((Texts{L"messageBox"}), busyDuring);
}

TEST_F(Export, AMissingOrOccupiedUDiskEndsTheExportWithANotice)
{
    // Pulled out: the insert notice alone, no summary, no reload.
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    Run([&](DialogDriver& driver, RecordingDialog&) {
        driver.Then([&] { Check(driver, driver.Projects(), {L"P1"}); })
            .Then([&] { driver.Press(IDC_EXPORT); })
            .Then([&] {
                EXPECT_EQ(Texts{L"P1"}, DialogDriver::Checked(driver.Projects()));
                EXPECT_FALSE(IsBusy());
            });
    });
    EXPECT_EQ((Texts{kQuestion, L"messageBox(请插入U盘|提示|0)"}), host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"messageBox busy"}), busyDuring);

    // A file where the export folder goes: the summary says the export failed.
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Data", "a file of the U disk"));
    ExportProjects({L"P1"});
    EXPECT_EQ((Texts{kQuestion, L"messageBox(导出文件出错！\r\n总计导出 0 个文件！|导出|0)"}), host.Journal());

    // A file where a sub-folder goes: the project fails on its first file.
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P4\\", {{L"sub\\S1.abc", "s1", L""}}));
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    ASSERT_TRUE(device.WriteFile(std::wstring(kExported) + L"P4\\sub", "a file of the U disk"));
    ExportProjects({L"P4"});
    EXPECT_EQ((Texts{kQuestion, L"messageBox(导出文件出错！\r\n总计导出 0 个文件！|导出|0)"}), host.Journal());
    EXPECT_EQ((Texts{L"P4\\sub"}), FilesBelow(device, kExported));
}

TEST_F(Export, AUDiskThatFillsStopsInTheSecondOfThreeProjects)
{
    std::wstring why;
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    if (!device.MountSmallVolume(L"\\硬盘", 256, &why))
        GTEST_SKIP() << fw::WString(why).ToUtf8();
    // The projects' sizes follow the grid's order, which is the file system's.
    Texts order;
    const std::string file(40 * 1024, 'x');
    Run([&](DialogDriver& driver, RecordingDialog&) {
        driver.Then([&] {
                  order = driver.Column(driver.Projects(), 1);
                  ASSERT_EQ(3u, order.size());
                  for (int i = 0; i < 3; ++i)
                      ASSERT_TRUE(device.WriteFile(std::wstring(kData) + order[1] + L"\\B" + std::to_wstring(i) +
                                                       L".abc",
                                                   file));
                  for (int i = 0; i < 8; ++i)
                      ASSERT_TRUE(device.WriteFile(std::wstring(kData) + order[1] + L"\\more\\C" +
                                                       std::to_wstring(i) + L".abc",
                                                   file));
                  driver.Click(driver.Projects(), 0, 0);  // all three
              })
            .Then([&] { driver.Press(IDC_EXPORT); });
    });
    ASSERT_EQ(3u, order.size());
    // Every file of the second project that arrived whole counts.
    int arrived = 0;
    for (const std::wstring& name : FilesBelow(device, std::wstring(kExported) + order[1] + L"\\")) {
        std::string copy;
        std::string original;
        arrived += device.ReadFile(std::wstring(kExported) + order[1] + L"\\" + name, copy) &&
                   device.ReadFile(std::wstring(kData) + order[1] + L"\\" + name, original) && copy == original;
    }
    const int first = static_cast<int>(FilesBelow(device, std::wstring(kData) + order[0] + L"\\").size());
    EXPECT_GT(arrived, 0);
    EXPECT_LT(arrived, 11);
    EXPECT_EQ((Texts{kQuestion, L"onExported(" + std::wstring(kExported) + order[0] + L"\\)",
                     L"messageBox(磁盘空间已满|提示|0)",
                     L"messageBox(导出文件出错！\r\n总计导出 1 个工程， " + std::to_wstring(first + arrived) +
                         L" 个文件！|导出|0)"}),
              host.Journal());
    EXPECT_FALSE(device.Exists(std::wstring(kExported) + order[2]));
}

}  // namespace
