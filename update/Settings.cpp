#include "Settings.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

constexpr wchar_t kCR = L'\r';
constexpr wchar_t kLF = L'\n';

// Splits the text into lines as it arrives. A line ends at CR LF and, since
// people edit this file with all sorts of editors, at a lone LF as well; a CR
// that is not part of a line end is dropped, like every CR.
class LineSplitter {
public:
    explicit LineSplitter(SettingsTable& table) : m_table(table) {}

    void Add(wchar_t ch)
    {
        if (ch == kLF)
            EndLine();
        else if (ch != kCR)
            m_line += ch;
    }

    void Finish() { EndLine(); }

private:
    void EndLine()
    {
        size_t equals = m_line.find(L'=');
        if (equals != std::wstring::npos && equals != 0)
            m_table.push_back({fw::WString(m_line.substr(0, equals)), fw::WString(m_line.substr(equals + 1))});
        m_line.clear();
    }

    SettingsTable& m_table;
    std::wstring m_line;
};

}  // namespace

fw::KernelHandle OpenSettingsFile(const fw::WString& path)
{
    // Writing is shared too: a file that an editor holds open is still read.
    return fw::KernelHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool LoadSettingsTable(const fw::WString& path, SettingsTable& table)
{
    fw::KernelHandle file = OpenSettingsFile(path);
    if (!file)
        return false;

    bool ok = true;
    try {
        LineSplitter splitter(table);
        unsigned char buffer[64 * 1024];
        bool haveOddByte = false;
        unsigned char oddByte = 0;
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
                ok = false;
                break;
            }
            if (got == 0)
                break;
            DWORD at = 0;
            if (haveOddByte) {
                splitter.Add(static_cast<wchar_t>(oddByte | (buffer[0] << 8)));
                haveOddByte = false;
                at = 1;
            }
            for (; at + 1 < got; at += 2)
                splitter.Add(static_cast<wchar_t>(buffer[at] | (buffer[at + 1] << 8)));
            if (at < got) {
                oddByte = buffer[at];
                haveOddByte = true;
            }
        }
        // A last odd byte is half a character and is dropped.
        if (ok)
            splitter.Finish();
    } catch (const std::bad_alloc&) {
        ok = false;  // a file too large to hold counts as unreadable
    }
    return ok;
}

fw::WString LookupSetting(const SettingsTable& table, const fw::WString& key)
{
    for (const SettingEntry& entry : table)
        if (entry.key == key)
            return entry.value;
    return fw::WString();
}

int32_t ReadSettingInteger(const fw::WString& value)
{
    std::string ansi = value.ToAnsi();
    return static_cast<int32_t>(std::strtol(ansi.c_str(), nullptr, 10));
}
