#pragma once
// Where things lie on a device as the updater meets them, for the update
// tests and the demo alike: the installed software with the device's
// programs, the release on the U disk, the staging folder, the updater's own
// folder, and the journals the programs' stand-ins (sim/) write beside
// themselves.

#include <string>
#include <vector>

namespace testsupport {

constexpr wchar_t kInstallFolder[] = L"\\Flash Disk\\Q9Soft\\";
constexpr wchar_t kMainProgram[] = L"\\Flash Disk\\Q9Soft\\Q9Main.exe";
constexpr wchar_t kMainJournal[] = L"\\Flash Disk\\Q9Soft\\Q9Main.log";
constexpr wchar_t kBatteryProgram[] = L"\\Flash Disk\\Q9Soft\\battery\\Battery.exe";
constexpr wchar_t kBatteryJournal[] = L"\\Flash Disk\\Q9Soft\\battery\\Battery.log";
constexpr wchar_t kReleaseFolder[] = L"\\硬盘\\Q9Soft\\";
constexpr wchar_t kStagingFolder[] = L"\\Flash Disk\\temp\\";
constexpr wchar_t kUpdateFolder[] = L"\\Flash Disk\\Update\\";

// The events of a stand-in's journal text in order ("start", "close",
// "close ignored", "end"), without what each line adds after them.
std::vector<std::string> JournalEvents(const std::string& journal);

}  // namespace testsupport
