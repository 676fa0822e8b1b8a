// Which volume the project list shows, and the free-space indicator measured
// on real volumes of known size (small tmpfs mounts where this is allowed).
#include <gtest/gtest.h>

#include <algorithm>

#include "DialogDriver.h"
#include "plugin/resource.h"
#include "support/Printers.h"

using dialogtest::DialogDriver;
using dialogtest::RecordingHost;
using dialogtest::WriteProject;
using Texts = std::vector<std::wstring>;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Shown {
    Texts projects;
    fw::WString projectTitle;
    fw::WString root;
    int kind = -2;
    fw::WString freeSpace;
    bool uploadSpace = true;
    bool uploadOffered = true;  // Upload enabled once every project is ticked
    int blueUpTo = -1;          // last blue pixel of the bar's bottom line, -1 none
    int width = 0;              // of the indicator
    RECT ink{-1, -1, -1, -1};   // of the text, inside the frame
    int height = 0;
};

// Runs the dialog on the host's record and takes what it shows at start-up.
Shown Show(RecordingHost& host)
{
    dialogtest::RecordingDialog dialog;
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    Shown shown;
    driver.Then([&] {
        shown.projects = dialogtest::Sorted(driver.Column(driver.Projects(), 1));
        shown.projectTitle = driver.Projects().GetItemText(0, 1);
        shown.root = dialog.StorageRoot();
        shown.kind = dialog.StorageKind();
        shown.freeSpace = dialog.FreeSpaceText();
        shown.uploadSpace = dialog.HasUploadSpace();
        // The bar's bottom line, inside the frame, below the text.
        const RECT bar = driver.RectOf(IDC_FREE_SPACE);
        const auto picture = driver.Snapshot();
        shown.width = bar.right - bar.left;
        shown.height = bar.bottom - bar.top;
        for (int x = bar.left + 1; x < bar.right - 2; ++x) {
            const COLORREF pixel = picture->Pixel(x, bar.bottom - 3);
            if (pixel == kBlue)
                shown.blueUpTo = x - bar.left;
            else
                EXPECT_EQ(kWhite, pixel) << "at " << x - bar.left;
        }
        for (int y = 1; y < shown.height - 1; ++y)
            for (int x = 1; x < shown.width - 1; ++x) {
                const COLORREF pixel = picture->Pixel(bar.left + x, bar.top + y);
                if (GetRValue(pixel) >= 128 || GetGValue(pixel) >= 128 || GetBValue(pixel) >= 128)
                    continue;
                RECT& ink = shown.ink;
                ink = ink.left < 0 ? RECT{x, y, x, y}
                                   : RECT{std::min<LONG>(ink.left, x), ink.top, std::max<LONG>(ink.right, x), y};
            }
        driver.Click(driver.Projects(), 0, 0);
    }).Then([&] { shown.uploadOffered = driver.IsEnabled(IDC_UPLOAD); });
    driver.Run();
    return shown;
}

class Storage : public dialogtest::DeviceTest {
protected:
    void Projects()
    {
        ASSERT_TRUE(WriteProject(device, L"\\Flash Disk\\Data\\OnFlash\\", {{L"F.abc", "f", L""}}));
        ASSERT_TRUE(WriteProject(device, L"\\Storage Card\\Data\\OnCard\\", {{L"C.abc", "c", L""}}));
    }
    // A volume of the given size with so much of it in use (and a few pages
    // more for the projects); false with the reason where mounting is not
    // allowed (the test is skipped), any other failure fails the test.
    bool Volume(const std::wstring& root, unsigned megabytes, unsigned usedMegabytes)
    {
        EXPECT_TRUE(device.RemoveVolume(root));
        if (!device.MountSmallVolume(root, megabytes * 1024, &reason))
            return false;
        const std::wstring fill = testsupport::ShellQuote(device.UnixPath(root + L"\\fill"));
        EXPECT_EQ(0, testsupport::RunUnix(L"fallocate -l " + std::to_wstring(usedMegabytes) + L"M " + fill));
        return true;
    }

    std::wstring reason;
};

