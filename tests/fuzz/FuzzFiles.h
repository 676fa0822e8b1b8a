#pragma once
// Files of the driver: scratch files for targets that read from the disk, and inputs written out.
#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "framework/WString.h"

namespace fuzz {

// A file of this process in the temporary folder.
inline fw::WString ScratchFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return fw::WString(folder) + fw::WString::Format(L"fuzz-%lu-", ::GetCurrentProcessId()) + name;
}

inline bool WriteBytes(const fw::WString& path, const std::string& bytes)
{
    fw::KernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace fuzz
