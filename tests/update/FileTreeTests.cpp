// Listing a release, creating and removing folder trees, and telling whether a
// path is there, on a device's real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "FileTree.h"
#include "UpdateTestSupport.h"
#include "support/DebugOutput.h"
#include "support/Device.h"
#include "support/Printers.h"

using testsupport::Device;

namespace {

class FileTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.IsReady());
        device.Enter();
    }

    // The paths listed, and with sizes asked for, each path's size as the listing found it.
    std::vector<std::wstring> Collect(const wchar_t* folder, std::map<std::wstring, unsigned long long>* sizes = nullptr)
    {
        FileList files;
        FileSizes found;
        CollectFiles(folder, files, sizes ? &found : nullptr);
        std::vector<std::wstring> paths;
        for (const fw::WString& file : files)
            paths.push_back(file.str());
        if (sizes) {
            EXPECT_EQ(files.size(), found.size());
            for (size_t i = 0; i < std::min(files.size(), found.size()); ++i)
                (*sizes)[files[i].str()] = found[i];
        }
        return paths;
    }

    Device device{true};
};

}  // namespace

TEST_F(FileTree, CollectsEveryFileDepthFirstAndLeavesShortNamesOut)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, L"\\硬盘\\Q9Soft\\",
                                       {{L"Q9Main.exe", "main"},
                                        {L"a.db", "four characters"},
                                        {L"abcde", "five, no extension"},
                                        {L"lang\\English.lng", "en"},
                                        {L"lang\\x.ln", "short"},
                                        {L"lang\\deep\\er\\Help.txt", "help"},
                                        {L"res\\Logo.bmp", "logo"}}));
    CreateDirectoryW(device.Path(L"\\硬盘\\Q9Soft\\empty").c_str(), nullptr);
    SetFileAttributesW(device.Path(L"\\硬盘\\Q9Soft\\res\\Logo.bmp").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);

    std::map<std::wstring, unsigned long long> sizes;
    std::vector<std::wstring> files = Collect(L"\\硬盘\\Q9Soft\\", &sizes);

    std::vector<std::wstring> sorted = files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((std::vector<std::wstring>{L"\\硬盘\\Q9Soft\\Q9Main.exe", L"\\硬盘\\Q9Soft\\abcde",
                                         L"\\硬盘\\Q9Soft\\lang\\English.lng",
                                         L"\\硬盘\\Q9Soft\\lang\\deep\\er\\Help.txt",
                                         L"\\硬盘\\Q9Soft\\res\\Logo.bmp"}),
              sorted);
    EXPECT_EQ((std::map<std::wstring, unsigned long long>{{L"\\硬盘\\Q9Soft\\Q9Main.exe", 4},
                                                          {L"\\硬盘\\Q9Soft\\abcde", 18},
                                                          {L"\\硬盘\\Q9Soft\\lang\\English.lng", 2},
                                                          {L"\\硬盘\\Q9Soft\\lang\\deep\\er\\Help.txt", 4},
                                                          {L"\\硬盘\\Q9Soft\\res\\Logo.bmp", 4}}),
              sizes);
    // Depth first: the files of a folder follow each other, whatever order the folders come in.
    auto first = std::find(files.begin(), files.end(), L"\\硬盘\\Q9Soft\\lang\\English.lng");
    auto deep = std::find(files.begin(), files.end(), L"\\硬盘\\Q9Soft\\lang\\deep\\er\\Help.txt");
    ASSERT_TRUE(first != files.end() && deep != files.end());
    EXPECT_EQ(1, std::abs(first - deep));
    SetFileAttributesW(device.Path(L"\\硬盘\\Q9Soft\\res\\Logo.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileTree, CollectingAMissingFolderAddsNothing)
{
    FileList files{L"kept"};
    CollectFiles(L"\\硬盘\\nothing\\", files);
    EXPECT_EQ(1u, files.size());
}

TEST_F(FileTree, CreatesEveryMissingLevelWithOrWithoutTrailingSeparator)
{
    CreateDirectoryTree(L"\\Flash Disk\\a\\b\\c\\");
    EXPECT_TRUE(IsExistingFolder(L"\\Flash Disk\\a\\b\\c"));
    CreateDirectoryTree(L"\\Flash Disk\\x\\y");
    EXPECT_TRUE(IsExistingFolder(L"\\Flash Disk\\x\\y"));
    // Levels that exist are passed over.
    CreateDirectoryTree(L"\\Flash Disk\\a\\b\\d");
    EXPECT_TRUE(IsExistingFolder(L"\\Flash Disk\\a\\b\\d"));
    EXPECT_TRUE(IsExistingFolder(L"\\Flash Disk\\a\\b\\c"));
}

TEST_F(FileTree, RemovesATreeAndSaysSoOnTheDebugOutput)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, L"\\Flash Disk\\temp\\",
                                       {{L"Q9Main.exe", "x"}, {L"lang\\deep\\Help.txt", "y"}, {L"lang\\E.lng", "z"}}));
    CreateDirectoryW(device.Path(L"\\Flash Disk\\temp\\empty").c_str(), nullptr);
    testsupport::DebugOutputRecorder debug;

    EXPECT_TRUE(RemoveDirectoryTree(L"\\Flash Disk\\temp\\"));

    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\temp"));
    EXPECT_TRUE(device.Exists(L"\\Flash Disk"));
    std::vector<std::wstring> lines = debug.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(L"RemoveDirectory ok:\\Flash Disk\\temp\\\r\n", lines.back());
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"RemoveDirectory ok:\\Flash Disk\\temp\\lang\\deep\r\n"));
}

TEST_F(FileTree, RemovingWhatCannotBeRemovedIsReportedButNotAFailure)
{
    ASSERT_TRUE(updatetest::WriteFiles(device, L"\\Flash Disk\\temp\\", {{L"held.txt", "x"}, {L"free.txt", "y"}}));
    testsupport::DebugOutputRecorder debug;
    {
        testsupport::HeldFile held(device.Path(L"\\Flash Disk\\temp\\held.txt"));
        ASSERT_TRUE(held.IsHeld());
        EXPECT_TRUE(RemoveDirectoryTree(L"\\Flash Disk\\temp"));
    }
    EXPECT_TRUE(device.Exists(L"\\Flash Disk\\temp\\held.txt"));
    EXPECT_FALSE(device.Exists(L"\\Flash Disk\\temp\\free.txt"));
    std::vector<std::wstring> lines = debug.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(L"RemoveDirectory failed:\\Flash Disk\\temp\r\n", lines.back());

    EXPECT_FALSE(RemoveDirectoryTree(L"\\Flash Disk\\nothing\\"));
}

TEST_F(FileTree, TellsWhetherAPathIsThere)
{
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\Q9Main.exe", "x"));
    EXPECT_TRUE(PathExists(L"\\硬盘\\"));
    EXPECT_TRUE(PathExists(L"\\硬盘"));
    EXPECT_TRUE(PathExists(L"\\硬盘\\Q9Soft\\"));
    EXPECT_TRUE(PathExists(L"\\硬盘\\Q9Soft\\Q9Main.exe"));
    EXPECT_FALSE(PathExists(L"\\硬盘\\Q9Soft\\Battery.exe"));
    EXPECT_FALSE(PathExists(L"\\Storage Card\\nothing\\"));
    // Drive roots count as there, from B to Y.
    EXPECT_TRUE(PathExists(L"B:\\"));
    EXPECT_TRUE(PathExists(L"Y:\\"));

    ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
    EXPECT_FALSE(PathExists(L"\\硬盘\\"));
}