TEST_F(Storage, TheProjectListShowsTheNamedCardOrElseTheFlashDiskAndNoOtherVolume)
{
    Projects();
    host.dataLocation = "Storage Card\\Data\\";
    Shown shown = Show(host);
    EXPECT_EQ(Texts{L"OnCard"}, shown.projects);
    EXPECT_EQ(L"\\Storage Card\\", shown.root);
    EXPECT_EQ(CCorvaneDlg::kStorageCard, shown.kind);
    // None named (nothing, or a lone backslash): no volume, nothing listed.
    for (const char* location : {"", "\\"}) {
        host.dataLocation = location;
        shown = Show(host);
        EXPECT_EQ(Texts{}, shown.projects) << location;
        EXPECT_EQ(L"\\\\", shown.root) << location;
        EXPECT_EQ(CCorvaneDlg::kNoStorage, shown.kind) << location;
    }

    // The U disk is not plugged in: no projects, and its free space cannot be asked for.
    ASSERT_TRUE(dialogtest::AnsiCarriesChinese()) << "the dialog's tests run with the device's ANSI code page";
    host.dataLocation = dialogtest::Ansi(L"硬盘\\Work\\Data");
    shown = Show(host);
    EXPECT_EQ(Texts{}, shown.projects);
    EXPECT_EQ(L"\\硬盘\\", shown.root);
    EXPECT_EQ(L"工程名称", shown.projectTitle);
    EXPECT_EQ(CCorvaneDlg::kNoStorage, shown.kind);
    EXPECT_EQ(L"", shown.freeSpace);
    EXPECT_EQ(-1, shown.blueUpTo);
    // Plugged in, with a project where the location points: not listed all the same.
    ASSERT_TRUE(WriteProject(device, L"\\硬盘\\Data\\OnUDisk\\", {{L"U.abc", "u", L""}}));
    shown = Show(host);
    EXPECT_EQ(Texts{}, shown.projects);
    EXPECT_EQ(CCorvaneDlg::kNoStorage, shown.kind);
    // Names are compared exactly, though the file system finds either spelling.
    for (const char* location : {"flash disk\\Data\\", "storage card\\Data\\"}) {
        host.dataLocation = location;
        shown = Show(host);
        EXPECT_EQ(Texts{}, shown.projects) << location;
        EXPECT_EQ(CCorvaneDlg::kNoStorage, shown.kind) << location;
    }

    ASSERT_TRUE(device.RemoveVolume(L"\\Storage Card"));
    host.dataLocation = "Storage Card\\Data\\";
    shown = Show(host);
    EXPECT_EQ(Texts{L"OnFlash"}, shown.projects);
    EXPECT_EQ(L"\\Flash Disk\\", shown.root);
    EXPECT_EQ(CCorvaneDlg::kFlashDisk, shown.kind);
    EXPECT_TRUE(host.Journal().empty());  // the fall-back is silent

    // A flash disk that cannot be measured has no room for uploads.
    Projects();
    ASSERT_TRUE(device.RemoveVolume(L"\\Flash Disk"));
    host.dataLocation = "Storage Card\\Data\\";
    shown = Show(host);
    EXPECT_EQ(Texts{L"OnCard"}, shown.projects);
    EXPECT_FALSE(shown.uploadSpace);
    EXPECT_FALSE(shown.uploadOffered);
}

TEST_F(Storage, FreeSpaceLeavesOutTheFlashDisksReserveButNotTheCards)
{
    if (!Volume(L"\\Flash Disk", 1024, 511) || !Volume(L"\\Storage Card", 1024, 511))
        GTEST_SKIP() << reason;
    Projects();
    // 362 of 874 MB; the bar covers the used share, the left 58.58 percent.
    Shown shown = Show(host);
    EXPECT_EQ(L"剩余:41.42%", shown.freeSpace);
    EXPECT_TRUE(shown.uploadSpace && shown.uploadOffered);
    EXPECT_NEAR(shown.width * 0.5858 - 1, shown.blueUpTo, 1.0);
    // The text clear of the frame, in the middle of its height.
    EXPECT_LT(shown.ink.right, shown.width - 3);
    EXPECT_NEAR(shown.ink.top - 1, shown.height - 2 - shown.ink.bottom, 2);
    host.language = 1;
    EXPECT_EQ(L"41.42%Free", Show(host).freeSpace);
    host.language = 2;
    EXPECT_EQ(L"", Show(host).freeSpace);

    host.language = 0;
    host.dataLocation = "Storage Card\\Data\\";
    shown = Show(host);
    EXPECT_EQ(L"剩余:50.00%", shown.freeSpace);
    EXPECT_NEAR(shown.width * 0.5 - 1, shown.blueUpTo, 1.0);
}

TEST_F(Storage, AFlashDiskWithinItsReserveIsFullAndLittleRoomStopsUpload)
{
    // 100 MB in all: nothing beyond the 150 MB reserve, not a negative share.
    if (!Volume(L"\\Flash Disk", 100, 10))
        GTEST_SKIP() << reason;
    Projects();
    Shown shown = Show(host);
    EXPECT_EQ(L"剩余:0.00%", shown.freeSpace);
    EXPECT_GE(shown.blueUpTo, shown.width - 4);  // a full bar
    EXPECT_FALSE(shown.uploadSpace || shown.uploadOffered);

    // 154 MB free on the flash disk stops Upload also while the card is shown.
    ASSERT_TRUE(Volume(L"\\Flash Disk", 300, 146));
    Projects();
    host.dataLocation = "Storage Card\\Data\\";
    shown = Show(host);
    EXPECT_EQ(L"\\Storage Card\\", shown.root);
    EXPECT_FALSE(shown.uploadSpace || shown.uploadOffered);
}

}  // namespace
