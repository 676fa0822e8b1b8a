#include "ProfileReader.h"

#include <windows.h>

#include "framework/Handles.h"

namespace {

// The reader's buffer holds 260 characters with the terminator.
constexpr size_t kPieceLength = 259;

bool ReadWholeFile(const fw::WString& path, std::string& bytes)
{
    fw::KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    bytes.clear();
    char buffer[16384];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return true;
}

std::wstring FromAnsi(const char* text, size_t length)
{
    if (length == 0)
        return std::wstring();
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), &wide[0], needed);
    return wide;
}

// Hands every line that counts to visit, in file order, until visit returns false.
template <class Visit>
void ForEachLine(const std::string& bytes, Visit visit)
{
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        const std::wstring line = FromAnsi(bytes.data() + start, end - start);
        start = end;
        for (size_t at = 0; at < line.size(); at += kPieceLength) {
            std::wstring piece = line.substr(at, kPieceLength);
            const size_t zero = piece.find(L'\0');
            if (zero != std::wstring::npos)
                piece.resize(zero);
            if (piece.empty() || piece[0] == L';')
                continue;
            if (piece.back() == L'\n')
                piece.pop_back();
            if (piece.empty())
                continue;
            if (!visit(piece))
                return;
        }
    }
}

bool IsSectionLine(const std::wstring& line, const std::wstring& section)
{
    return line[0] == L'[' && line.size() > section.size() + 1 && line.compare(1, section.size(), section) == 0 &&
           line[section.size() + 1] == L']';
}

// Hands every line of the section to visit, until it returns false.
template <class Visit>
bool ForEachSectionLine(const fw::WString& file, const fw::WString& section, Visit visit)
{
    std::string bytes;
    if (!ReadWholeFile(file, bytes))
        return false;
    bool inSection = false;
    ForEachLine(bytes, [&](const std::wstring& line) {
        if (!inSection) {
            inSection = IsSectionLine(line, section.str());
            return true;
        }
        return line[0] != L'[' && visit(line);
    });
    return true;
}

}  // namespace

fw::WString ReadProfileString(const fw::WString& section, const fw::WString& key, const fw::WString& defaultValue,
                              const fw::WString& file)
{
    const std::wstring& name = key.str();
    fw::WString value = defaultValue;
    ForEachSectionLine(file, section, [&](const std::wstring& line) {
        if (line.size() < name.size() + 1 || line[name.size()] != L'=' || line.compare(0, name.size(), name) != 0)
            return true;
        value = fw::WString(line.substr(name.size() + 1));
        return false;
    });
    return value;
}

bool ProfileSection::Load(const fw::WString& file, const fw::WString& section)
{
    m_values.clear();
    return ForEachSectionLine(file, section, [this](const std::wstring& line) {
        // A line gives its value to every key that ends right before one of its "=".
        for (size_t equals = line.find(L'='); equals != std::wstring::npos; equals = line.find(L'=', equals + 1))
            m_values.emplace(line.substr(0, equals), line.substr(equals + 1));
        return true;
    });
}

fw::WString ProfileSection::Get(const fw::WString& key, const fw::WString& defaultValue) const
{
    auto found = m_values.find(key.str());
    return found == m_values.end() ? defaultValue : fw::WString(found->second);
}
