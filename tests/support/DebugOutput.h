#pragma once
// Catches what this process writes to the platform's debug output.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

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
    fw::KernelHandle m_bufferReady;
    fw::KernelHandle m_dataReady;
    fw::KernelHandle m_mapping;
    const char* m_view = nullptr;
    fw::KernelHandle m_thread;
    volatile bool m_stop = false;
    CRITICAL_SECTION m_lock;
    std::vector<std::wstring> m_lines;
};

}  // namespace testsupport
