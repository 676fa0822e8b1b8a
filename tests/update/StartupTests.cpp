// The Update program started as a user starts it: on a device, with its
// update.ini beside it; what it shows, and that it ends.
#include <gtest/gtest.h>

#include "framework/App.h"
#include "support/Device.h"
#include "support/Process.h"

using testsupport::Device;
using testsupport::MessageBoxSeen;
using testsupport::Program;

namespace {

constexpr wchar_t kProgramFolder[] = L"\\Flash Disk\\Update\\";

class UpdateStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.IsReady());
        CreateDirectoryW(device.Path(kProgramFolder).c_str(), nullptr);
        std::wstring built = fw::ModuleFolder().str() + L"Update.exe";
        ASSERT_TRUE(CopyFileW(built.c_str(), Exe().c_str(), FALSE)) << "Update.exe not built beside the tests";
    }
    void TearDown() override { program.Kill(); }

    std::wstring Exe() const { return device.Path(std::wstring(kProgramFolder) + L"Update.exe"); }
    void WriteSettings(const std::wstring& text)
    {
        ASSERT_TRUE(testsupport::WriteUtf16File(device.Path(std::wstring(kProgramFolder) + L"update.ini"), text));
    }
    void Start() { ASSERT_TRUE(program.Start(Exe(), L"", device.Root())); }

    // The one message box the program shows; answered with OK, after which the program must end.
    void ExpectBoxThenEnd(const std::wstring& text)
    {
        MessageBoxSeen box;
        ASSERT_TRUE(testsupport::WaitForMessageBox(program.Id(), box, 10000)) << "no message box";
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(L"Update", box.title);
        testsupport::PressButton(box.window, IDOK);
        EXPECT_TRUE(program.Wait(10000)) << "the program did not end after OK";
    }

    Device device{true};
    Program program;
};

}  // namespace

TEST_F(UpdateStartup, WithoutUpdateIniItSaysSoInChinese)
{
    Start();
    ExpectBoxThenEnd(L"未找到升级程序的配置文件！");
}

TEST_F(UpdateStartup, AMissingSourceFolderIsReportedInTheFilesLanguage)
{
    WriteSettings(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUI_LANGUAGE=0\r\n");
    Start();
    ExpectBoxThenEnd(L"未找到升级文件目录！");

    WriteSettings(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUI_LANGUAGE=1\r\n");
    Start();
    ExpectBoxThenEnd(L"The update file's dir is not found！");
}

TEST_F(UpdateStartup, AGoodFileOpensTheUpdateDialog)
{
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\Q9Main.exe", "new release"));
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        WriteSettings(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUpdateDstPath=\\Flash Disk\\Q9Soft\\\r\nUI_LANGUAGE=" +
                      std::to_wstring(language) + L"\r\n");
        Start();
        HWND dialog = testsupport::WaitForWindow(program.Id(), L"#32770", 10000);
        ASSERT_NE(nullptr, dialog);
        HWND button = GetDlgItem(dialog, 1001);
        HWND status = GetDlgItem(dialog, 1002);
        ASSERT_NE(nullptr, button);
        ASSERT_NE(nullptr, GetDlgItem(dialog, 1000));
        EXPECT_EQ(language == 1 ? L"Update" : L"升    级", testsupport::WindowText(button));
        EXPECT_EQ(language == 1 ? L"Please wait for updating..." : L"升级中，请稍后...", testsupport::WindowText(status));
        EXPECT_FALSE(IsWindowVisible(status));
        EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(testsupport::WindowText(dialog).empty());
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.Wait(10000));
        EXPECT_EQ(0u, program.ExitCode());
    }
}
