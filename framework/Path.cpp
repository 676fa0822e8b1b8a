#include "Path.h"

namespace fw {

WString FileNameOf(const WString& path)
{
    size_t slash = path.ReverseFind(kPathSeparator);
    return slash == WString::kNoPosition ? path : path.Mid(slash + 1);
}

WString FolderOf(const WString& path)
{
    size_t slash = path.ReverseFind(kPathSeparator);
    return slash == WString::kNoPosition ? WString() : path.Left(slash + 1);
}

WString WithFinalBackslash(const WString& folder)
{
    if (!folder.IsEmpty() && folder[folder.Length() - 1] == kPathSeparator)
        return folder;
    WString result = folder;
    result += kPathSeparator;
    return result;
}

WString WithoutFinalBackslash(const WString& folder)
{
    if (!folder.IsEmpty() && folder[folder.Length() - 1] == kPathSeparator)
        return folder.Left(folder.Length() - 1);
    return folder;
}

WString JoinPath(const WString& folder, const WString& name)
{
    return WithFinalBackslash(folder) + name;
}

}  // namespace fw
