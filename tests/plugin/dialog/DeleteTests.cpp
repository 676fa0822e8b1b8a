// Delete: checked files (through the host's deleteFile or the platform's)
// before checked projects, the grids kept in step; files held open or
// read-only, and a project folder that another program holds.
#include <gtest/gtest.h>

#include "OperationTests.h"
#include "framework/Handles.h"

using namespace dialogtest;

namespace {

const std::wstring kAsk = L"messageBox(是否删除所选择的工程或文件？|删除|4)";

class Delete : public OperationTest {
protected:
    std::wstring Path(const std::wstring& relative) const { return device.Path(kData + relative); }
};

TEST_F(Delete, DeletesCheckedFilesBeforeProjectsAndKeepsTheGridsInStep)
{
    // Every listed file, in English without deleteFile: the project's row goes
    // though notes.txt keeps its folder, and comes back with the reload.
    host.language = 1;
    host.withDeleteFile = false;
    std::wstring atSummary;
    atHook = [&atSummary](RecordingDialog& dialog, const std::wstring&) { atSummary = dialog.FreeSpaceText().str(); };
    Operate(IDC_DELETE, {}, L"P1", {L"*"});
    EXPECT_EQ(L"Delete 3/3", atSummary) << "the progress, as it stands at the summary";
    atHook = nullptr;
    EXPECT_EQ((Texts{L"messageBox(Do you want to delete all your selected project(s) or file(s)?|Delete|4)",
                     L"messageBox(Completed!\r\nDelete 3 File(s)！|Delete|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"Project Name(2)", L"P2", L"P3"}), shownProjects);
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), after);
    EXPECT_EQ((Texts{L"notes.txt", L"sub\\deep\\S.abc"}), FilesBelow(kData + L"P1\\"));
    EXPECT_EQ(L"P1\\", openAfter);  // still open, with nothing to list
    EXPECT_EQ(Texts{}, filesAfter);

    // A file of the open project through deleteFile, then that project and another whole;
    // the first project left is opened.
    host.language = 0;
    host.withDeleteFile = true;
    ASSERT_TRUE(device.WriteFile(kData + L"P1\\F09.abc", "9"));
    Operate(IDC_DELETE, {L"P2", L"P3"}, L"P2", {L"G01"});
    EXPECT_EQ(L"P1\\", openAfter);
    EXPECT_EQ(Texts{L"F09"}, filesAfter);
    EXPECT_EQ((Texts{kAsk, L"deleteFile(\\Flash Disk\\Data\\P2\\G01.abc)",
                     L"messageBox(删除文件完成！\r\n总计删除 2 个工程， 4 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"messageBox", L"deleteFile busy", L"messageBox"}), hooks);
    EXPECT_EQ((Texts{L"工程名称(1)", L"P1"}), shownProjects);
    EXPECT_EQ((Texts{L"P1\\F09.abc", L"P1\\notes.txt", L"P1\\sub\\deep\\S.abc"}), FilesBelow(kData));

    // An empty project: no file went, so no reload; the open project's row went, and the
    // file grid does not show the data folder's own files in its place.
    ASSERT_TRUE(WriteProject(device, kData + L"E\\", {}) && device.WriteFile(kData + L"loose.abc", "l"));
    Operate(IDC_DELETE, {L"E"});
    EXPECT_EQ(L"messageBox(删除文件完成！\r\n总计删除 1 个工程， 0 个文件！|删除|0)", host.Journal().back());
    EXPECT_EQ(Texts{}, shownFiles);
    EXPECT_EQ(0u, indicatorAfter.find(L"剩余:")) << "the free space again, also without a reload";
}

TEST_F(Delete, FilesHeldOpenOrReadOnlyAndAHeldProjectFolderStayAndAreReported)
{
    // Read-only F01 fails and stays, F02 goes, F03 held open stops the run before P3.
    ASSERT_TRUE(::SetFileAttributesW(Path(L"P1\\F01.abc").c_str(), FILE_ATTRIBUTE_READONLY));
    {
        testsupport::HeldFile held(Path(L"P1\\F03.abc"));
        Operate(IDC_DELETE, {L"P3"}, L"P1", {L"*"});
    }
    EXPECT_EQ((Texts{kAsk, L"deleteFile(\\Flash Disk\\Data\\P1\\F01.abc)",
                     L"deleteFile(\\Flash Disk\\Data\\P1\\F02.abc)", L"deleteFile(\\Flash Disk\\Data\\P1\\F03.abc)",
                     L"messageBox(无法删除文件，文件被打开|提示|0)",
                     L"messageBox(删除文件出错！\r\n总计删除 1 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ((Texts{L"F01", L"F03"}), shownFiles);
    EXPECT_EQ((Texts{L"F01.abc", L"F03.abc", L"notes.txt", L"sub\\deep\\S.abc"}),
              FilesBelow(kData + L"P1\\"));
    EXPECT_EQ(Texts{L"K.abc"}, FilesBelow(kData + L"P3\\"));

    // A file held open directly inside a checked project: the rest goes, the project stays.
    host.withDeleteFile = false;
    ASSERT_TRUE(device.WriteFile(kData + L"P3\\H.abc", "h") &&
                device.WriteFile(kData + L"P3\\notes.txt", "n"));
    {
        testsupport::HeldFile held(Path(L"P3\\H.abc"));
        Operate(IDC_DELETE, {L"P3"});
    }
    EXPECT_EQ((Texts{kAsk, L"messageBox(无法删除文件，文件被打开|提示|0)",
                     L"messageBox(删除文件出错！\r\n总计删除 1 个文件！|删除|0)"}),
              host.Journal());
    EXPECT_EQ(Texts{L"H.abc"}, FilesBelow(kData + L"P3\\"));
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), after);

    // A project folder held by another program, which does not share its removal.
    {
        fw::KernelHandle folder(::CreateFileW(Path(L"P2").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(folder);
        Operate(IDC_DELETE, {L"P2"});
    }
    EXPECT_EQ((Texts{kAsk, L"messageBox(删除文件出错！\r\n总计删除 3 个文件！|删除|0)"}), host.Journal());
    EXPECT_EQ(Texts{}, FilesBelow(kData + L"P2\\"));
    EXPECT_EQ((Texts{L"P1", L"P2", L"P3"}), after);
}

}  // namespace
