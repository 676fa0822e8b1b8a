#pragma once
// Folder trees as the update run sees them: listing a release, creating and
// removing folders, and telling whether a path is there. Paths are device
// paths; folder values end with "\" and are used as plain prefixes.

#include <vector>

#include "framework/WString.h"

class UpdateLog;

// Full paths of files, in the order they were listed.
using FileList = std::vector<fw::WString>;
// The sizes of the files of a list, in its order.
using FileSizes = std::vector<unsigned long long>;

// Appends the files below the folder (ending with "\") to the list, depth
// first in the order the file system returns them. Names of at most 4
// characters are left out: they are never part of a release. With sizes,
// each listed file's size as the listing found it is appended there.
void CollectFiles(const fw::WString& folder, FileList& files, FileSizes* sizes = nullptr);

// Creates every missing level of the folder path. Failures, also for levels
// that exist, are ignored; the result is that of the last attempt.
bool CreateDirectoryTree(const fw::WString& path);

// Deletes the folder with everything in it and writes one line about the
// folder itself to the debug output. False only when the folder is not there.
// Each file or folder that stays is noted in the log, when there is one.
bool RemoveDirectoryTree(const fw::WString& folder, UpdateLog* log = nullptr);

// True when a search finds the path itself, with or without a trailing "\".
// A drive root from "B:\" to "Y:\" always counts as there.
bool PathExists(const fw::WString& path);

// Takes the read-only attribute off a file that carries it (releases from
// write-protected media do), so that the file can be deleted or overwritten.
// Nothing else of the file changes. True when there was such an attribute to
// take off, false also for a missing file.
bool ClearReadOnly(const fw::WString& path);

// True when the path names an existing folder.
bool IsExistingFolder(const fw::WString& path);
