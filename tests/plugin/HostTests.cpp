// The host, Q9Main.exe /host, driven from outside as a black box in code
// page 936: with Corvane.dll for the file manager, and with a probe plug-in
// for the hooks that the file manager calls in its operations. (The folder
// lists of a host's controls are checked through the export itself.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "PluginTestSupport.h"
#include "framework/WString.h"
#include "support/HostProgram.h"

using Texts = std::vector<std::wstring>;

namespace {

std::string Utf8(const std::wstring& text)
{
    return fw::WString(text).ToUtf8();
}

// The journal's lines after the first (the load line).
Texts AfterLoad(const Texts& lines)
{
    return lines.size() > 1 ? Texts(lines.begin() + 1, lines.end()) : Texts();
}

class Host : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.IsReady());
        ASSERT_TRUE(plugintest::WriteChineseProjects(device));
    }
    // Writes a settings file beside the host; the argument that names it.
    std::wstring Settings(const std::wstring& lines)
    {
        const std::wstring path = L"\\Flash Disk\\Q9Soft\\host.txt";
        device.WriteFile(path, Utf8(lines));
        return L"\"" + device.Path(path) + L"\"";
    }
    testsupport::Device device;
    testsupport::HostProgram host{device.Root()};
};

// The journal's line of a record with the data in 数据, every hook and the defaults.
std::wstring RecordLine(const std::wstring& start)
{
    return L"record data=\"\\Flash Disk\\数据\\\" start=\"" + start +
           L"\" pattern=\"*.abc\" language=0 font=null hooks=onExported,messageBox,onUploadProjectChanged,"
           L"uploadItem,canUpload,onUploadDone,reserved1,onUploadRefused,deleteFile,reserved2";
}

TEST_F(Host, ShowsTheFileManagerAndPrintsThePathThatTheDeviceKeysOpen)
{
    ASSERT_TRUE(plugintest::InstallHost(device));
    const std::wstring data = L"data=\\Flash Disk\\数据\\\r\nanswers=\r\n";
    ASSERT_TRUE(host.Start(Settings(data + L"start=工程一\\丙\r\n")));
    ASSERT_NE(nullptr, host.WaitForDialog());
    for (UINT key : {VK_F5, VK_F7, VK_F7, VK_F9})  // down to 甲, up to 丙 and 乙, open
        ASSERT_TRUE(host.Key(key));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ(0u, host.ExitCode());
    EXPECT_EQ(Utf8(L"\\Flash Disk\\数据\\工程一\\乙.abc\n"), host.Output());
    Texts journal = host.Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_NE(std::wstring::npos, journal[0].find(L" ansi=936")) << journal[0];
    EXPECT_EQ((Texts{RecordLine(L"工程一\\丙"), L"result path=\"\\Flash Disk\\数据\\工程一\\乙.abc\""}),
              AfterLoad(journal));

    // A start location below a project (kept whole, with its backslash in front): the notice
    // in Chinese, then F4 leaves with an empty text.
    ASSERT_TRUE(host.Start(Settings(data + L"start=\\工程一\\子\\孙\\丙.abc\r\n")));
    ASSERT_NE(nullptr, host.WaitForDialog());
    ASSERT_TRUE(host.Key(VK_F4));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ("\n", host.Output());
    EXPECT_EQ((Texts{L"hook messageBox text=\"错误地址\" caption=\"提示\" type=0 answer=1"}),
              host.Journal(L"hook"));
    EXPECT_EQ((Texts{L"result path=\"\""}), host.Journal(L"result"));

    // No record: no dialog, an empty text all the same.
    ASSERT_TRUE(host.Start(L"record=null"));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ((Texts{L"record null", L"result path=\"\""}), AfterLoad(host.Journal()));

    // Without the plug-in beside it the host says why and fails.
    ASSERT_TRUE(::DeleteFileW(device.Path(L"\\Flash Disk\\Q9Soft\\Corvane.dll").c_str()));
    ASSERT_TRUE(host.Start(L""));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ(2u, host.ExitCode());
    ASSERT_EQ(1u, host.Journal(L"load").size());
    EXPECT_NE(std::wstring::npos, host.Journal(L"load")[0].find(L"failed error=126"));
}

