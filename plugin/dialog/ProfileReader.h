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

#include <string>
#include <unordered_map>

#include "framework/WString.h"

// The value of one key, reading the whole file for it; the default when the
// file, the section or the key is missing.
fw::WString ReadProfileString(const fw::WString& section, const fw::WString& key, const fw::WString& defaultValue,
                              const fw::WString& file);

// One section read once, for many keys: the same answer as ReadProfileString
// for every key.
class ProfileSection {
public:
    // False (and no keys) when the file cannot be read.
    bool Load(const fw::WString& file, const fw::WString& section);
    fw::WString Get(const fw::WString& key, const fw::WString& defaultValue) const;
    size_t KeyCount() const { return m_values.size(); }

private:
    // Every text before an "=" of a section line, first line first.
    std::unordered_map<std::wstring, std::wstring> m_values;
};
