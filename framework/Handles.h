#pragma once
// The one owner of a handle that must be closed: kernel handles (files,
// processes, threads), process snapshots, find handles, GDI objects and
// memory device contexts. Non-copyable, movable, closed when the owner goes;
// Get() is the raw handle, and the owner converts to true when there is one.
// Each kind closes through its own call, which is part of its type.

#include <windows.h>
#ifdef _WIN32_WCE
#include <tlhelp32.h>
#endif

namespace fw {

template <class Handle, void (*Close)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return m_handle; }
    // The platform returns either null or INVALID_HANDLE_VALUE for "no handle", by call.
    explicit operator bool() const
    {
        return m_handle != nullptr && m_handle != static_cast<Handle>(INVALID_HANDLE_VALUE);
    }
    Handle Release()
    {
        Handle handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(Handle handle = nullptr)
    {
        if (*this)
            Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseFindHandle(HANDLE handle) { ::FindClose(handle); }
// The device's toolhelp.dll closes its process snapshots itself; the desktop
// has no such call and closes them as kernel handles.
inline void CloseSnapshotHandle(HANDLE handle)
{
#ifdef _WIN32_WCE
    ::CloseToolhelp32Snapshot(handle);
#else
    ::CloseHandle(handle);
#endif
}

using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using FindHandle = UniqueHandle<HANDLE, CloseFindHandle>;
using SnapshotHandle = UniqueHandle<HANDLE, CloseSnapshotHandle>;

}  // namespace fw
