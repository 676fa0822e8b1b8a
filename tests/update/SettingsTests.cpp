// The settings file reader and the start-up steps that fill the settings.
#include <gtest/gtest.h>

#include "Settings.h"
#include "UpdateApp.h"
#include "support/Device.h"
#include "support/MessageBoxes.h"

using testsupport::Device;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device.IsReady()); }

    std::wstring Write(const std::wstring& text, bool bom = false)
    {
        std::wstring path = device.Path(L"\\Flash Disk\\update.ini");
        EXPECT_TRUE(testsupport::WriteUtf16File(path, text, bom));
        return path;
    }

    SettingsTable Load(const std::wstring& text, bool bom = false)
    {
        SettingsTable table;
        EXPECT_TRUE(LoadSettingsTable(Write(text, bom), table));
        return table;
    }

    // The whole reading step as start-up runs it, on a file with this text.
    UpdateSettings Apply(const std::wstring& text, bool bom = false)
    {
        UpdateApp app;
        testsupport::MessageBoxRecorder boxes;
        EXPECT_TRUE(app.ReadUpdateSettings(Write(text, bom)));
        EXPECT_TRUE(boxes.Boxes().empty());
        app.ApplySettingsTable();
        return app.Settings();
    }

    Device device;
};

}  // namespace

TEST_F(SettingsFile, KeepsEveryLineWithAnEqualsSignInFileOrder)
{
    SettingsTable table = Load(L"[Update]\r\nUpdateSrcPath=\\硬盘\\Q9Soft\\\r\n;note=x\r\nno equals here\r\n"
                               L"=starts with equals\r\nExeFullName=\\a\\b=c.exe\r\nEmpty=\r\n\r\n\r\n");
    ASSERT_EQ(4u, table.size());
    EXPECT_EQ(L"UpdateSrcPath", table[0].key.str());
    EXPECT_EQ(L"\\硬盘\\Q9Soft\\", table[0].value.str());
    EXPECT_EQ(L";note", table[1].key.str());  // no comment syntax
    EXPECT_EQ(L"\\a\\b=c.exe", table[2].value.str());  // only the first "=" separates
    EXPECT_EQ(L"Empty", table[3].key.str());
    EXPECT_TRUE(table[3].value.IsEmpty());
}

TEST_F(SettingsFile, LooksKeysUpExactlyAndTakesTheFirst)
{
    SettingsTable table = Load(L"Key=first\r\nKey=second\r\nkey=lower\r\n Key=spaced\r\nKey =spaced too\r\n");
    EXPECT_EQ(L"first", LookupSetting(table, L"Key").str());
    EXPECT_EQ(L"lower", LookupSetting(table, L"key").str());
    EXPECT_EQ(L"spaced", LookupSetting(table, L" Key").str());
    EXPECT_TRUE(LookupSetting(table, L"KEY").IsEmpty());
    EXPECT_TRUE(LookupSetting(table, L"Missing").IsEmpty());
}

TEST_F(SettingsFile, ReadsIntegersTheCWay)
{
    EXPECT_EQ(1, ReadSettingInteger(L"1"));
    EXPECT_EQ(1, ReadSettingInteger(L" 1"));
    EXPECT_EQ(1, ReadSettingInteger(L"\t1abc"));
    EXPECT_EQ(0, ReadSettingInteger(L"abc"));
    EXPECT_EQ(0, ReadSettingInteger(L""));
    EXPECT_EQ(-12, ReadSettingInteger(L"-12"));
    EXPECT_EQ(7, ReadSettingInteger(L"+7 8"));
    EXPECT_EQ(0, ReadSettingInteger(L"- 7"));
}

