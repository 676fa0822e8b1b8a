#pragma once
// Owners of kernel handles (files, processes, threads, snapshots) and of
// find handles: non-copyable, movable, closed when the owner goes. The two
// kinds close through different calls, so they are different types.

#include <windows.h>

namespace fw {

template <void (*Close)(HANDLE)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
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

    HANDLE Get() const { return m_handle; }
    // The platform returns either null or INVALID_HANDLE_VALUE for "no handle", by call.
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }
    HANDLE Release()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr)
    {
        if (IsValid())
            Close(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};

inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseFindHandle(HANDLE handle) { ::FindClose(handle); }

using KernelHandle = UniqueHandle<CloseKernelHandle>;
using FindHandle = UniqueHandle<CloseFindHandle>;

}  // namespace fw
