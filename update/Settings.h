#pragma once
// The reader of update.ini: UTF-16LE text of key=value lines, kept as a flat
// table in file order.

#include <cstdint>
#include <vector>

#include "framework/Handles.h"
#include "framework/WString.h"

struct SettingEntry {
    fw::WString key;    // text before the first "=", exactly as written
    fw::WString value;  // everything after it
};

using SettingsTable = std::vector<SettingEntry>;

// Opens the file for reading (it must exist); no handle when that fails.
fw::KernelHandle OpenSettingsFile(const fw::WString& path);

// Appends the file's entries to the table. False when the file cannot be
// opened for reading or a read fails.
bool LoadSettingsTable(const fw::WString& path, SettingsTable& table);

// The value of the first entry with exactly this key; empty when there is none.
fw::WString LookupSetting(const SettingsTable& table, const fw::WString& key);

// A value read as a C-style decimal integer through the ANSI code page:
// leading white space, an optional sign, digits up to the first other character.
int32_t ReadSettingInteger(const fw::WString& value);
