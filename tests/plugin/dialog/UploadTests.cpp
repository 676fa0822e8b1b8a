// Upload: checked files or one whole project handed to the host item by
// item, with the patterns "*.abc" and "*.*"; the host refusing, two
// projects, a changed project answered No.
#include <gtest/gtest.h>

#include "OperationTests.h"

using namespace dialogtest;

namespace {

const std::wstring kAsk = L"messageBox(是否上传所选择的工程或文件？|上传|4)";

class Upload : public OperationTest {
protected:
    void SetUp() override
    {
        OperationTest::SetUp();
        host.startLocation = "P1\\F01";
    }
    // The items handed over, sorted.
    Texts Items() const
    {
        Texts items;
        for (const std::wstring& line : host.Journal())
            if (line.rfind(L"uploadItem(", 0) == 0)
                items.push_back(line);
        return Sorted(items);
    }
};

TEST_F(Upload, HandsCheckedFilesOrOneWholeProjectToTheHost)
{
    Operate(IDC_UPLOAD, {}, L"", {L"F01", L"F02"});
    EXPECT_EQ((Texts{L"canUpload()", kAsk, L"uploadItem(\\Flash Disk\\Data\\P1\\F01.abc|)",
                     L"uploadItem(\\Flash Disk\\Data\\P1\\F02.abc|)", L"onUploadDone()"}),
              host.Journal());
    EXPECT_EQ((Texts{L"canUpload", L"messageBox", L"uploadItem busy", L"uploadItem busy", L"onUploadDone"}), hooks);
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\Upload\\"));

    // The open project checked with a file of it: its files from the folder, each once.
    Operate(IDC_UPLOAD, {L"P1"}, L"", {L"F02"});
    EXPECT_EQ(6u, host.Journal().size());
    EXPECT_EQ((Texts{L"uploadItem(\\Flash Disk\\Data\\P1\\F01.abc|)", L"uploadItem(\\Flash Disk\\Data\\P1\\F02.abc|)",
                     L"uploadItem(\\Flash Disk\\Data\\P1\\F03.abc|)"}),
              Items());

    // With the pattern "*.*" a project's items are its sub-folders.
    ASSERT_TRUE(WriteProject(device, kData + L"Q\\", {{L"A\\a", "a", L""}, {L"B\\b", "b", L""}, {L"x", "x", L""}}));
    host.filePattern = "*.*";
    Operate(IDC_UPLOAD, {L"Q"});
    EXPECT_EQ((Texts{L"uploadItem(\\Flash Disk\\Data\\Q\\A|)", L"uploadItem(\\Flash Disk\\Data\\Q\\B|)"}), Items());
}

TEST_F(Upload, ARefusalTwoProjectsOrANoHandNothingOver)
{
    host.canUploadAnswer = 0;
    Operate(IDC_UPLOAD, {}, L"", {L"F01"});
    EXPECT_EQ((Texts{L"canUpload()", L"onUploadRefused()"}), host.Journal());

    host.canUploadAnswer = 1;
    Operate(IDC_UPLOAD, {L"P1", L"P2"});
    EXPECT_EQ((Texts{L"canUpload()", L"messageBox(不支持上传多个工程，请选择一个工程上传|上传|0)"}), host.Journal());

    // Another project than the host's: the host is told before the question, also when it is answered No.
    host.answers = {IDNO};
    Operate(IDC_UPLOAD, {}, L"P2", {L"G01"});
    EXPECT_EQ((Texts{L"canUpload()", L"onUploadProjectChanged()", kAsk}), host.Journal());
    EXPECT_EQ(L"P2\\", hostProject);
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\Upload\\"));
}

}  // namespace
