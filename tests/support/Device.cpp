#include "Device.h"

#include <atomic>
#include <cstdlib>
#include <cwchar>

#include "framework/FileFinder.h"
#include "framework/Path.h"

namespace testsupport {

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[1024];
    DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

bool MakeFolders(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Quoted so that the Windows command-line rules give back exactly this argument.
std::wstring WindowsArgumentQuote(const std::wstring& text)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : text) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        if (ch == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

}  // namespace

std::wstring ShellQuote(const std::wstring& text)
{
    std::wstring quoted = L"'";
    for (wchar_t ch : text)
        quoted += ch == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, ch);
    return quoted + L"'";
}

std::wstring WinePathOfUnix(const std::wstring& unixPath)
{
    std::wstring path = L"Z:" + unixPath;
    for (wchar_t& ch : path)
        if (ch == L'/')
            ch = L'\\';
    return path;
}

std::wstring UnixScratchRoot()
{
    static std::wstring root;
    if (root.empty()) {
        root = Environment(L"TEST_TMP_ROOT");
        if (root.empty())
            root = L"/tmp/device-tests";
        MakeFolders(WinePathOfUnix(root));
    }
    return root;
}

int RunUnix(const std::wstring& command)
{
    // Wine cannot wait for a Linux process, so the command leaves its status in a marker file.
    static std::atomic<unsigned> counter{0};
    std::wstring marker = UnixScratchRoot() + L"/status-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(counter++);
    std::wstring markerWine = WinePathOfUnix(marker);
    DeleteFileW(markerWine.c_str());
    std::wstring script = L"(" + command + L") </dev/null >/dev/null 2>&1; echo $? > " + ShellQuote(marker + L".tmp") +
                          L" && mv " + ShellQuote(marker + L".tmp") + L" " + ShellQuote(marker);
    std::wstring commandLine = L"/bin/sh -c " + WindowsArgumentQuote(script);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(L"Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return -1;
    fw::KernelHandle process(info.hProcess);
    fw::KernelHandle thread(info.hThread);
    for (int waited = 0; waited < 30000; waited += 2) {
        std::string status;
        if (ReadBytes(markerWine, status)) {
            DeleteFileW(markerWine.c_str());
            return std::atoi(status.c_str());
        }
        Sleep(2);
    }
    return -1;
}

Device::Device(bool withUDisk)
{
    static std::atomic<unsigned> counter{0};
    std::wstring scratch = UnixScratchRoot();
    m_unixRoot = scratch + L"/device-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    std::wstring folders = ShellQuote(m_unixRoot + L"/Flash Disk") + L" " + ShellQuote(m_unixRoot + L"/Storage Card");
    if (withUDisk)
        folders += L" " + ShellQuote(m_unixRoot + L"/硬盘");
    if (RunUnix(L"rm -rf " + ShellQuote(m_unixRoot) + L" && mkdir -p " + folders) != 0)
        return;

    // Take the first free drive letter; ln fails when another test holds it.
    std::wstring devices = Environment(L"WINEPREFIX") + L"/dosdevices/";
    for (wchar_t letter = L'd'; letter <= L'y'; ++letter) {
        std::wstring link = devices + letter + L":";
        std::wstring take = L"ln -sT " + ShellQuote(m_unixRoot) + L" " + ShellQuote(link);
        // A link whose folder is gone was left behind by a crashed test: take it over.
        std::wstring stale = L"[ -L " + ShellQuote(link) + L" ] && [ ! -e " + ShellQuote(link) + L" ] && rm -f " +
                             ShellQuote(link) + L"; " + take;
        if (RunUnix(stale) == 0) {
            m_drive = static_cast<wchar_t>(letter - L'a' + L'A');
            break;
        }
    }
}

Device::~Device()
{
    if (!m_previousDirectory.empty())
        SetCurrentDirectoryW(m_previousDirectory.c_str());
    std::wstring cleanup;
    if (!m_mounts.empty())
        cleanup += L"umount -l " + m_mounts + L"; ";
    if (m_drive)
        cleanup += L"rm -f " + ShellQuote(Environment(L"WINEPREFIX") + L"/dosdevices/" +
                                          static_cast<wchar_t>(m_drive - L'A' + L'a') + L":") + L"; ";
    cleanup += L"rm -rf " + ShellQuote(m_unixRoot);
    RunUnix(cleanup);
}

std::wstring Device::Root() const
{
    return std::wstring(1, m_drive) + L":\\";
}

std::wstring Device::Path(const std::wstring& devicePath) const
{
    std::wstring relative = devicePath;
    if (!relative.empty() && relative[0] == L'\\')
        relative.erase(0, 1);
    return Root() + relative;
}

std::wstring Device::UnixPath(const std::wstring& devicePath) const
{
    std::wstring path = m_unixRoot + devicePath;
    for (wchar_t& ch : path)
        if (ch == L'\\')
            ch = L'/';
    return path;
}

void Device::Enter()
{
    wchar_t current[MAX_PATH];
    if (m_previousDirectory.empty() && GetCurrentDirectoryW(MAX_PATH, current))
        m_previousDirectory = current;
    SetCurrentDirectoryW(Root().c_str());
}

bool Device::MountSmallVolume(const std::wstring& devicePath, unsigned kilobytes, std::wstring* why)
{
    std::wstring target = ShellQuote(UnixPath(devicePath));
    int status = RunUnix(L"mkdir -p " + target + L" && mount -t tmpfs -o size=" + std::to_wstring(kilobytes) +
                         L"k tmpfs " + target);
    if (status != 0) {
        if (why)
            *why = L"mounting a tmpfs is not permitted on this machine (mount exit status " +
                   std::to_wstring(status) + L")";
        return false;
    }
    m_mounts += L" " + target;
    return true;
}

bool Device::RemoveVolume(const std::wstring& devicePath)
{
    std::wstring target = ShellQuote(UnixPath(devicePath));
    return RunUnix(L"if mountpoint -q " + target + L"; then umount -l " + target + L"; fi; rm -rf " + target) == 0;
}

bool Device::WriteFile(const std::wstring& devicePath, const std::string& bytes) const
{
    std::wstring path = Path(devicePath);
    fw::WString folder = fw::FolderOf(path);
    if (folder.Length() > Root().size())
        MakeFolders(fw::WithoutFinalBackslash(folder).str());
    return WriteBytes(path, bytes);
}

bool Device::ReadFile(const std::wstring& devicePath, std::string& bytes) const
{
    return ReadBytes(Path(devicePath), bytes);
}

bool Device::Exists(const std::wstring& devicePath) const
{
    return GetFileAttributesW(Path(devicePath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HeldFile::HeldFile(const std::wstring& path, bool create)
    : m_handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

bool ReadBytes(const std::wstring& path, std::string& bytes)
{
    bytes.clear();
    fw::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    char buffer[65536];
    DWORD got = 0;
    bool ok;
    while ((ok = ::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
        bytes.append(buffer, got);
    return ok;
}

std::string FileBytes(const std::wstring& path)
{
    std::string bytes;
    ReadBytes(path, bytes);
    return bytes;
}

namespace {

void ListBelow(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>& files,
               std::vector<std::wstring>& folders)
{
    fw::FileFinder find(root + relative + L"*");
    if (!find.IsOpen())
        return;
    do {
        if (find.IsDots())
            continue;
        std::wstring path = relative + find.Name();
        if (find.IsFolder()) {
            folders.push_back(path);
            ListBelow(root, path + L"\\", files, folders);
        } else {
            files.push_back(path);
        }
    } while (find.Next());
}

}  // namespace

void ListTree(const std::wstring& folder, std::vector<std::wstring>& files, std::vector<std::wstring>& folders)
{
    ListBelow(folder, L"", files, folders);
}

std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder)
{
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
    ListTree(folder, files, folders);
    std::map<std::wstring, std::string> contents;
    for (const std::wstring& file : files)
        contents[file] = FileBytes(folder + file);
    return contents;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    fw::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text, bool byteOrderMark)
{
    std::string bytes;
    if (byteOrderMark)
        bytes += "\xFF\xFE";
    for (wchar_t ch : text) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>((ch >> 8) & 0xFF);
    }
    return WriteBytes(path, bytes);
}

}  // namespace testsupport
