#include "ProfileReader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "framework/Handles.h"

namespace {

// The reader's buffer holds 260 characters with the terminator.
constexpr size_t kPieceLength = 259;
// Bytes read at a time, and bytes of one line converted at a time.
constexpr DWORD kReadLength = 16384;
constexpr size_t kConvertLength = 4096;

// Where the converted part of a long line may end: after a byte that ends a
// character whatever came before it, so that converting a line in parts
// gives what converting it whole gives. In a double-byte code page that is
// any byte that cannot lead a pair (a pair's second byte or a character of
// its own); a run of lead bytes pairs up from its start. Elsewhere a byte
// below 0x80 is a character of its own.
size_t SafeCut(const std::string& bytes, const CPINFO& codePage)
{
    if (codePage.MaxCharSize == 1)
        return bytes.size();
    const bool doubleByte = codePage.MaxCharSize == 2;
    for (size_t at = bytes.size(); at > 0; --at) {
        const auto byte = static_cast<unsigned char>(bytes[at - 1]);
        if (doubleByte ? !::IsDBCSLeadByte(byte) : byte < 0x80)
            return at;
    }
    return doubleByte ? bytes.size() & ~static_cast<size_t>(1) : bytes.size();
}

// Cuts the converted text of each line into pieces and hands every piece that
// counts to visit, until visit returns false.
template <class Visit>
class PieceCutter {
public:
    explicit PieceCutter(Visit& visit) : m_visit(visit) { m_piece.reserve(kPieceLength); }

    bool Stopped() const { return m_stopped; }
    void Add(const wchar_t* text, size_t length)
    {
        for (size_t at = 0; at < length && !m_stopped; ++at) {
            m_piece += text[at];
            if (m_piece.size() == kPieceLength)
                Hand();
        }
    }
    void EndLine()
    {
        if (!m_piece.empty() && !m_stopped)
            Hand();
    }

private:
    void Hand()
    {
        const size_t zero = m_piece.find(L'\0');
        if (zero != std::wstring::npos)
            m_piece.resize(zero);
        if (!m_piece.empty() && m_piece[0] != L';') {
            if (m_piece.back() == L'\n')
                m_piece.pop_back();
            if (!m_piece.empty() && !m_visit(m_piece))
                m_stopped = true;
        }
        m_piece.clear();
    }

    Visit& m_visit;
    std::wstring m_piece;
    bool m_stopped = false;
};

// Hands every line that counts to visit, in file order, until visit returns
// false; false when the file cannot be read. The file is read and converted
// in bounded parts: a line without end is converted a few kilobytes at a time.
template <class Visit>
bool ForEachLine(const fw::WString& path, Visit visit)
{
    fw::KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    CPINFO codePage{};
    if (!::GetCPInfo(CP_ACP, &codePage))
        codePage.MaxCharSize = 2;
    PieceCutter<Visit> pieces(visit);
    std::string line;  // bytes of the line not converted yet
    std::wstring wide(kConvertLength, L'\0');
    bool lineStarted = false;
    const auto convert = [&](size_t count) {
        const int made = count == 0 ? 0
                                    : ::MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(count), &wide[0],
                                                            static_cast<int>(wide.size()));
        pieces.Add(wide.data(), made > 0 ? static_cast<size_t>(made) : 0);
        line.erase(0, count);
    };
    char buffer[kReadLength];
    DWORD got = 0;
    while (!pieces.Stopped() && ::ReadFile(file.Get(), buffer, kReadLength, &got, nullptr) && got > 0) {
        for (size_t at = 0; at < got && !pieces.Stopped();) {
            if (line.size() >= kConvertLength)
                convert(SafeCut(line, codePage));
            const size_t room = std::min<size_t>(kConvertLength - line.size(), got - at);
            const void* feed = std::memchr(buffer + at, '\n', room);
            const size_t take = feed ? static_cast<const char*>(feed) - (buffer + at) + 1 : room;
            line.append(buffer + at, take);
            at += take;
            lineStarted = true;
            if (feed) {
                convert(line.size());
                pieces.EndLine();
                lineStarted = false;
            }
        }
    }
    if (lineStarted && !pieces.Stopped()) {
        convert(line.size());
        pieces.EndLine();
    }
    return true;
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
    bool inSection = false;
    return ForEachLine(file, [&](const std::wstring& line) {
        if (!inSection) {
            inSection = IsSectionLine(line, section.str());
            return true;
        }
        return line[0] != L'[' && visit(line);
    });
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

namespace {

size_t HashOf(std::wstring_view key)
{
    size_t hash = 2166136261u;
    for (wchar_t ch : key)
        hash = (hash ^ static_cast<size_t>(ch)) * 16777619u;
    return hash;
}

}  // namespace

size_t ProfileSection::SlotOf(std::wstring_view key) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = HashOf(key) & mask;; slot = (slot + 1) & mask)
        if (m_slots[slot] == 0 || KeyOf(m_entries[m_slots[slot] - 1]) == key)
            return slot;
}

// Keeps at least half of the slots empty, so that a search ends soon.
void ProfileSection::Grow()
{
    if (!m_slots.empty() && (m_entries.size() + 1) * 2 <= m_slots.size())
        return;
    m_slots.assign(std::max<size_t>(64, m_slots.size() * 2), 0);
    for (size_t index = 0; index < m_entries.size(); ++index)
        m_slots[SlotOf(KeyOf(m_entries[index]))] = index + 1;
}

void ProfileSection::Want(const fw::WString& key)
{
    // A key that leaves no room for its "=" in a line is never found.
    if (key.Length() >= m_keyLengths.size())
        return;
    Grow();
    const size_t slot = SlotOf(key.str());
    if (m_slots[slot] != 0)
        return;
    m_entries.push_back(Entry{m_keys.size(), key.Length()});
    m_keys += key.str();
    m_slots[slot] = m_entries.size();
    m_keyLengths.set(key.Length());
}

bool ProfileSection::Load(const fw::WString& file, const fw::WString& section)
{
    for (Entry& entry : m_entries)
        entry.found = false;
    m_values.clear();
    size_t missing = m_entries.size();
    return ForEachSectionLine(file, section, [&](const std::wstring& line) {
        // The line answers every wanted key that ends right before one of its "=", if none has yet.
        for (size_t equals = line.find(L'='); equals != std::wstring::npos; equals = line.find(L'=', equals + 1)) {
            if (!m_keyLengths.test(equals))
                continue;
            const size_t index = m_slots[SlotOf(std::wstring_view(line).substr(0, equals))];
            if (index == 0 || m_entries[index - 1].found)
                continue;
            Entry& entry = m_entries[index - 1];
            entry.valueAt = m_values.size();
            entry.valueLength = line.size() - equals - 1;
            entry.found = true;
            m_values.append(line, equals + 1, std::wstring::npos);
            --missing;
        }
        return missing > 0;
    });
}

fw::WString ProfileSection::Get(const fw::WString& key, const fw::WString& defaultValue) const
{
    std::wstring_view value;
    return Find(key, &value) ? fw::WString(value.data(), value.size()) : defaultValue;
}

bool ProfileSection::Find(const fw::WString& key, std::wstring_view* value) const
{
    if (m_slots.empty())
        return false;
    const size_t index = m_slots[SlotOf(key.str())];
    if (index == 0 || !m_entries[index - 1].found)
        return false;
    const Entry& entry = m_entries[index - 1];
    *value = std::wstring_view(m_values).substr(entry.valueAt, entry.valueLength);
    return true;
}
