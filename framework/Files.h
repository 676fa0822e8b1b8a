#pragma once
// What the updater and the file manager need of files beyond the platform's
// own calls: a copy that is on the disk when it returns, a file's size, and
// the free space where a folder is or is to be made.

#include "WString.h"

namespace fw {

// Copies source to target as the platform's file copy does (replacing a
// target that is there; the source's attributes and last-write time), then
// flushes the target to its volume. False with the failing call's last error
// (112 for a full disk, 32 for a file held open); the target may then be
// incomplete.
bool CopyFileFlushed(const WString& source, const WString& target);

// The size of a file; 0 when it is not there.
unsigned long long FileSizeOf(const WString& path);

// The bytes free to this program on the volume of the folder, or of the
// nearest folder above it that exists (a folder yet to be made). False when
// no folder of the path can be measured.
bool FreeSpaceFor(const WString& folder, unsigned long long& freeBytes);

}  // namespace fw
