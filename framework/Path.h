#pragma once
// Device paths: "\" separators, no drive letters, folders end with "\" and
// are joined to names by plain concatenation.

#include "WString.h"

namespace fw {

constexpr wchar_t kPathSeparator = L'\\';

// The part after the last "\" (the whole path when it has none).
WString FileNameOf(const WString& path);
// The part up to and including the last "\" (empty when it has none).
WString FolderOf(const WString& path);
// The folder with a final "\" (an empty folder becomes "\").
WString WithFinalBackslash(const WString& folder);
// The folder without its final "\" when it has one.
WString WithoutFinalBackslash(const WString& folder);
// folder + "\" (when it lacks one) + name.
WString JoinPath(const WString& folder, const WString& name);

}  // namespace fw
