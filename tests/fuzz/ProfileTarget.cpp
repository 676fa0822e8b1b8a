// upload.ini: the per-key reader and the one-pass section of the listing
// must give the answer of a plain reading by the rules for every key of every file.
#include <windows.h>

#include <algorithm>
#include <set>

#include "Fuzz.h"
#include "FuzzFiles.h"
#include "ProfileReader.h"

namespace {

using fuzz::Bytes;

const wchar_t kMissing[] = L"\x01missing";

std::wstring FromAnsi(const Bytes& bytes)
{
    return fw::WString::FromAnsi(bytes.data(), static_cast<int>(bytes.size())).str();
}

// Section names and keys that the file suggests: every "[name]" and every
// text before an "=" of any line, with near misses of each.
void Candidates(const Bytes& input, std::set<std::wstring>& sections, std::set<std::wstring>& keys)
{
    const std::wstring text = FromAnsi(input);
    size_t start = 0;
    while (start <= text.size() && keys.size() < 64) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == L'[') {
            const size_t close = line.find(L']');
            if (close != std::wstring::npos && sections.size() < 8)
                sections.insert(line.substr(1, close - 1));
        }
        const size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            const std::wstring key = line.substr(0, equals);
            keys.insert(key);
            if (!key.empty())
                keys.insert(key.substr(0, key.size() - 1));
            keys.insert(key + L"=");
        }
    }
    sections.insert(L"result");
    keys.insert(L"");
}

// The value by the rules, read plainly: lines end with a line feed and are
// converted one by one, each cut into pieces of 259 characters; a piece ends
// at a zero; empty pieces and ";" pieces are skipped, then the final line feed.
std::wstring PlainValue(const Bytes& input, const std::wstring& section, const std::wstring& key)
{
    bool inSection = false;
    for (size_t start = 0, end = 0; start < input.size(); start = end) {
        end = std::find(input.begin() + static_cast<std::ptrdiff_t>(start), input.end(), '\n') - input.begin();
        end += end < input.size();
        const std::wstring line = fw::WString::FromAnsi(&input[start], static_cast<int>(end - start)).str();
        for (size_t at = 0; at < line.size(); at += 259) {
            std::wstring piece = line.substr(at, 259);
            piece = piece.substr(0, piece.find(L'\0'));
            if (piece.empty() || piece[0] == L';')
                continue;
            if (piece.back() == L'\n')
                piece.pop_back();
            if (piece.empty())
                continue;
            if (!inSection)
                inSection = piece.rfind(L"[" + section + L"]", 0) == 0;
            else if (piece[0] == L'[')
                return kMissing;
            else if (piece.rfind(key + L"=", 0) == 0)
                return piece.substr(key.size() + 1);
        }
    }
    return kMissing;
}

}  // namespace

FUZZ_SEEDS(profile)
{
    return {
        "[result]\r\nGirder-01.dat=2024-03-08 12:10##uploaded\r\nBearing-01.dat=2024-03-09 09:05##failed\r\n",
        "[result]\r\n\xBA\xB8\xB7\xEC\x41\x30\x31.dat=2024-05-02 18:00##\xD2\xD1\xC9\xCF\xB4\xAB\r\n"
        "\xBA\xB8\xB7\xEC\x41\x30\x32.dat=2024-05-03 08:30##\xC9\xCF\xB4\xAB\xCA\xA7\xB0\xDC\r\n",
        "; written by the host\n[other]\na.dat=x\n[result]\n;a.dat=commented\na.dat=1##2\na.dat=second\n"
        "b=c=d\n=empty key\n[result]\nc.dat=second section\n",
        "[resultx]\nq=1\n[result\nr=2\n[result]x\ns=3\n",
    };
}

FUZZ_WORDS(profile)
{
    return {"[result]", "[result]\n", "a.dat=", "##", "=", "\xD6\xD0", "\xBA\xB8\xB7\xEC", "\n[", "\r\n;"};
}

FUZZ_TARGET(profile, 800, "upload.ini: ReadProfileString against the one-pass ProfileSection")
{
    const fw::WString path = fuzz::ScratchFile(L"upload.ini");
    if (!fuzz::WriteBytes(path, input))
        return "cannot write the scratch file";
    std::set<std::wstring> sections;
    std::set<std::wstring> keys;
    Candidates(input, sections, keys);
    // The per-key reader reads the whole file each time: fewer keys for big files.
    const size_t keyLimit = input.size() > (64 << 10) ? 3 : keys.size();

    for (const std::wstring& section : sections) {
        ProfileSection once;
        for (const std::wstring& key : keys)
            once.Want(key);
        if (!once.Load(path, section))
            return "an existing file could not be read";
        size_t tried = 0;
        for (const std::wstring& key : keys) {
            if (tried++ == keyLimit)
                break;
            const fw::WString perKey = ReadProfileString(section, key, kMissing, path);
            const fw::WString fromSection = once.Get(key, kMissing);
            const std::wstring plain = PlainValue(input, section, key);
            if (perKey != plain || fromSection != plain)
                return fuzz::Finding("values differ: [", section, "] ", key, ": ", perKey.str(), " and ",
                                     fromSection.str(), " against ", plain);
        }
    }
    return {};
}