TEST_F(Host, OpenHandsBackNoPathThatTheCodePageCannotWriteAndSaysSo)
{
    ASSERT_TRUE(plugintest::InstallHost(device) &&
                dialogtest::WriteProject(device, L"\\Flash Disk\\数据\\工程三\\",
                                         {{L"ก.abc", "thai", L"2024-05-02 10:00"}, {L"a.abc", "a", L"2024-05-01 10:00"}}));
    for (const wchar_t* notice : {L"无法打开文件，文件路径含有不支持的字符。|0",
                                  L"Cannot open the file because its path has unsupported characters.|1"}) {
        const std::wstring text(notice, std::wcslen(notice) - 2);
        // From the host's file a up to ก, which "?.abc" would stand for; Open; then F4 leaves.
        ASSERT_TRUE(host.Start(Settings(L"data=\\Flash Disk\\数据\\\r\nstart=工程三\\a\r\nanswers=\r\nlanguage=" +
                                        std::wstring(1, notice[text.size() + 1]) + L"\r\n")));
        ASSERT_NE(nullptr, host.WaitForDialog());
        for (UINT key : {VK_F7, VK_F9, VK_F4})
            host.Key(key);  // F4 finds no host when Open has ended it
        ASSERT_TRUE(host.Finish());
        ASSERT_EQ(1u, host.Journal(L"hook").size());
        EXPECT_EQ(0u, host.Journal(L"hook")[0].find(L"hook messageBox text=\"" + text + L"\""));
        EXPECT_EQ((Texts{L"result path=\"\""}), host.Journal(L"result"));
    }
}

TEST_F(Host, JournalsEveryHookWithItsArgumentsAndWhatItAnswered)
{
    ASSERT_TRUE(plugintest::InstallHost(device, L"CorvaneProbe.dll"));  // calls every hook present
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\数据\\删除.abc", "x"));
    ASSERT_TRUE(host.Start(Settings(L"# every hook\r\ndata=\\Flash Disk\\数据\\\r\nstart=工程一\\文件\r\n"
                                    L"answers=6\r\nupload=no\r\n")));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ((Texts{
                  RecordLine(L"工程一\\文件"),
                  L"hook onExported folder=\"\\Flash Disk\\数据\\导出\\\"",
                  L"hook messageBox text=\"工程一\\文件\" caption=\"提示\" type=4 answer=6",
                  L"hook messageBox text=\"第一行\u240d\u240a\"第二行\"\" caption=\"\" type=0 answer=1",  // script ended
                  L"hook onUploadProjectChanged",
                  L"hook uploadItem path=\"\\Flash Disk\\数据\\工程一\\文件\" extra=\"\"",
                  L"hook canUpload answer=0",
                  L"hook onUploadDone",
                  L"hook onUploadRefused",
                  L"hook deleteFile path=\"\\Flash Disk\\数据\\删除.abc\" answer=1",
                  L"result path=\"\\Flash Disk\\数据\\工程一\\文件|6|1|1|0\"",
              }),
              AfterLoad(host.Journal()));
    EXPECT_EQ(Utf8(L"\\Flash Disk\\数据\\工程一\\文件|6|1|1|0\n"), host.Output());
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\数据\\删除.abc"));

    // Only two hooks, and deleteFile refuses: the file stays.
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\数据\\删除.abc", "x"));
    ASSERT_TRUE(host.Start(Settings(L"data=\\Flash Disk\\数据\\\r\n") +
                           L" hooks=messageBox,deleteFile delete=no answers=7,7"));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ((Texts{
                  L"hook messageBox text=\"\" caption=\"提示\" type=4 answer=7",
                  L"hook messageBox text=\"第一行\u240d\u240a\"第二行\"\" caption=\"\" type=0 answer=7",
                  L"hook deleteFile path=\"\\Flash Disk\\数据\\删除.abc\" answer=0 refused",
              }),
              host.Journal(L"hook"));
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\数据\\删除.abc"));
}

}  // namespace
