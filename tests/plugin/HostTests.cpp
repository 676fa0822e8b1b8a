// The host, Q9Main.exe /host, driven from outside as a black box: with the
// probe plug-in for its hooks and controls, with Corvane.dll for the dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "PluginTestSupport.h"
#include "framework/WString.h"

using plugintest::Host;

namespace {

std::string Utf8(const std::wstring& text)
{
    return fw::WString(text).ToUtf8();
}

// Writes the settings file beside the host; the argument that names it.
// The journal's lines from the index on.
std::vector<std::wstring> From(const std::vector<std::wstring>& lines, size_t first)
{
    return first < lines.size() ? std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end())
                                : std::vector<std::wstring>();
}

std::wstring Settings(testsupport::Device& device, const std::wstring& lines)
{
    const std::wstring path = std::wstring(Host::kFolder) + L"host.txt";
    device.WriteFile(path, Utf8(lines));
    return L"\"" + device.Path(path) + L"\"";
}

}  // namespace

TEST(Host, JournalsEveryHookWithItsArgumentsAndWhatItAnswered)
{
    testsupport::Device device;
    ASSERT_TRUE(device.IsReady());
    Host host(device, L"CorvaneProbe.dll");
    ASSERT_TRUE(host.IsInstalled());
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\数据\\删除.abc", "x"));

    ASSERT_TRUE(host.Start(Settings(device, L"# every hook\r\ndata=\\Flash Disk\\数据\\\r\nstart=工程一\\文件\r\n"
                                            L"answers=6\r\nupload=no\r\n")));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ(0u, host.ExitCode());
    std::vector<std::wstring> journal = host.Journal();
    ASSERT_EQ(12u, journal.size());
    EXPECT_NE(std::wstring::npos, journal[0].find(L" ansi=936")) << journal[0];
    EXPECT_EQ(L"record data=\"\\Flash Disk\\数据\\\" start=\"工程一\\文件\" pattern=\"*.abc\" language=0 font=null "
              L"hooks=onExported,messageBox,onUploadProjectChanged,uploadItem,canUpload,onUploadDone,reserved1,"
              L"onUploadRefused,deleteFile,reserved2",
              journal[1]);
    EXPECT_EQ((std::vector<std::wstring>{
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
              From(journal, 2));
    EXPECT_EQ(Utf8(L"\\Flash Disk\\数据\\工程一\\文件|6|1|1|0\n"), host.Output());
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\数据\\删除.abc"));

    // Only two hooks, and deleteFile refuses: the file stays.
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\数据\\删除.abc", "x"));
    device.WriteFile(std::wstring(Host::kFolder) + L"Q9Main.log", "");
    ASSERT_TRUE(host.Start(Settings(device, L"data=\\Flash Disk\\数据\\\r\n") +
                           L" hooks=messageBox,deleteFile delete=no answers=7,7"));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ((std::vector<std::wstring>{
                  L"hook messageBox text=\"\" caption=\"提示\" type=4 answer=7",
                  L"hook messageBox text=\"第一行\u240d\u240a\"第二行\"\" caption=\"\" type=0 answer=7",
                  L"hook deleteFile path=\"\\Flash Disk\\数据\\删除.abc\" answer=0 refused",
                  L"result path=\"\\Flash Disk\\数据\\|7|7|0|-1\"",
              }),
              From(host.Journal(), 2));
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\数据\\删除.abc"));
}

TEST(Host, HandsAComboBoxOrAGridOfItsOwnToSetFolderCtrlAndJournalsWhatItHolds)
{
    testsupport::Device device;
    ASSERT_TRUE(device.IsReady());
    Host host(device, L"CorvaneProbe.dll");
    ASSERT_TRUE(host.IsInstalled());
    for (const wchar_t* control : {L"combo", L"grid"}) {
        device.WriteFile(std::wstring(Host::kFolder) + L"Q9Main.log", "");
        ASSERT_TRUE(host.Start(Settings(device, L"folder=\\Flash Disk\\数据\\\r\n") + L" manager=no control=" + control));
        ASSERT_TRUE(host.Finish());
        const std::wstring header = std::wstring(control) == L"grid" ? L" header=\"Folder\"" : L"";
        EXPECT_EQ((std::vector<std::wstring>{
                      L"folder control=" + std::wstring(control) + L" path=\"\\Flash Disk\\数据\\\" entries=2" + header,
                      L"entry \"\\Flash Disk\\数据\\\"",
                      L"entry \"乙\"",
                  }),
                  From(host.Journal(), 1));
        EXPECT_EQ("", host.Output());
    }
}

TEST(Host, ShowsTheFileManagerAndPrintsWhatItReturns)
{
    testsupport::Device device;
    ASSERT_TRUE(device.IsReady());
    Host host(device, L"Corvane.dll");
    ASSERT_TRUE(host.IsInstalled());

    ASSERT_TRUE(host.Start(L"language=0"));
    HWND dialog = testsupport::WaitForWindow(host.Id(), L"#32770", 20000);
    ASSERT_NE(nullptr, dialog) << "no dialog";
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ(0u, host.ExitCode());
    EXPECT_EQ("\n", host.Output());
    EXPECT_EQ(std::vector<std::wstring>{L"result path=\"\""}, host.JournalLines(L"result"));

    // No record: no dialog, an empty text all the same.
    device.WriteFile(std::wstring(Host::kFolder) + L"Q9Main.log", "");
    ASSERT_TRUE(host.Start(L"record=null"));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ((std::vector<std::wstring>{L"record null", L"result path=\"\""}),
              From(host.Journal(), 1));

    // Without the plug-in beside it the host says why and fails.
    ASSERT_EQ(0, ::DeleteFileW(device.Path(std::wstring(Host::kFolder) + L"Corvane.dll").c_str()) ? 0 : 1);
    device.WriteFile(std::wstring(Host::kFolder) + L"Q9Main.log", "");
    ASSERT_TRUE(host.Start(L""));
    ASSERT_TRUE(host.Finish());
    EXPECT_EQ(2u, host.ExitCode());
    ASSERT_EQ(1u, host.JournalLines(L"load").size());
    EXPECT_NE(std::wstring::npos, host.JournalLines(L"load")[0].find(L"failed error=126"));
}
