// update.ini: the streaming reader against a plain reading of the whole file,
// and the settings the updater takes from its table.
#include <windows.h>

#include <climits>
#include <cstdio>

#include "Fuzz.h"
#include "FuzzFiles.h"
#include "UpdateApp.h"

namespace {

using fuzz::Bytes;

// The file's lines read at once: UTF-16LE units, a last odd byte dropped,
// lines ending at LF, every CR dropped, entries split at the first "=" when
// something stands before it.
SettingsTable PlainReading(const Bytes& bytes)
{
    SettingsTable table;
    std::wstring line;
    auto endLine = [&] {
        const size_t equals = line.find(L'=');
        if (equals != std::wstring::npos && equals > 0)
            table.push_back({fw::WString(line.substr(0, equals)), fw::WString(line.substr(equals + 1))});
        line.clear();
    };
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const wchar_t unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[at]) |
                                                  (static_cast<unsigned char>(bytes[at + 1]) << 8));
        if (unit == L'\n')
            endLine();
        else if (unit != L'\r')
            line += unit;
    }
    endLine();
    return table;
}

// The C rules of a decimal integer (strtol with a 32-bit long): leading white
// space, a sign, digits; out of range gives the limit of its sign.
int32_t CInteger(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int32_t>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int32_t>(value);
}

std::string AnsiText(const fw::WString& text)
{
    std::string ansi = text.ToAnsi();
    // The integer reading stops at the first zero byte, as a C text does.
    const size_t zero = ansi.find('\0');
    return zero == std::string::npos ? ansi : ansi.substr(0, zero);
}

}  // namespace

FUZZ_SEEDS(update_ini)
{
    return {
        fuzz::Utf16(L"UpdateSrcPath=\\硬盘\\Q9Soft\\\r\nUpdateDstPath=\\Flash Disk\\Q9Soft\\\r\n"
                    L"ExeFullName=\\Flash Disk\\Q9Soft\\Q9Main.exe\r\nStartExeWhenUpdateOver=1\r\n"
                    L"UI_LANGUAGE=0\r\nTempPath=\\Flash Disk\\temp\\\r\n"),
        "\xFF\xFE" + fuzz::Utf16(L"\r\nUI_LANGUAGE= 1x\r\nStartExeWhenUpdateOver=-2147483649\r\nTempPath=\r\n"
                                 L"UpdateSrcPath = a\nUpdateSrcPath=b\rc\n=x\r\nExeFullName=a=b\r\n"),
        fuzz::Utf16(L"UI_LANGUAGE=+0001\nStartExeWhenUpdateOver=99999999999\nUpdateDstPath=中文\\"),
    };
}

FUZZ_WORDS(update_ini)
{
    return {fuzz::Utf16(L"UpdateSrcPath="), fuzz::Utf16(L"UpdateDstPath="), fuzz::Utf16(L"ExeFullName="),
            fuzz::Utf16(L"StartExeWhenUpdateOver="), fuzz::Utf16(L"UI_LANGUAGE="), fuzz::Utf16(L"TempPath="),
            fuzz::Utf16(L"\r\n"), fuzz::Utf16(L"-2147483648"), fuzz::Utf16(L"4294967296"), fuzz::Utf16(L"１")};
}

FUZZ_TARGET(update_ini, 2500, "update.ini: the reader against a plain reading, the settings from its lines")
{
    const fw::WString path = fuzz::ScratchFile(L"update.ini");
    if (!fuzz::WriteBytes(path, input))
        return "cannot write the scratch file";

    UpdateApp app;
    if (!app.ReadUpdateSettings(path))
        return "an existing file read as missing or unreadable";
    const SettingsTable& table = app.Settings().table;
    const SettingsTable plain = PlainReading(input);
    if (table.size() != plain.size())
        return fuzz::Finding("entries: ", table.size(), " against ", plain.size());
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].key != plain[i].key || table[i].value != plain[i].value)
            return fuzz::Finding("entry differs: ", i, " ", table[i].key.str(), " against ", plain[i].key.str());

    app.ApplySettingsTable();
    const UpdateSettings& settings = app.Settings();
    // Every setting is its default or the value of the first line of its key.
    auto value = [&](const wchar_t* key) { return LookupSetting(plain, key); };
    if (settings.updateSrcPath != value(L"UpdateSrcPath") || settings.updateDstPath != value(L"UpdateDstPath") ||
        settings.exeFullName != value(L"ExeFullName"))
        return "a path setting is not the value of its line";
    const fw::WString temp = value(L"TempPath");
    if (settings.tempPath != (temp.IsEmpty() ? fw::WString(L"\\Flash Disk\\temp\\") : temp))
        return fuzz::Finding("TempPath is ", settings.tempPath.str());
    const int32_t language = CInteger(AnsiText(value(L"UI_LANGUAGE")));
    if (settings.uiLanguage != language)
        return fuzz::Finding("UI_LANGUAGE is ", settings.uiLanguage, " against ", language);
    const int32_t start = CInteger(AnsiText(value(L"StartExeWhenUpdateOver")));
    if (settings.startExeWhenUpdateOver != start)
        return fuzz::Finding("StartExeWhenUpdateOver is ", settings.startExeWhenUpdateOver, " against ", start);
    return {};
}
