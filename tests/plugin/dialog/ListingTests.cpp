// The file rows: sizes, times and upload states as the files and upload.ini
// have them, and a project without files. (The folder lists of hosts'
// controls are seen through the plug-in's export, in the boundary tests.)
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "support/Printers.h"

using dialogtest::DialogDriver;
using Texts = std::vector<std::wstring>;

namespace {

using Listing = dialogtest::DeviceTest;

TEST_F(Listing, FileRowsShowSizeTimeAndUploadStateAsTheFilesHaveThem)
{
    ASSERT_TRUE(dialogtest::WriteProject(device, L"\\Flash Disk\\Data\\Q\\",
                                         {{L"Z0.abc", "", L"2024-01-01 00:01"},
                                          {L"Z1.abc", std::string(1023, 'z'), L"2024-01-01 00:02"},
                                          {L"Z2.abc", std::string(2047, 'z'), L"2024-01-01 00:03"},
                                          {L"S1.abc", "s", L"2024-01-01 00:04"},
                                          {L"S2.abc", "s", L"2024-01-01 00:05"},
                                          {L"S3.abc", "s", L"2024-01-01 00:06"},
                                          {L"S4.abc", "s", L"2024-01-01 00:07"},
                                          {L"S5.abc", "s", L"2024-01-01 00:08"},
                                          {L"other.txt", "not listed", L""}},
                                         "[result]\r\n"
                                         "S1.abc=2024-02-01 08:00##uploaded\r\n"
                                         "S2.abc=no separator\r\n"
                                         "S3.abc=2024-02-03##\r\n"
                                         "S5.abc =2024-02-05##spaced\r\n"
                                         "S4.abc=2024-02-04##written without its line end"));
    ASSERT_TRUE(dialogtest::WriteProject(device, L"\\Flash Disk\\Data\\Empty\\", {{L"readme.txt", "r", L""}}));
    host.startLocation = "Q\\";
    dialogtest::RecordingDialog dialog;
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    driver.Then([&] {
        CGridCtrl& files = driver.Files();
        EXPECT_EQ((Texts{L"S5", L"S4", L"S3", L"S2", L"S1", L"Z2", L"Z1", L"Z0"}), driver.Column(files, 1));
        EXPECT_EQ((Texts{L"0", L"0", L"0", L"0", L"0", L"1", L"0", L"未知"}), driver.Column(files, 4));
        EXPECT_EQ((Texts{L"", L"written without its line en", L"", L"", L"uploaded", L"", L"", L""}),
                  driver.Column(files, 2));
        EXPECT_EQ((Texts{L"", L"2024-02-04", L"2024-02-03", L"", L"2024-02-01 08:00", L"", L"", L""}),
                  driver.Column(files, 3));
        EXPECT_EQ(L"2024.01.01-00:08", files.GetItemText(1, 5));
        EXPECT_EQ(L"文件名称(8)", files.GetItemText(0, 1));
        driver.Click(driver.Projects(), dialogtest::RowOf(driver.Projects(), L"Empty"), 1);
    }).Then([&] {
        EXPECT_EQ(1, driver.Files().GetRowCount());
        EXPECT_EQ(L"文件名称(0)", driver.Files().GetItemText(0, 1));
    });
    driver.Run();
}

}  // namespace
