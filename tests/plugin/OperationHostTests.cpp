// An operation of the real Corvane.dll in the host Q9Main.exe /host, driven
// from outside: the host's journal and the disk afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include "DialogDriver.h"
#include "PluginTestSupport.h"
#include "plugin/resource.h"
#include "support/HostProgram.h"

TEST(HostOperations, AFileHeldOpenStopsDeleteThroughTheHostsDeleteFileWithTheNotice)
{
    testsupport::Device device;
    ASSERT_TRUE(device.IsReady());
    ASSERT_TRUE(plugintest::InstallHost(device) && device.WriteFile(L"\\Flash Disk\\Data\\P1\\F01.abc", "held"));
    testsupport::HeldFile held(device.Path(L"\\Flash Disk\\Data\\P1\\F01.abc"));
    testsupport::HostProgram host(device.Root());
    ASSERT_TRUE(held.IsHeld() && host.Start(L"start=P1\\F01 answers=6,1,1"));
    HWND dialog = host.WaitForDialog();
    ASSERT_NE(nullptr, dialog);
    // The file grid's header box checks every file; then Delete, and Exit after its summary.
    ASSERT_TRUE(host.Click(::GetDlgItem(dialog, IDC_FILE_GRID), POINT{4, 4}));
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_DELETE)));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
    ASSERT_TRUE(host.Settle());
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    ASSERT_TRUE(host.Finish());

    EXPECT_EQ((std::vector<std::wstring>{
                  L"hook messageBox text=\"是否删除所选择的工程或文件？\" caption=\"删除\" type=4 answer=6",
                  L"hook deleteFile path=\"\\Flash Disk\\Data\\P1\\F01.abc\" answer=0 error=32",
                  L"hook messageBox text=\"无法删除文件，文件被打开\" caption=\"提示\" type=0 answer=1",
                  L"hook messageBox text=\"删除文件出错！\u240d\u240a总计删除 0 个文件！\" caption=\"删除\" type=0 answer=1",
              }),
              host.Journal(L"hook"));
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\Data\\P1\\F01.abc"));
}

TEST(HostOperations, ADataLocationThatNamesNoVolumeListsNothingToDeleteExportOrUpload)
{
    testsupport::Device device;
    // Without a memory card the flash disk's top folders, the host's own among them, were projects.
    ASSERT_TRUE(device.IsReady() && plugintest::InstallHost(device) && device.RemoveVolume(L"\\Storage Card"));
    testsupport::HostProgram host(device.Root());
    for (const wchar_t* data : {L"data=", L"data=(null)", L"data=\\"}) {
        ASSERT_TRUE(host.Start(data + std::wstring(L" answers=7")));
        HWND dialog = host.WaitForDialog();
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(host.Click(::GetDlgItem(dialog, IDC_PROJECT_GRID), POINT{4, 4}));  // every project ticked
        for (int button : {IDC_DELETE, IDC_EXPORT, IDC_UPLOAD})
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, button))) << button;
        ASSERT_TRUE(host.Key(VK_F3) && host.Key(VK_F4) && host.Finish());
        EXPECT_EQ(std::vector<std::wstring>{}, host.Journal(L"hook")) << fw::WString(data).ToUtf8();
    }
}

TEST(HostOperations, AWildcardPatternHandsTheHostAndTheDiskTheListedFilesOwnNames)
{
    testsupport::Device device(true);
    const std::wstring p1 = L"\\Flash Disk\\Data\\P1\\";
    ASSERT_TRUE(device.IsReady() && plugintest::InstallHost(device) &&
                dialogtest::WriteProject(device, p1,
                                         {{L"F01.abc", "1", L"2024-05-01 10:00"}, {L"F02.abd", "2", L"2024-05-02 10:00"}}));
    testsupport::HostProgram host(device.Root());
    // Every file ticked for Upload, Export and Delete, each answered Yes and its summary OK.
    ASSERT_TRUE(host.Start(L"pattern=*.ab? start=P1\\F01 answers=6,6,1,6,1"));
    HWND dialog = host.WaitForDialog();
    ASSERT_NE(nullptr, dialog);
    for (int button : {IDC_UPLOAD, IDC_EXPORT, IDC_DELETE}) {
        ASSERT_TRUE(host.Click(::GetDlgItem(dialog, IDC_FILE_GRID), POINT{4, 4}));
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        ASSERT_TRUE(host.Settle());
    }
    ASSERT_TRUE(host.Key(VK_F4) && host.Finish());
    EXPECT_EQ((std::vector<std::wstring>{L"hook uploadItem path=\"" + p1 + L"F02.abd\" extra=\"\"",
                                         L"hook uploadItem path=\"" + p1 + L"F01.abc\" extra=\"\""}),
              host.Journal(L"hook uploadItem"));
    EXPECT_EQ((std::vector<std::wstring>{L"hook deleteFile path=\"" + p1 + L"F02.abd\" answer=1",
                                         L"hook deleteFile path=\"" + p1 + L"F01.abc\" answer=1"}),
              host.Journal(L"hook deleteFile"));
    EXPECT_EQ("2", testsupport::FileBytes(device.Path(L"\\硬盘\\Data\\P1\\F02.abd")));
}
