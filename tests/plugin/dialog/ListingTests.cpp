// The listing: a host's grid or combo box filled with sub-folders (as for
// Corvane_SetFolderCtrl), and the file rows' sizes, times and upload states.
#include <gtest/gtest.h>

#include <algorithm>

#include "DialogDriver.h"
#include "plugin/resource.h"
#include "support/Printers.h"

using dialogtest::DialogDriver;
using dialogtest::RecordingDialog;
using dialogtest::RecordingHost;
using dialogtest::Sorted;
using dialogtest::WriteProject;
using Texts = std::vector<std::wstring>;

namespace {

constexpr wchar_t kData[] = L"\\Flash Disk\\Data\\";

using Listing = dialogtest::DeviceTest;

// A top-level window holding the host's controls.
struct HostWindow {
    HostWindow() : handle(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr)) {}
    ~HostWindow() { ::DestroyWindow(handle); }
    HWND Child(const wchar_t* windowClass, const wchar_t* text, DWORD style = 0) const
    {
        return ::CreateWindowExW(0, windowClass, text, WS_CHILD | style, 0, 0, 200, 200, handle, nullptr, nullptr, nullptr);
    }
    HWND handle;
};

Texts ComboEntries(HWND combo)
{
    Texts entries;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

TEST_F(Listing, FillsAHostsGridOrComboBoxWithTheSubFoldersAndLeavesOtherWindowsAlone)
{
    for (const wchar_t* project : {L"P1\\", L"P2\\", L"项目三\\"})
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + project, {}));
    ASSERT_TRUE(device.WriteFile(std::wstring(kData) + L"loose.abc", "a file, not a folder"));
    const Texts folders{L"P1", L"P2", L"项目三"};

    HostWindow window;
    CGridCtrl grid(2, 2, 1, 0);
    ASSERT_TRUE(grid.Create(RECT{0, 0, 300, 200}, window.handle, 1234));
    grid.SetItemText(0, 1, L"Folders");
    grid.SetItemText(1, 1, L"stale row");
    fw::Window combo(window.Child(L"ComboBox", L"", CBS_DROPDOWNLIST));
    ::SendMessageW(combo.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"stale entry"));
    fw::Window other(window.Child(L"STATIC", L"keep"));
    fw::Window bareGrid(window.Child(CGridCtrl::kWindowClass, L""));  // of the class, but no grid object behind it

    CCorvaneDlg unshown;  // as for Corvane_SetFolderCtrl: no record
    EXPECT_EQ(3, unshown.ListFolder(kData, L"*.*", &grid));
    EXPECT_EQ(folders, Sorted(DialogDriver::Column(grid, 1)));
    EXPECT_EQ(L"Folders(3)", grid.GetItemText(0, 1));
    for (int row = 1; row < grid.GetRowCount(); ++row)
        EXPECT_TRUE(grid.GetCell(row, 0)->IsKindOf(&CGridCellCheck::Class));

    EXPECT_EQ(3, unshown.ListFolder(kData, L"*.*", &combo));
    EXPECT_EQ(folders, Sorted(ComboEntries(combo.Handle())));

    EXPECT_EQ(3, unshown.ListFolder(kData, L"*.*", &other));
    EXPECT_EQ(L"keep", other.GetText());
    EXPECT_EQ(3, unshown.ListFolder(kData, L"*.*", &bareGrid));
    EXPECT_EQ(3, unshown.ListFolder(kData, L"*.*", nullptr));

    // A folder that is not there empties the control.
    EXPECT_EQ(0, unshown.ListFolder(L"\\Flash Disk\\Missing\\", L"*.*", &grid));
    EXPECT_EQ(1, grid.GetRowCount());
    EXPECT_EQ(L"Folders(0)", grid.GetItemText(0, 1));
    EXPECT_EQ(0, unshown.ListFolder(L"\\Flash Disk\\Missing\\", L"*.*", &combo));
    EXPECT_EQ(Texts{}, ComboEntries(combo.Handle()));
}

TEST_F(Listing, FileRowsShowSizeTimeAndUploadStateAsTheFilesHaveThem)
{
    const std::wstring project = std::wstring(kData) + L"Q\\";
    ASSERT_TRUE(WriteProject(device, project,
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
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"Empty\\", {{L"readme.txt", "r", L""}}));
    host.startLocation = "Q\\";
    RecordingDialog dialog;
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

TEST_F(Listing, ChineseProjectAndFileNamesComeBackWhole)
{
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"项目三\\", {{L"报告.abc", "x", L""}}));
    RecordingDialog dialog;
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    driver.Then([&] { driver.Click(driver.Projects(), 1, 1); })
        .Then([&] {
            EXPECT_EQ(Texts{L"报告"}, driver.Column(driver.Files(), 1));
            driver.Click(driver.Files(), 1, 1);
        })
        .Then([&] { driver.Press(IDC_OPEN); });
    EXPECT_EQ(IDOK, driver.Run());
    EXPECT_EQ(L"\\Flash Disk\\Data\\项目三\\报告.abc", dialog.GetResultPath());
}

TEST_F(Listing, ChineseStartLocationFromTheRecordIsPreselected)
{
    // The record's texts are in the ANSI code page: this needs one that carries Chinese (936 on the device).
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"项目三\\", {{L"报告.abc", "x", L""}}));
    if (!dialogtest::AnsiCarriesChinese())
        GTEST_SKIP() << "the ANSI code page here cannot carry Chinese; the record part needs code page 936";
    host.startLocation = dialogtest::Ansi(L"项目三\\报告");
    RecordingDialog fromRecord;
    fromRecord.TakeOverRecord(host.Record());
    DialogDriver second(fromRecord);
    second.Then([&] { second.Key(VK_RETURN); });
    EXPECT_EQ(IDOK, second.Run());
    EXPECT_EQ(L"\\Flash Disk\\Data\\项目三\\报告.abc", fromRecord.GetResultPath());
}

}  // namespace
