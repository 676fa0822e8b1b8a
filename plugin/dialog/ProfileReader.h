#pragma once
// The reader of upload.ini, a profile in the ANSI code page that another
// program writes: "[section]" lines, "key=value" lines, ";" comments.
//
// The rules, shared by both readers below: the file is read in lines ending
// with a line feed, each converted from the ANSI code page and taken in pieces
// of at most 259 characters, every piece counting as a line of its own; a
// piece ends at a zero character; empty pieces and those beginning with ";"
// are skipped; a final line feed is removed and what is then empty skipped;
// nothing else is trimmed (a carriage return before the line feed stays).
// The section is the first line beginning with "[" + name + "]"; the next
// line beginning with "[" ends it. In it, the first line that begins with
// key + "=" gives the value: the rest of that line. Names and keys are
// compared exactly.
//
// The file is read in pieces of bounded size, whatever its lines: what a
// reader holds grows with the keys asked for, not with the file.

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

#include "framework/WString.h"

// The value of one key, reading the file for it; the default when the file,
// the section or the key is missing.
fw::WString ReadProfileString(const fw::WString& section, const fw::WString& key, const fw::WString& defaultValue,
                              const fw::WString& file);

// One section read once for the keys asked for beforehand: for each of them
// the same answer as ReadProfileString.
//
//     ProfileSection uploads;
//     uploads.Want(L"F01.abc");
//     uploads.Load(folder + L"/upload.ini", L"result");
//     uploads.Get(L"F01.abc", fw::WString());
class ProfileSection {
public:
    void Want(const fw::WString& key);
    // False when the file cannot be read; the wanted keys keep no value then.
    bool Load(const fw::WString& file, const fw::WString& section);
    // The value of a wanted key; the default for a key not found or not wanted.
    fw::WString Get(const fw::WString& key, const fw::WString& defaultValue) const;
    // The same without a copy, valid until the next Want or Load: false for a
    // key not found or not wanted.
    bool Find(const fw::WString& key, std::wstring_view* value) const;

private:
    // A listing asks for thousands of keys: they and their values are kept
    // one after another in two texts, found through a table of their places.
    struct Entry {
        size_t keyAt;  // in m_keys
        size_t keyLength;
        size_t valueAt = 0;  // in m_values, once found
        size_t valueLength = 0;
        bool found = false;
    };
    std::wstring_view KeyOf(const Entry& entry) const
    {
        return std::wstring_view(m_keys).substr(entry.keyAt, entry.keyLength);
    }
    // The slot of the key in m_slots, or the empty one where it would go.
    size_t SlotOf(std::wstring_view key) const;
    void Grow();

    std::wstring m_keys;
    std::wstring m_values;
    std::vector<Entry> m_entries;
    std::vector<size_t> m_slots;  // an entry's index + 1; 0 for none
    // The lengths of the wanted keys that a line can hold before its "=".
    std::bitset<259> m_keyLengths;
};
