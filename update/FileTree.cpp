#include "FileTree.h"

#include <windows.h>

#include "UpdateLog.h"
#include "framework/FileFinder.h"
#include "framework/Path.h"

namespace {

constexpr size_t kShortestListedName = 5;  // shorter file names are not part of a release

bool IsDriveRoot(const fw::WString& path)
{
    if (path.Length() != 3 || path[1] != L':' || path[2] != fw::kPathSeparator)
        return false;
    wchar_t letter = path[0];
    return (letter >= L'B' && letter <= L'Y') || (letter >= L'b' && letter <= L'y');
}

void NoteNotRemoved(UpdateLog* log, const fw::WString& path)
{
    const DWORD error = ::GetLastError();
    if (log)
        log->Write(L"failed removing " + UpdateLog::Quoted(path) + fw::WString::Format(L" error=%lu", error));
}

}  // namespace

void CollectFiles(const fw::WString& folder, FileList& files, FileSizes* sizes)
{
    // The folder is a plain prefix: names are appended to it as it stands.
    fw::FileFinder find(folder + L"*.*");
    if (!find.IsOpen())
        return;
    do {
        if (find.IsDots())
            continue;
        if (find.IsFolder()) {
            CollectFiles(fw::WithFinalBackslash(folder + find.Name()), files, sizes);
        } else if (wcslen(find.Name()) >= kShortestListedName) {
            files.push_back(folder + find.Name());
            if (sizes)
                sizes->push_back(find.Size());
        }
    } while (find.Next());
}

bool CreateDirectoryTree(const fw::WString& path)
{
    fw::WString full = fw::WithFinalBackslash(path);
    bool created = false;
    for (size_t at = full.Find(fw::kPathSeparator); at != fw::WString::kNoPosition; at = full.Find(fw::kPathSeparator, at + 1))
        created = ::CreateDirectoryW(full.Left(at).c_str(), nullptr) != FALSE;
    return created;
}

bool RemoveDirectoryTree(const fw::WString& folder, UpdateLog* log)
{
    if (!PathExists(folder))
        return false;
    fw::WString base = fw::WithFinalBackslash(folder);
    fw::FileFinder find(base + L"*.*");
    if (find.IsOpen()) {
        do {
            if (find.IsDots())
                continue;
            fw::WString path = base + find.Name();
            if (find.IsFolder()) {
                RemoveDirectoryTree(path, log);
            } else if (!::DeleteFileW(path.c_str())) {
                // A read-only file refuses deletion until its attribute is off.
                const DWORD error = ::GetLastError();
                if (!ClearReadOnly(path))
                    ::SetLastError(error);
                else if (::DeleteFileW(path.c_str()))
                    continue;
                NoteNotRemoved(log, path);
            }
        } while (find.Next());  // the finder is closed once the listing ends
    }
    bool removed = ::RemoveDirectoryW(base.c_str()) != FALSE;
    if (!removed)
        NoteNotRemoved(log, base);
    fw::WString line = fw::WString::Format(removed ? L"RemoveDirectory ok:%ls\r\n" : L"RemoveDirectory failed:%ls\r\n",
                                           folder.c_str());
    ::OutputDebugStringW(line.c_str());
    return true;
}

bool PathExists(const fw::WString& path)
{
    if (IsDriveRoot(path))
        return true;
    // The search names the entry itself, so a folder is looked up without its
    // trailing "\" (a lone "\" stays as it is).
    fw::WString probe = path.Length() > 1 ? fw::WithoutFinalBackslash(path) : path;
    return fw::FileFinder(probe).IsOpen();
}

bool ClearReadOnly(const fw::WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool IsExistingFolder(const fw::WString& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
