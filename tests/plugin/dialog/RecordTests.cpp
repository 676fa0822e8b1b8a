// The take-over of the host's record and the split of its locations, with
// careless and hostile records among them.
#include <gtest/gtest.h>

#include "CorvaneDlg.h"
#include "DialogDriver.h"
#include "support/DebugOutput.h"
#include "support/Printers.h"

using dialogtest::RecordingHost;

namespace {

struct Taken {
    fw::WString pattern;
    int32_t layoutCode;
    fw::WString hostProject;
    fw::WString openProject;
    fw::WString startFile;
    fw::WString root;
    fw::WString dataFolder;
};

Taken TakeOver(RecordingHost& host)
{
    CCorvaneDlg dialog;
    dialog.TakeOverRecord(host.Record());
    return Taken{dialog.FilePattern(), dialog.LayoutCode(), dialog.HostProjectFolder(), dialog.OpenProject(),
                 dialog.StartFile(),   dialog.StorageRoot(), dialog.DataFolder()};
}

TEST(TakeOverRecord, PatternCarriesTheLayoutCodeAfterOneFurtherCharacter)
{
    testsupport::DebugOutputRecorder debug;
    RecordingHost host;
    const std::pair<std::string, int32_t> cases[] = {
        {"*.abc", 0}, {std::string("*.abcX\x04", 7), 4}, {"*.abcX", 0}, {"*.abcX\xfc", -4}};
    for (const auto& [pattern, code] : cases) {
        host.filePattern = pattern;
        const Taken taken = TakeOver(host);
        EXPECT_EQ(L"*.abc", taken.pattern) << pattern;
        EXPECT_EQ(code, taken.layoutCode) << pattern;
    }
    EXPECT_EQ((std::vector<std::wstring>{L"*.abc,0", L"*.abc,4", L"*.abc,0", L"*.abc,-4"}), debug.Lines());
}

TEST(TakeOverRecord, SplitsTheStartLocationIntoProjectAndFile)
{
    RecordingHost host;
    host.startLocation = "P1\\F01";
    Taken taken = TakeOver(host);
    EXPECT_EQ(L"P1\\", taken.hostProject);
    EXPECT_EQ(L"P1\\", taken.openProject);
    EXPECT_EQ(L"F01.abc", taken.startFile);

    host.startLocation = "P1\\F01.abc";
    EXPECT_EQ(L"F01.abc", TakeOver(host).startFile);

    // Kept whole: without a backslash, or beginning with one; the file then comes from the location check.
    host.startLocation = "P1";
    taken = TakeOver(host);
    EXPECT_EQ(L"P1", taken.openProject);
    EXPECT_EQ(L"", taken.startFile);
    host.startLocation = "\\P1\\F02.abc";
    taken = TakeOver(host);
    EXPECT_EQ(L"\\P1\\F02.abc", taken.hostProject);
    EXPECT_EQ(L"F02.abc", taken.startFile);
    EXPECT_TRUE(host.Journal().empty());
}

TEST(TakeOverRecord, SplitsTheDataLocationIntoRootAndDataFolder)
{
    CCorvaneDlg dialog;
    const struct {
        const wchar_t* data;
        const wchar_t* root;
        const wchar_t* folder;
    } cases[] = {
        {L"\\Flash Disk\\Work\\Data\\", L"\\Flash Disk\\", L"Work\\Data\\"},
        {L"Storage Card", L"\\Storage Card\\", L""},
        {L"Flash Disk\\", L"\\Flash Disk\\", L""},
        {L"硬盘\\Work\\Data", L"\\硬盘\\", L"Data\\"},
        {L"硬盘\\Data", L"\\硬盘\\", L"Data\\"},
        {L"", L"", L""},  // no volume: the project list chooses one
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(dialog.ParseLocation(c.data, L""));
        EXPECT_EQ(c.root, dialog.StorageRoot()) << testing::PrintToString(fw::WString(c.data));
        EXPECT_EQ(c.folder, dialog.DataFolder()) << testing::PrintToString(fw::WString(c.data));
    }
}

TEST(TakeOverRecord, StartLocationBelowAProjectIsAWrongLocationInEitherLanguage)
{
    RecordingHost host;
    host.startLocation = "\\P1\\Sub\\Deeper\\F01.abc";
    for (int32_t language : {0, 1, 2}) {
        host.language = language;
        TakeOver(host);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"messageBox(错误地址|提示|0)", L"messageBox(Wrong location!|Warning|0)"}),
              host.Journal());

    CCorvaneDlg dialog;
    EXPECT_TRUE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\"));
    EXPECT_TRUE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"\\P1\\F01.abc"));
    EXPECT_FALSE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\Deeper\\"));
    EXPECT_FALSE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\F0"));
}

TEST(TakeOverRecord, CarelessRecordsGiveDefinedValues)
{
    // Null texts and no messageBox: nothing to read, nothing shown, every question a No.
    ShowManagerParams empty{};
    CCorvaneDlg dialog;
    dialog.TakeOverRecord(empty);
    EXPECT_EQ(L"", dialog.FilePattern());
    EXPECT_EQ(L"", dialog.StorageRoot());
    EXPECT_EQ(L"", dialog.OpenProject());
    EXPECT_FALSE(dialog.Host().Confirm(L"Delete?", L"Delete"));
    EXPECT_FALSE(dialog.Host().OffersUpload());
    EXPECT_TRUE(dialog.Host().CanUpload());

    // A short pattern keeps its own extension; texts of several kilobytes are taken whole.
    RecordingHost host;
    host.filePattern = "*.db";
    host.startLocation = "P1\\" + std::string(6000, 'f');
    host.dataLocation = "Flash Disk\\" + std::string(5000, 'd') + "\\";
    Taken taken = TakeOver(host);
    EXPECT_EQ(L"*.db", taken.pattern);
    EXPECT_EQ(fw::WString(std::wstring(6000, L'f') + L".db"), taken.startFile);
    EXPECT_EQ(5001u, taken.dataFolder.Length());

    host.filePattern = std::string(7000, '*');
    taken = TakeOver(host);
    EXPECT_EQ(L"*****", taken.pattern);
    EXPECT_EQ('*', taken.layoutCode);
    host.filePattern = "";
    host.startLocation = "P1\\F01";
    EXPECT_EQ(L"F01", TakeOver(host).startFile);
}

}  // namespace
