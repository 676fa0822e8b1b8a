// The take-over of the host's record and the split of its locations, with
// careless and hostile records among them.
#include <gtest/gtest.h>

#include "CorvaneDlg.h"
#include "DialogDriver.h"
#include "support/DebugOutput.h"
#include "support/Printers.h"

using dialogtest::RecordingHost;
using Texts = std::vector<std::wstring>;

namespace {

// What the dialog took: pattern, layout code, host project, open project, start file.
Texts TakeOver(RecordingHost& host)
{
    CCorvaneDlg dialog;
    dialog.TakeOverRecord(host.Record());
    return {dialog.FilePattern().str(), std::to_wstring(dialog.LayoutCode()), dialog.HostProjectFolder().str(),
            dialog.OpenProject().str(), dialog.StartFile().str()};
}

TEST(TakeOverRecord, PatternLayoutCodeAndStartLocation)
{
    testsupport::DebugOutputRecorder debug;
    RecordingHost host;
    const struct {
        std::string pattern;
        std::string start;
        Texts taken;
    } cases[] = {
        {"*.abc", "P1\\F01", {L"*.abc", L"0", L"P1\\", L"P1\\", L"F01.abc"}},
        {std::string("*.abcX\x04", 7), "P1\\F01.abc", {L"*.abc", L"4", L"P1\\", L"P1\\", L"F01.abc"}},
        {"*.abcX", "P1", {L"*.abc", L"0", L"P1", L"P1", L""}},  // the terminator is the code
        // Begins with a backslash: kept whole; the file comes from the location check.
        {"*.abcX\xfc", "\\P1\\F02.abc", {L"*.abc", L"-4", L"\\P1\\F02.abc", L"\\P1\\F02.abc", L"F02.abc"}},
    };
    for (const auto& c : cases) {
        host.filePattern = c.pattern;
        host.startLocation = c.start;
        EXPECT_EQ(c.taken, TakeOver(host)) << c.pattern << " " << c.start;
    }
    EXPECT_EQ((Texts{L"*.abc,0", L"*.abc,4", L"*.abc,0", L"*.abc,-4"}), debug.Lines());
    EXPECT_TRUE(host.Journal().empty());
}

TEST(TakeOverRecord, DataLocationSplitsIntoRootAndFolderAndAStartBelowAProjectIsWrong)
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
        {L"", L"\\\\", L""},  // no volume named: none
        {L"\\", L"\\\\", L""},
        // Nothing left but backslashes is the volume itself, not a folder "\".
        {L"\\硬盘\\k\\", L"\\硬盘\\", L""},
        {L"Flash Disk\\\\", L"\\Flash Disk\\", L""},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(dialog.ParseLocation(c.data, L""));
        EXPECT_EQ((Texts{c.root, c.folder}), (Texts{dialog.StorageRoot().str(), dialog.DataFolder().str()}))
            << testing::PrintToString(fw::WString(c.data));
    }
    EXPECT_TRUE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\"));
    EXPECT_TRUE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"\\P1\\F01.abc"));
    EXPECT_FALSE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\Deeper\\"));
    EXPECT_FALSE(dialog.ParseLocation(L"Flash Disk\\Data\\", L"P1\\Sub\\F0"));

    // The host hears of it in its language; other values show nothing.
    RecordingHost host;
    host.startLocation = "\\P1\\Sub\\Deeper\\F01.abc";
    for (int32_t language : {0, 1, 2}) {
        host.language = language;
        TakeOver(host);
    }
    EXPECT_EQ((Texts{L"messageBox(错误地址|提示|0)", L"messageBox(Wrong location!|Warning|0)"}), host.Journal());
}

TEST(TakeOverRecord, CarelessRecordsGiveDefinedValues)
{
    // Null texts and no messageBox: nothing to read, nothing shown, every question a No.
    ShowManagerParams empty{};
    CCorvaneDlg dialog;
    dialog.TakeOverRecord(empty);
    EXPECT_EQ((Texts{L"", L"\\\\", L""}),
              (Texts{dialog.FilePattern().str(), dialog.StorageRoot().str(), dialog.OpenProject().str()}));
    EXPECT_FALSE(dialog.Host().Confirm(L"Delete?", L"Delete"));
    EXPECT_FALSE(dialog.Host().OffersUpload());
    EXPECT_TRUE(dialog.Host().CanUpload());

    // A short pattern keeps its own extension; texts of several kilobytes are taken whole.
    RecordingHost host;
    host.filePattern = "*.db";
    host.startLocation = "P1\\" + std::string(6000, 'f');
    host.dataLocation = "Flash Disk\\" + std::string(5000, 'd') + "\\";
    EXPECT_EQ((Texts{L"*.db", L"0", L"P1\\", L"P1\\", std::wstring(6000, L'f') + L".db"}), TakeOver(host));
    CCorvaneDlg large;
    large.TakeOverRecord(host.Record());
    EXPECT_EQ(5001u, large.DataFolder().Length());
    host.filePattern = std::string(7000, '*');
    const Texts stars = TakeOver(host);
    EXPECT_EQ((Texts{L"*****", L"42"}), Texts(stars.begin(), stars.begin() + 2));  // the code is a '*'
    host.filePattern = "";
    host.startLocation = "P1\\F01";
    EXPECT_EQ(L"F01", TakeOver(host)[4]);
}

}  // namespace
