#pragma once
// Catches what this process writes to the platform's debug output.

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Catches what this process writes with OutputDebugString (the DBWIN protocol).
class DebugOutputRecorder {
public:
    DebugOutputRecorder();
    ~DebugOutputRecorder();
    DebugOutputRecorder(const DebugOutputRecorder&) = delete;
    DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;

    // The lines written so far, each as written (with its line end).
    std::vector<std::wstring> Lines();

private:
    static DWORD WINAPI Listen(void* self);
    HANDLE m_bufferReady = nullptr;
    HANDLE m_dataReady = nullptr;
    HANDLE m_mapping = nullptr;
    const char* m_view = nullptr;
    HANDLE m_thread = nullptr;
    volatile bool m_stop = false;
    CRITICAL_SECTION m_lock;
    std::vector<std::wstring> m_lines;
};

}  // namespace testsupport
