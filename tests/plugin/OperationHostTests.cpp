// An operation of the real Corvane.dll in the host Q9Main.exe /host, driven
// from outside: the host's journal and the disk afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include "PluginTestSupport.h"
#include "plugin/resource.h"
#include "support/Process.h"

TEST(HostOperations, AFileHeldOpenStopsDeleteThroughTheHostsDeleteFileWithTheNotice)
{
    testsupport::Device device;
    ASSERT_TRUE(device.IsReady());
    plugintest::Host host(device, L"Corvane.dll");
    ASSERT_TRUE(host.IsInstalled() && device.WriteFile(L"\\Flash Disk\\Data\\P1\\F01.abc", "held"));
    testsupport::HeldFile held(device.Path(L"\\Flash Disk\\Data\\P1\\F01.abc"));
    ASSERT_TRUE(held.IsHeld() && host.Start(L"start=P1\\F01 answers=6,1,1"));
    HWND dialog = testsupport::WaitForWindow(host.Id(), L"#32770", 20000);
    ASSERT_NE(nullptr, dialog);
    const auto enabled = [&](int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; };
    // The host's file preselected (the template's buttons are all enabled until the grids are set up),
    // then the file grid's header box, which checks every file.
    for (int waited = 0; waited < 20000 && !(enabled(IDC_OPEN) && !enabled(IDC_DELETE)); waited += 20)
        ::Sleep(20);
    ::PostMessageW(::GetDlgItem(dialog, IDC_FILE_GRID), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(::GetDlgItem(dialog, IDC_FILE_GRID), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    for (int waited = 0; waited < 20000 && !enabled(IDC_DELETE); waited += 20)
        ::Sleep(20);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
    for (int waited = 0; waited < 20000 && host.JournalLines(L"hook").size() < 4; waited += 20)
        ::Sleep(20);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
    ASSERT_TRUE(host.Finish());

    EXPECT_EQ((std::vector<std::wstring>{
                  L"hook messageBox text=\"是否删除所选择的工程或文件？\" caption=\"删除\" type=4 answer=6",
                  L"hook deleteFile path=\"\\Flash Disk\\Data\\P1\\F01.abc\" answer=0 error=32",
                  L"hook messageBox text=\"无法删除文件，文件被打开\" caption=\"提示\" type=0 answer=1",
                  L"hook messageBox text=\"删除文件出错！\u240d\u240a总计删除 0 个文件！\" caption=\"删除\" type=0 answer=1",
              }),
              host.JournalLines(L"hook"));
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\Data\\P1\\F01.abc"));
}
