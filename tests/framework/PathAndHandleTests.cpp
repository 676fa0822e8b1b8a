#include <gtest/gtest.h>

#include <utility>

#include "framework/FileFinder.h"
#include "framework/Handles.h"
#include "framework/Path.h"

namespace {

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

}  // namespace

TEST(Path, SplitsAndJoinsDevicePaths)
{
    EXPECT_EQ(fw::WString(L"Q9Main.exe"), fw::FileNameOf(L"\\Flash Disk\\Q9Soft\\Q9Main.exe"));
    EXPECT_EQ(fw::WString(L"\\Flash Disk\\Q9Soft\\"), fw::FolderOf(L"\\Flash Disk\\Q9Soft\\Q9Main.exe"));
    EXPECT_EQ(fw::WString(L"name"), fw::FileNameOf(L"name"));
    EXPECT_EQ(fw::WString(), fw::FolderOf(L"name"));
    EXPECT_EQ(fw::WString(), fw::FileNameOf(L"\\硬盘\\"));

    EXPECT_EQ(fw::WString(L"\\硬盘\\"), fw::WithFinalBackslash(L"\\硬盘"));
    EXPECT_EQ(fw::WString(L"\\硬盘\\"), fw::WithFinalBackslash(L"\\硬盘\\"));
    EXPECT_EQ(fw::WString(L"\\"), fw::WithFinalBackslash(L""));
    EXPECT_EQ(fw::WString(L"\\硬盘"), fw::WithoutFinalBackslash(L"\\硬盘\\"));
    EXPECT_EQ(fw::WString(L"Data"), fw::WithoutFinalBackslash(L"Data"));
    EXPECT_EQ(fw::WString(L"\\Flash Disk\\Data\\P1"), fw::JoinPath(L"\\Flash Disk\\Data", L"P1"));
    EXPECT_EQ(fw::WString(L"\\Flash Disk\\Data\\P1"), fw::JoinPath(L"\\Flash Disk\\Data\\", L"P1"));
}

TEST(Handles, OwnersCloseOnceAndMove)
{
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        fw::KernelHandle first(raw);
        fw::KernelHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        EXPECT_EQ(raw, second.Get());
        fw::KernelHandle third;
        third = std::move(second);
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    fw::KernelHandle failedOpen(::CreateFileW(L"Z:\\no such folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                              nullptr));
    EXPECT_FALSE(failedOpen.IsValid());  // INVALID_HANDLE_VALUE is "none", and is not closed
    HANDLE released = fw::KernelHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)).Release();
    EXPECT_TRUE(IsOpenHandle(released));
    ::CloseHandle(released);
}

TEST(FileFinder, ListsAFolderAndClosesAtTheEnd)
{
    wchar_t folder[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathW(MAX_PATH, folder));
    fw::WString base = fw::JoinPath(folder, fw::WString::Format(L"finder-%lu", ::GetCurrentProcessId()));
    ASSERT_TRUE(::CreateDirectoryW(base.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(fw::JoinPath(base, L"sub").c_str(), nullptr));
    HANDLE file = ::CreateFileW(fw::JoinPath(base, L"a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    ::CloseHandle(file);

    int folders = 0, files = 0, dots = 0;
    fw::FileFinder find(fw::JoinPath(base, L"*.*"));
    ASSERT_TRUE(find.IsOpen());
    do {
        if (find.IsDots())
            ++dots;
        else if (find.IsFolder())
            ++folders;
        else
            ++files;
    } while (find.Next());
    EXPECT_FALSE(find.IsOpen());
    EXPECT_EQ(2, dots);
    EXPECT_EQ(1, folders);
    EXPECT_EQ(1, files);
    EXPECT_FALSE(fw::FileFinder(fw::JoinPath(base, L"*.none")).IsOpen());

    ::DeleteFileW(fw::JoinPath(base, L"a.txt").c_str());
    ::RemoveDirectoryW(fw::JoinPath(base, L"sub").c_str());
    EXPECT_TRUE(::RemoveDirectoryW(base.c_str()));
}
