#include "UpdateLog.h"

#include <windows.h>

#include "framework/Files.h"

namespace {

constexpr unsigned long long kRotateBytes = 64 * 1024;

}  // namespace

void UpdateLog::Open()
{
    const DWORD error = ::GetLastError();
    m_file.Reset();
    if (!m_path.IsEmpty()) {
        if (fw::FileSizeOf(m_path) > kRotateBytes) {
            const fw::WString older = m_path + L".1";
            ::DeleteFileW(older.c_str());
            ::MoveFileW(m_path.c_str(), older.c_str());
        }
        // Others may read it meanwhile.
        m_file.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file && ::SetFilePointer(m_file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
            ::GetLastError() != NO_ERROR)
            m_file.Reset();
    }
    ::SetLastError(error);
}

void UpdateLog::Write(const fw::WString& line)
{
    if (!m_file)
        return;
    const DWORD error = ::GetLastError();
    const fw::WString text = line + L"\r\n";
    const DWORD bytes = static_cast<DWORD>(text.Length() * sizeof(wchar_t));  // UTF-16LE as it stands in memory
    const DWORD at = ::SetFilePointer(m_file.Get(), 0, nullptr, FILE_CURRENT);
    DWORD written = 0;
    if (!::WriteFile(m_file.Get(), text.c_str(), bytes, &written, nullptr) || written != bytes) {
        // A full volume took part of the line: take it back, so that every line stays whole.
        ::SetFilePointer(m_file.Get(), static_cast<LONG>(at), nullptr, FILE_BEGIN);
        ::SetEndOfFile(m_file.Get());
    }
    ::FlushFileBuffers(m_file.Get());
    ::SetLastError(error);
}

fw::WString UpdateLog::Now()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return fw::WString::Format(L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                               now.wMinute, now.wSecond);
}
