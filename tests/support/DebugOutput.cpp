#include "DebugOutput.h"

#include "framework/WString.h"

namespace testsupport {

DebugOutputRecorder::DebugOutputRecorder()
    : m_bufferReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
      m_dataReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
      m_mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"))
{
    InitializeCriticalSection(&m_lock);
    if (m_mapping)
        m_view = static_cast<const char*>(MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, 4096));
    if (m_bufferReady && m_dataReady && m_view)
        m_thread.Reset(CreateThread(nullptr, 0, &DebugOutputRecorder::Listen, this, 0, nullptr));
}

DebugOutputRecorder::~DebugOutputRecorder()
{
    if (m_thread) {
        m_stop = true;
        SetEvent(m_dataReady.Get());
        WaitForSingleObject(m_thread.Get(), 5000);
    }
    if (m_view)
        UnmapViewOfFile(m_view);
    DeleteCriticalSection(&m_lock);
}

DWORD WINAPI DebugOutputRecorder::Listen(void* parameter)
{
    auto* self = static_cast<DebugOutputRecorder*>(parameter);
    for (;;) {
        SetEvent(self->m_bufferReady.Get());
        WaitForSingleObject(self->m_dataReady.Get(), INFINITE);
        if (self->m_stop)
            return 0;
        // The buffer: the writer's process id, then the text in the ANSI code page.
        std::wstring line = fw::WString::FromAnsi(self->m_view + sizeof(DWORD)).str();
        EnterCriticalSection(&self->m_lock);
        self->m_lines.push_back(line);
        LeaveCriticalSection(&self->m_lock);
    }
}

std::vector<std::wstring> DebugOutputRecorder::Lines()
{
    // A writer waits until the listener has taken the line before it, so once
    // this marker is written every earlier line has been taken.
    const wchar_t* marker = L"DebugOutputRecorder: flush";
    if (m_thread)
        OutputDebugStringW(marker);
    EnterCriticalSection(&m_lock);
    std::vector<std::wstring> lines;
    for (const std::wstring& line : m_lines)
        if (line != marker)
            lines.push_back(line);
    LeaveCriticalSection(&m_lock);
    return lines;
}

}  // namespace testsupport
