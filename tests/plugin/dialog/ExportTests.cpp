// Export to the U disk: project trees or single files, twice, in both
// languages; a U disk that is missing, occupied or fills up.
#include <gtest/gtest.h>

#include <map>

#include "OperationTests.h"
#include "support/WineProcesses.h"

using namespace dialogtest;

namespace {

const std::wstring kAsk = L"messageBox(是否导出所选择的工程或文件？|导出|4)";
const std::wstring kOut = L"\\硬盘\\Data\\";

using Export = OperationTest;

TEST_F(Export, CopiesProjectTreesOrSingleFilesAndReplacesEarlierCopiesInBothLanguages)
{
    // Projects, and a file of another project beside them: the projects' whole trees only.
    Operate(IDC_EXPORT, {L"P1", L"P3"}, L"P2", {L"G01"});
    ASSERT_EQ(2u, checked.size());
    EXPECT_EQ((Texts{kAsk, L"onExported(" + kOut + checked[0] + L"\\)", L"onExported(" + kOut + checked[1] + L"\\)",
                     L"messageBox(导出文件完成！\r\n总计导出 2 个工程， 6 个文件！|导出|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"onExported busy", L"onExported busy", L"messageBox"}), hooks);
    EXPECT_EQ((Texts{L"P1\\F01.abc", L"P1\\F02.abc", L"P1\\F03.abc", L"P1\\notes.txt", L"P1\\sub\\deep\\S.abc",
                     L"P3\\K.abc"}),
              FilesBelow(kOut));
    EXPECT_EQ(Texts{}, stillChecked);  // reloaded

    // Again, in English: replaced; a file of the U disk's own stays.
    ASSERT_TRUE(device.WriteFile(kData + L"P1\\sub\\deep\\S.abc", "v2") &&
                device.WriteFile(kOut + L"P1\\own.abc", "own"));
    host.language = 1;
    Operate(IDC_EXPORT, {L"P1"});
    EXPECT_EQ((Texts{L"messageBox(Do you want to copy all your selected project(s) or file(s) to UDisk?|Export|4)",
                     L"onExported(\\硬盘\\Data\\P1\\)",
                     L"messageBox(Completed!\r\nCopy to UDisk 1 Project(s) 5 File(s)！|Copy to UDisk|0)"}),
              host.Journal());
    EXPECT_EQ("v2", Read(kOut + L"P1\\sub\\deep\\S.abc"));
    EXPECT_EQ("own", Read(kOut + L"P1\\own.abc"));

    // Single files of the open project.
    host.language = 0;
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘") && WriteProject(device, L"\\硬盘\\", {}));
    Operate(IDC_EXPORT, {}, L"P1", {L"F01", L"F03"});
    EXPECT_EQ((Texts{kAsk, L"onExported(\\硬盘\\Data\\P1\\)", L"messageBox(导出文件完成！\r\n总计导出 2 个文件！|导出|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"P1\\F01.abc", L"P1\\F03.abc"}), FilesBelow(kOut));

    // Projects right on the storage root go right onto the U disk; No does nothing.
    host.dataLocation = "Flash Disk";
    Operate(IDC_EXPORT, {L"Data"});
    EXPECT_EQ(L"onExported(\\硬盘\\Data\\)", host.Journal().at(1));
    host.answers = {IDNO};
    Operate(IDC_EXPORT, {L"Data"});
    EXPECT_EQ((Texts{L"messageBox"}), hooks);
}

TEST_F(Export, ShowsItsProgressInTheIndicatorAndFlushesEveryFileItWrites)
{
    // When each project is told to the host, and at the summary: the count and the bar as painted.
    std::vector<std::pair<std::wstring, double>> shown;
    atHook = [&shown](RecordingDialog& dialog, const std::wstring& line) {
        if (line.rfind(L"onExported(", 0) == 0 || line.rfind(L"messageBox(导出文件", 0) == 0)
            shown.emplace_back(dialog.FreeSpaceText().str(), BlueShareShown(dialog.Handle()));
    };
    testsupport::SyncTrace trace;
    Operate(IDC_EXPORT, {L"P1", L"P3"});
    const std::map<std::wstring, int> flushes = trace.Stop();

    ASSERT_EQ(2u, checked.size());
    ASSERT_EQ(3u, shown.size());
    const int first = checked[0] == L"P1" ? 5 : 1;
    EXPECT_EQ(L"导出 " + std::to_wstring(first) + L"/6", shown[0].first);
    EXPECT_NEAR(first / 6.0, shown[0].second, 0.02);
    EXPECT_EQ(L"导出 6/6", shown[2].first);
    EXPECT_NEAR(1.0, shown[2].second, 0.02);
    EXPECT_EQ(0u, indicatorAfter.find(L"剩余:")) << "the free space again after the reload";

    // One flush for each file written, none for anything else.
    if (!trace.IsAttached())
        GTEST_SKIP() << fw::WString(trace.Why()).ToUtf8();
    std::map<std::wstring, int> written;
    for (const std::wstring& file : FilesBelow(kOut))
        written[device.UnixPath(kOut + file)] = 1;
    EXPECT_EQ(6u, written.size());
    EXPECT_EQ(written, flushes);
}

TEST_F(Export, AMissingOccupiedOrFullUDiskStopsTheExportAndSaysSo)
{
    // Pulled out: the insert notice alone; no summary, no reload.
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    Operate(IDC_EXPORT, {L"P1"});
    EXPECT_EQ((Texts{kAsk, L"messageBox(请插入U盘|提示|0)"}), host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"messageBox busy"}), hooks);
    EXPECT_EQ(Texts{L"P1"}, stillChecked);

    // A file where the export folder goes, or where a project's only sub-folder goes.
    const std::wstring failed = L"messageBox(导出文件出错！\r\n总计导出 0 个文件！|导出|0)";
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Data", "U disk's own"));
    Operate(IDC_EXPORT, {L"P1"});
    EXPECT_EQ((Texts{kAsk, failed}), host.Journal());
    // In single files too; no project folder made: none told as exported.
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘") && device.WriteFile(kOut + L"P1", "U disk's own"));
    Operate(IDC_EXPORT, {}, L"P1", {L"F01"});
    EXPECT_EQ((Texts{kAsk, failed}), host.Journal());
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘") && device.WriteFile(kOut + L"P9\\sub", "U disk's own"));
    ASSERT_TRUE(WriteProject(device, kData + L"P9\\", {{L"sub\\S.abc", "s", L""}}));
    Operate(IDC_EXPORT, {L"P9"});
    EXPECT_EQ((Texts{kAsk, failed}), host.Journal());

    // Too little room for three projects of about 250 kB each: told before anything is written.
    std::wstring why;
    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘") && device.RemoveVolume(kData + L"P9"));
    if (!device.MountSmallVolume(L"\\硬盘", 400, &why))
        GTEST_SKIP() << fw::WString(why).ToUtf8();
    const auto fill = [&](int files, size_t bytes) {
        for (const wchar_t* project : {L"P1\\", L"P2\\", L"P3\\"})
            for (int i = 0; i < files; ++i)
                ASSERT_TRUE(device.WriteFile(kData + project + L"S" + std::to_wstring(i) + L".abc", std::string(bytes, 'x')));
    };
    fill(6, 40960);
    Operate(IDC_EXPORT, {L"*"});
    EXPECT_EQ((Texts{kAsk, L"messageBox(U盘空间不足，需要1MB，剩余0MB|提示|0)"}), host.Journal());
    EXPECT_FALSE(device.Exists(kOut));
    EXPECT_EQ(3u, stillChecked.size());
    host.language = 1;
    Operate(IDC_EXPORT, {L"*"});
    EXPECT_EQ(L"messageBox(Not enough space on U Disk, 1MB needed, 0MB free|Notice|0)", host.Journal().back());
    EXPECT_FALSE(device.Exists(kOut));
    host.language = 0;

    // Room for their bytes, but each small file takes a page of the volume: full during the second project.
    fill(60, 1);
    Operate(IDC_EXPORT, {L"*"});
    ASSERT_EQ(3u, checked.size());
    size_t copied = FilesBelow(kData + checked[0] + L"\\").size();
    for (const std::wstring& file : FilesBelow(kOut + checked[1] + L"\\"))  // that arrived whole
        copied += Read(kOut + checked[1] + L"\\" + file) == Read(kData + checked[1] + L"\\" + file);
    EXPECT_EQ((Texts{kAsk, L"onExported(" + kOut + checked[0] + L"\\)", L"messageBox(磁盘空间已满|提示|0)",
                     L"messageBox(导出文件出错！\r\n总计导出 1 个工程， " + std::to_wstring(copied) + L" 个文件！|导出|0)"}),
              host.Journal());
    EXPECT_EQ(Texts{}, FilesBelow(kOut + checked[2] + L"\\"));
}

}  // namespace
