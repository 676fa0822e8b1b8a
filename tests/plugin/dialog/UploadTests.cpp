// Upload: checked files or one whole project handed to the host item by
// item, with the patterns "*.abc" and "*.*"; the host refusing, two
// projects, a changed project answered No.
#include <gtest/gtest.h>

#include "OperationTests.h"

using namespace dialogtest;

namespace {

const std::wstring kQuestion = L"messageBox(是否上传所选择的工程或文件？|上传|4)";

class Upload : public OperationTest {
protected:
    void SetUp() override
    {
        OperationTest::SetUp();
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P1\\",
                                 {{L"F01.abc", "1", L"2024-05-02 10:00"},
                                  {L"F02.abc", "2", L"2024-05-01 10:00"},
                                  {L"notes.txt", "n", L""},
                                  {L"sub\\S.abc", "s", L""}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P2\\", {{L"G01.abc", "g", L""}}));
        host.startLocation = "P1\\F01";
    }

    // Checks the projects, then files of the open project, presses Upload.
    void UploadChecked(const Texts& projects, const Texts& files, std::function<void(RecordingDialog&)> after = {})
    {
        Run([&](DialogDriver& driver, RecordingDialog& dialog) {
            driver.Then([&] { Check(driver, driver.Projects(), projects); })
                .Then([&] { Check(driver, driver.Files(), files); })
                .Then([&] { driver.Press(IDC_UPLOAD); })
                .Then([&] {
                    if (after)
                        after(dialog);
                });
        });
    }

    // The uploadItem lines, sorted.
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
    UploadChecked({}, {L"F01", L"F02"});
    EXPECT_EQ((Texts{L"canUpload()", kQuestion, L"uploadItem(\\Flash Disk\\Data\\P1\\F01.abc|)",
                     L"uploadItem(\\Flash Disk\\Data\\P1\\F02.abc|)", L"onUploadDone()"}),
              host.Journal());
    EXPECT_EQ((Texts{L"canUpload", L"messageBox", L"uploadItem busy", L"uploadItem busy", L"onUploadDone"}),
              busyDuring);
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\Upload\\"));

    // The open project checked with a file of it: the project's files, each once.
    UploadChecked({L"P1"}, {L"F02"});
    EXPECT_EQ(5u, host.Journal().size());
    EXPECT_EQ((Texts{L"uploadItem(\\Flash Disk\\Data\\P1\\F01.abc|)", L"uploadItem(\\Flash Disk\\Data\\P1\\F02.abc|)"}),
              Items());

    // With the pattern "*.*" a project's items are its sub-folders.
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"Q\\",
                             {{L"A\\a.txt", "a", L""}, {L"B\\b.txt", "b", L""}, {L"x.txt", "x", L""}}));
    host.filePattern = "*.*";
    host.startLocation = "Q\\";
    UploadChecked({L"Q"}, {});
    EXPECT_EQ((Texts{L"uploadItem(\\Flash Disk\\Data\\Q\\A|)", L"uploadItem(\\Flash Disk\\Data\\Q\\B|)"}), Items());
    EXPECT_EQ(L"onUploadDone()", host.Journal().back());
}

TEST_F(Upload, ARefusalTwoProjectsOrANoHandNothingOver)
{
    host.canUploadAnswer = 0;
    UploadChecked({}, {L"F01"});
    EXPECT_EQ((Texts{L"canUpload()", L"onUploadRefused()"}), host.Journal());

    host.canUploadAnswer = 1;
    UploadChecked({L"P1", L"P2"}, {});
    EXPECT_EQ((Texts{L"canUpload()", L"messageBox(不支持上传多个工程，请选择一个工程上传|上传|0)"}), host.Journal());

    // Another project than the host's: the host is told before the question, also when it is answered No.
    host.answers = {IDNO};
    UploadChecked({L"P2"}, {L"G01"}, [](RecordingDialog& dialog) { EXPECT_EQ(L"P2\\", dialog.HostProjectFolder()); });
    EXPECT_EQ((Texts{L"canUpload()", L"onUploadProjectChanged()", kQuestion}), host.Journal());
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\Upload\\"));
}

}  // namespace
