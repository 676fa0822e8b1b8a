#pragma once
// A device for tests: a temporary folder with the device's volumes, reached
// through a Wine drive letter so that rooted device paths ("\Flash Disk\...")
// land inside it once the working directory is on that drive.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/Handles.h"

namespace testsupport {

// Runs a command with the machine's /bin/sh and waits for it; its exit status,
// or -1 when it could not be run.
int RunUnix(const std::wstring& command);
// A text quoted for the shell.
std::wstring ShellQuote(const std::wstring& text);
// The Wine path (Z:\...) of a Linux path, and the other way round for Z: paths.
std::wstring WinePathOfUnix(const std::wstring& unixPath);
// Linux folder for the tests' scratch files (TEST_TMP_ROOT), created on demand.
std::wstring UnixScratchRoot();

class Device {
public:
    // Makes "Flash Disk" and "Storage Card", and "硬盘" (the U disk) when asked.
    explicit Device(bool withUDisk = false);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    bool IsReady() const { return m_drive != 0; }
    wchar_t Drive() const { return m_drive; }
    // "P:\" for drive P.
    std::wstring Root() const;
    // The Windows path of a device path: "\Flash Disk\a" -> "P:\Flash Disk\a".
    std::wstring Path(const std::wstring& devicePath) const;
    // The Linux path of a device path.
    std::wstring UnixPath(const std::wstring& devicePath) const;

    // Makes the device the working drive of this process (undone by the destructor).
    void Enter();

    // Mounts a tmpfs of the given size at the device path (the folder is made).
    // False with the reason when mounting is not permitted here.
    bool MountSmallVolume(const std::wstring& devicePath, unsigned kilobytes, std::wstring* why);
    // Pulls a volume out: unmounts it if mounted and removes its folder tree.
    bool RemoveVolume(const std::wstring& devicePath);

    // Writes a file (folders made as needed).
    bool WriteFile(const std::wstring& devicePath, const std::string& bytes) const;
    bool ReadFile(const std::wstring& devicePath, std::string& bytes) const;
    bool Exists(const std::wstring& devicePath) const;

private:
    std::wstring m_unixRoot;
    wchar_t m_drive = 0;
    std::wstring m_previousDirectory;
    std::wstring m_mounts;  // shell-quoted mount points, unmounted at the end
};

// Holds a file open with share mode 0, as another program would.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path, bool create = false);
    bool IsHeld() const { return static_cast<bool>(m_handle); }

private:
    fw::KernelHandle m_handle;
};

// The bytes of a file, also while another program holds it open for writing.
bool ReadBytes(const std::wstring& path, std::string& bytes);
// The same, empty when the file cannot be read.
std::string FileBytes(const std::wstring& path);
// Every file and folder below a folder (its path ending with "\"), relative to
// it, depth first in the order the file system lists them.
void ListTree(const std::wstring& folder, std::vector<std::wstring>& files, std::vector<std::wstring>& folders);
// Every file below a folder (its path ending with "\"): relative path -> bytes.
std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder);

// Writes text as UTF-16LE, optionally after a byte-order mark.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text, bool byteOrderMark = false);
// Raw bytes.
bool WriteBytes(const std::wstring& path, const std::string& bytes);

}  // namespace testsupport