TEST_F(SettingsFile, FillsTheSettingsInOrderAndOnlyTempPathKeepsItsDefault)
{
    UpdateSettings onlySource = Apply(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\n");
    EXPECT_EQ(L"\\硬盘\\Q9Soft\\", onlySource.updateSrcPath.str());
    EXPECT_TRUE(onlySource.updateDstPath.IsEmpty());
    EXPECT_TRUE(onlySource.exeFullName.IsEmpty());
    EXPECT_EQ(0, onlySource.startExeWhenUpdateOver);
    EXPECT_EQ(0, onlySource.uiLanguage);
    EXPECT_EQ(L"\\Flash Disk\\temp\\", onlySource.tempPath.str());

    UpdateSettings emptyTemp = Apply(L"TempPath=\r\nUI_LANGUAGE=1\r\n");
    EXPECT_EQ(L"\\Flash Disk\\temp\\", emptyTemp.tempPath.str());
    EXPECT_EQ(1, emptyTemp.uiLanguage);

    UpdateSettings full = Apply(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUpdateDstPath=\\Flash Disk\\Q9Soft\\\r\n"
                                L"ExeFullName=\\Flash Disk\\Q9Soft\\Q9Main.exe\r\nStartExeWhenUpdateOver=0\r\n"
                                L"UI_LANGUAGE= 1\r\nTempPath=\\Flash Disk\\stage\\\r\n");
    EXPECT_EQ(L"\\Flash Disk\\Q9Soft\\", full.updateDstPath.str());
    EXPECT_EQ(L"\\Flash Disk\\Q9Soft\\Q9Main.exe", full.exeFullName.str());
    EXPECT_EQ(0, full.startExeWhenUpdateOver);
    EXPECT_EQ(1, full.uiLanguage);
    EXPECT_EQ(L"\\Flash Disk\\stage\\", full.tempPath.str());
}

TEST_F(SettingsFile, LanguageKeysWithSpacesCaseOrLetters)
{
    EXPECT_EQ(0, Apply(L"UI_LANGUAGE =1\r\n").uiLanguage);  // a different key
    EXPECT_EQ(0, Apply(L"ui_language=1\r\n").uiLanguage);
    EXPECT_EQ(1, Apply(L"UI_LANGUAGE=1en\r\n").uiLanguage);
    EXPECT_EQ(0, Apply(L"UI_LANGUAGE=en\r\n").uiLanguage);
    EXPECT_EQ(2, Apply(L"UI_LANGUAGE=2\r\nUI_LANGUAGE=1\r\n").uiLanguage);
}

TEST_F(SettingsFile, AByteOrderMarkBelongsToTheFirstKey)
{
    UpdateSettings settings = Apply(L"UpdateSrcPath=\\硬盘\\\r\nUI_LANGUAGE=1\r\n", true);
    EXPECT_TRUE(settings.updateSrcPath.IsEmpty());
    EXPECT_EQ(1, settings.uiLanguage);
    EXPECT_EQ(L"\xFEFFUpdateSrcPath", settings.table[0].key.str());
}

TEST_F(SettingsFile, LinesEndingWithLineFeedAloneAreLinesToo)
{
    SettingsTable table = Load(L"A=1\nB=2\r\nC=3\rD=4\n\nE=5");
    ASSERT_EQ(4u, table.size());
    EXPECT_EQ(L"1", LookupSetting(table, L"A").str());
    EXPECT_EQ(L"2", LookupSetting(table, L"B").str());
    EXPECT_EQ(L"3D=4", LookupSetting(table, L"C").str());  // a lone CR is dropped, not a line end
    EXPECT_EQ(L"5", LookupSetting(table, L"E").str());
}

TEST_F(SettingsFile, OddInputIsReadWithoutHarm)
{
    SettingsTable empty = Load(L"");
    EXPECT_TRUE(empty.empty());

    // An odd byte at the end is half a character and is dropped.
    std::wstring path = device.Path(L"\\Flash Disk\\odd.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, std::string("K\0=\0v\0\r\0\n\0X", 11)));
    SettingsTable odd;
    ASSERT_TRUE(LoadSettingsTable(path, odd));
    ASSERT_EQ(1u, odd.size());
    EXPECT_EQ(L"v", odd[0].value.str());

    // Binary garbage, several megabytes of it, still reads; the good line after it counts.
    std::string garbage(3 * 1024 * 1024 + 1, '\0');
    unsigned seed = 12345;
    for (char& byte : garbage) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    std::wstring tail = L"\r\nUpdateSrcPath=\\Flash Disk\\\r\n";
    garbage.push_back('\0');  // back to an even length before the good line
    for (wchar_t ch : tail) {
        garbage += static_cast<char>(ch & 0xFF);
        garbage += static_cast<char>(ch >> 8);
    }
    path = device.Path(L"\\Flash Disk\\garbage.ini");
    ASSERT_TRUE(testsupport::WriteBytes(path, garbage));
    SettingsTable noisy;
    ASSERT_TRUE(LoadSettingsTable(path, noisy));
    EXPECT_EQ(L"\\Flash Disk\\", LookupSetting(noisy, L"UpdateSrcPath").str());
}

TEST_F(SettingsFile, AMissingHeldOrUnreadableFileIsReportedOneOpenInAnEditorIsRead)
{
    UpdateApp app;
    testsupport::MessageBoxRecorder boxes;
    EXPECT_FALSE(app.ReadUpdateSettings(device.Path(L"\\Flash Disk\\none.ini")));
    std::wstring path = Write(L"UpdateSrcPath=\\Flash Disk\\\r\n");
    {
        testsupport::HeldFile held(path);
        ASSERT_TRUE(held.IsHeld());
        EXPECT_FALSE(app.ReadUpdateSettings(path));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"未找到升级程序的配置文件！", L"未找到升级程序的配置文件！"}), boxes.Texts());
    EXPECT_EQ(L"Update", boxes.Boxes()[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].type);
    EXPECT_TRUE(app.Settings().table.empty());

    {
        // An editor holds the file open for writing and lets others read it.
        fw::KernelHandle editor(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(editor);
        UpdateApp edited;
        EXPECT_TRUE(edited.ReadUpdateSettings(path));
        edited.ApplySettingsTable();
        EXPECT_EQ(L"\\Flash Disk\\", edited.Settings().updateSrcPath.str());
    }

    // A file that opens but whose reading fails: the system answers an I/O error.
    std::wstring unreadable = L"\\Flash Disk\\unreadable.ini";
    ASSERT_EQ(0, testsupport::RunUnix(L"ln -s /proc/self/mem " + testsupport::ShellQuote(device.UnixPath(unreadable))));
    EXPECT_FALSE(app.ReadUpdateSettings(device.Path(unreadable)));
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(L"读取配置文件失败！", boxes.Texts().back());
}

TEST_F(SettingsFile, TheSourceFolderMustExistAndBeAFolder)
{
    device.Enter();
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\release.bin", "x"));
    struct Case {
        const wchar_t* file;
        bool ok;
        const wchar_t* box;
    } cases[] = {
        {L"UpdateSrcPath=\\Flash Disk\\\r\n", true, nullptr},
        {L"UpdateSrcPath=\\Flash Disk\\missing\\\r\n", false, L"未找到升级文件目录！"},
        {L"UpdateSrcPath=\\Flash Disk\\release.bin\r\nUI_LANGUAGE=1\r\n", false, L"The update file's dir is not found！"},
        {L"UI_LANGUAGE=2\r\n", false, L"The update file's dir is not found！"},  // empty path; English for all but 0
        {L"UI_LANGUAGE=-1\r\nUpdateSrcPath=\\硬盘\\\r\n", false, L"The update file's dir is not found！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        UpdateApp app;
        testsupport::MessageBoxRecorder boxes;
        ASSERT_TRUE(app.ReadUpdateSettings(Write(c.file)));
        app.ApplySettingsTable();
        EXPECT_EQ(c.ok, app.CheckSourceFolder());
        if (c.box)
            EXPECT_EQ(std::vector<std::wstring>{c.box}, boxes.Texts());
        else
            EXPECT_TRUE(boxes.Texts().empty());
    }
}
