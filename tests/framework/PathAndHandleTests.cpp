#include <gtest/gtest.h>

#include <utility>

#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "framework/Path.h"

#include <tlhelp32.h>

// The edges; the common cases run in every listing and every update.
TEST(Path, SplitsAndJoinsDevicePathsAtTheirEdges)
{
    EXPECT_EQ(fw::WString(), fw::FolderOf(L"name"));
    EXPECT_EQ(fw::WString(L"name"), fw::FileNameOf(L"name"));
    EXPECT_EQ(fw::WString(), fw::FileNameOf(L"\\硬盘\\"));
    EXPECT_EQ(fw::WString(L"\\"), fw::WithFinalBackslash(L""));
    EXPECT_EQ(fw::WString(L"\\硬盘\\"), fw::WithFinalBackslash(L"\\硬盘\\"));
    EXPECT_EQ(fw::WString(L"Data"), fw::WithoutFinalBackslash(L"Data"));
    EXPECT_EQ(fw::WString(L"\\Flash Disk\\Data\\P1"), fw::JoinPath(L"\\Flash Disk\\Data", L"P1"));
    EXPECT_EQ(fw::WString(L"\\Flash Disk\\Data\\P1"), fw::JoinPath(L"\\Flash Disk\\Data\\", L"P1"));
}

TEST(Handles, OwnersCloseOnceAndMove)
{
    const auto isOpen = [](HANDLE handle) {
        DWORD flags = 0;
        return ::GetHandleInformation(handle, &flags) != FALSE;
    };
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        fw::KernelHandle first(raw);
        fw::KernelHandle second(std::move(first));
        EXPECT_FALSE(first);
        fw::KernelHandle third;
        third = std::move(second);
        EXPECT_TRUE(isOpen(raw));
    }
    EXPECT_FALSE(isOpen(raw));
    // INVALID_HANDLE_VALUE is "none", and is not closed.
    EXPECT_FALSE(fw::KernelHandle(INVALID_HANDLE_VALUE));
    HANDLE released = fw::KernelHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)).Release();
    EXPECT_TRUE(isOpen(released));
    ::CloseHandle(released);
    // A process snapshot closes through the snapshot owner's own call.
    HANDLE snapshot = fw::SnapshotHandle(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)).Get();
    EXPECT_NE(INVALID_HANDLE_VALUE, snapshot);
    EXPECT_FALSE(isOpen(snapshot));
    HBRUSH brush = ::CreateSolidBrush(RGB(0, 0, 255));
    fw::Brush{brush};
    EXPECT_EQ(0u, ::GetObjectType(brush));  // the same owner deletes a GDI object
}
