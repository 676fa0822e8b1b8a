#include "FileTree.h"

#include <windows.h>

namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr size_t kShortestListedName = 5;  // shorter file names are not part of a release

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolderEntry(const WIN32_FIND_DATAW& entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Closes a find handle when the listing ends, however it ends.
class FindHandle {
public:
    FindHandle(const fw::WString& pattern, WIN32_FIND_DATAW& entry)
        : m_handle(::FindFirstFileW(pattern.c_str(), &entry))
    {
    }
    ~FindHandle()
    {
        if (IsValid())
            ::FindClose(m_handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& entry) const { return ::FindNextFileW(m_handle, &entry) != FALSE; }

private:
    HANDLE m_handle;
};

bool IsDriveRoot(const fw::WString& path)
{
    if (path.Length() != 3 || path[1] != L':' || path[2] != kSeparator)
        return false;
    wchar_t letter = path[0];
    return (letter >= L'B' && letter <= L'Y') || (letter >= L'b' && letter <= L'y');
}

}  // namespace

void CollectFiles(const fw::WString& folder, FileList& files)
{
    WIN32_FIND_DATAW entry;
    FindHandle find(folder + L"*.*", entry);
    if (!find.IsValid())
        return;
    do {
        if (IsDotEntry(entry.cFileName))
            continue;
        if (IsFolderEntry(entry))
            CollectFiles(folder + entry.cFileName + L"\\", files);
        else if (wcslen(entry.cFileName) >= kShortestListedName)
            files.push_back(folder + entry.cFileName);
    } while (find.Next(entry));
}

bool CreateDirectoryTree(const fw::WString& path)
{
    fw::WString full = path;
    if (!full.EndsWith(L"\\"))
        full += kSeparator;
    bool created = false;
    for (size_t at = full.Find(kSeparator); at != fw::WString::npos; at = full.Find(kSeparator, at + 1))
        created = ::CreateDirectoryW(full.Left(at).c_str(), nullptr) != FALSE;
    return created;
}

bool RemoveDirectoryTree(const fw::WString& folder)
{
    if (!PathExists(folder))
        return false;
    fw::WString base = folder;
    if (!base.EndsWith(L"\\"))
        base += kSeparator;
    {
        WIN32_FIND_DATAW entry;
        FindHandle find(base + L"*.*", entry);
        if (find.IsValid()) {
            do {
                if (IsDotEntry(entry.cFileName))
                    continue;
                fw::WString path = base + entry.cFileName;
                if (IsFolderEntry(entry))
                    RemoveDirectoryTree(path);
                else
                    ::DeleteFileW(path.c_str());
            } while (find.Next(entry));
        }
    }
    bool removed = ::RemoveDirectoryW(base.c_str()) != FALSE;
    fw::WString line = fw::WString::Format(removed ? L"RemoveDirectory ok:%ls\r\n" : L"RemoveDirectory failed:%ls\r\n",
                                           folder.c_str());
    ::OutputDebugStringW(line.c_str());
    return true;
}

bool PathExists(const fw::WString& path)
{
    if (IsDriveRoot(path))
        return true;
    // The search names the entry itself, so a folder is looked up without its trailing "\".
    fw::WString probe = path;
    if (probe.Length() > 1 && probe.EndsWith(L"\\"))
        probe = probe.Left(probe.Length() - 1);
    WIN32_FIND_DATAW entry;
    FindHandle find(probe, entry);
    return find.IsValid();
}

bool IsExistingFolder(const fw::WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
