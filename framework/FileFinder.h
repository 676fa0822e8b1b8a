#pragma once
// A folder listing with the platform's find-first / find-next calls, in the
// order the file system gives; its find handle is closed however the
// listing ends.
//
//     fw::FileFinder find(folder + L"*.*");
//     if (find.IsOpen()) do { ... find.Name() ... } while (find.Next());

#include <windows.h>

#include "Handles.h"
#include "WString.h"

namespace fw {

class FileFinder {
public:
    // Starts the listing; IsOpen() tells whether a first entry was found.
    explicit FileFinder(const WString& pattern);

    bool IsOpen() const { return static_cast<bool>(m_handle); }
    // Why there was no first entry (the last error of the first call): 0 when there was one.
    DWORD FirstError() const { return m_firstError; }
    // The next entry; false at the end, after which the handle is closed.
    bool Next();
    void Close() { m_handle.Reset(); }

    const WIN32_FIND_DATAW& Entry() const { return m_entry; }
    const wchar_t* Name() const { return m_entry.cFileName; }
    bool IsFolder() const { return (m_entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // The entry's size in bytes, as the listing found it.
    unsigned long long Size() const
    {
        return (static_cast<unsigned long long>(m_entry.nFileSizeHigh) << 32) | m_entry.nFileSizeLow;
    }
    // "." or "..".
    bool IsDots() const;

private:
    WIN32_FIND_DATAW m_entry{};  // before the handle: the constructor fills it with the first entry
    FindHandle m_handle;
    DWORD m_firstError;
};

}  // namespace fw
