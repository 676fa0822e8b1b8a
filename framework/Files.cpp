#include "Files.h"

#include <windows.h>

#include <memory>

#include "Handles.h"
#include "Path.h"

namespace fw {

namespace {

// Large enough that the calls do not count beside the data, small enough for the device's heap.
constexpr DWORD kCopyBufferBytes = 64 * 1024;
constexpr DWORD kCopiedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

bool CopyFileFlushed(const WString& source, const WString& target)
{
    // The attributes by path and the time by handle: cheaper than the handle's whole information.
    const DWORD sourceAttributes = ::GetFileAttributesW(source.c_str());
    KernelHandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    FILETIME lastWrite{};
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES || !in || !::GetFileTime(in.Get(), nullptr, nullptr, &lastWrite))
        return false;
    // Made with the source's attributes, read-only included: this handle may still write it.
    const DWORD attributes = sourceAttributes & kCopiedAttributes;
    KernelHandle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return false;
    const std::unique_ptr<char[]> buffer(new char[kCopyBufferBytes]);
    bool copied = true;
    for (;;) {
        DWORD got = 0;
        DWORD put = 0;
        if (!::ReadFile(in.Get(), buffer.get(), kCopyBufferBytes, &got, nullptr)) {
            copied = false;
            break;
        }
        if (got == 0)
            break;
        if (!::WriteFile(out.Get(), buffer.get(), got, &put, nullptr) || put != got) {
            copied = false;
            break;
        }
    }
    copied = copied && ::SetFileTime(out.Get(), nullptr, nullptr, &lastWrite) &&
             ::FlushFileBuffers(out.Get());
    // Closing must not take the reason of a failure away.
    const DWORD error = ::GetLastError();
    out.Reset();
    in.Reset();
    ::SetLastError(error);
    return copied;
}

unsigned long long FileSizeOf(const WString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool FreeSpaceFor(const WString& folder, unsigned long long& freeBytes)
{
    WString probe = WithFinalBackslash(folder);
    for (;;) {
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER free{};
        if (::GetDiskFreeSpaceExW(probe.c_str(), &available, &total, &free)) {
            freeBytes = available.QuadPart;
            return true;
        }
        // One level up: "\Flash Disk\temp\" -> "\Flash Disk\".
        const WString parent = FolderOf(WithoutFinalBackslash(probe));
        if (parent.IsEmpty() || parent == probe)
            return false;
        probe = parent;
    }
}

}  // namespace fw
