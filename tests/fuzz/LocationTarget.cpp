// The data and start locations of the host's record: the storage root, the
// data folder and the start file that the record take-over makes of them.
#include <windows.h>

#include "CorvaneDlg.h"
#include "Fuzz.h"

namespace {

using fuzz::Bytes;

std::string CheckParsed(const CCorvaneDlg& dialog, const fw::WString& data, const fw::WString& start, size_t extra)
{
    const fw::WString& root = dialog.StorageRoot();
    const fw::WString& folder = dialog.DataFolder();
    if (!root.IsEmpty() && (root.Length() < 2 || root.Find(L'\\') != 0 || !root.EndsWith(L"\\")))
        return fuzz::Finding("storage root ", root.str(), " from ", data.str());
    if (!folder.IsEmpty() && (folder == L"\\" || !folder.EndsWith(L"\\")))
        return fuzz::Finding("data folder ", folder.str(), " from ", data.str());
    // The rules add at most a backslash before and after a volume and one after a folder.
    if (root.Length() > data.Length() + 2 || folder.Length() > data.Length() + 1 ||
        root.Length() + folder.Length() > data.Length() + 3)
        return fuzz::Finding("longer than the location: ", root.str(), folder.str(), " from ", data.str());
    if (dialog.StartFile().Length() > start.Length() + extra)
        return fuzz::Finding("start file ", dialog.StartFile().str(), " from ", start.str());
    return {};
}

}  // namespace

FUZZ_SEEDS(location)
{
    return {
        Bytes("\\Flash Disk\\Work\\Data\\\0Bridge\\Girder-01.dat", 45), Bytes("Storage Card\0", 13),
        Bytes("\xD3\xB2\xC5\xCC\\Work\\Data\0\\P\\", 19),  // 硬盘\Work\Data, start \P\ .
        Bytes("\\\xD3\xB2\xC5\xCC\\X\\\0a\\b\\c.dat", 18), Bytes("Flash Disk\\\0\\", 13),
        Bytes("\\\\\0Project\\File", 16), Bytes("\\Flash Disk\\Data\0Missing\\file.dat", 33),
    };
}

FUZZ_WORDS(location)
{
    return {"\\", "\\\\", "Flash Disk\\", "Storage Card", "\xD3\xB2\xC5\xCC\\", ".dat", ".", "\x81", "\0"};
}

FUZZ_TARGET(location, 6000, "ParseLocation and the start-location split of the record take-over")
{
    // The data location, a zero byte, the start location (ANSI).
    const std::vector<std::string> texts = fuzz::ZeroEndedTexts(input, 0, 2);
    const std::string& data = texts[0];
    const std::string& start = texts[1];
    const fw::WString wideData = fw::WString::FromAnsi(data.c_str());
    const fw::WString wideStart = fw::WString::FromAnsi(start.c_str());

    // The location parser alone.
    {
        CCorvaneDlg dialog;
        dialog.ParseLocation(wideData, wideStart);
        std::string finding = CheckParsed(dialog, wideData, wideStart, 0);
        if (!finding.empty())
            return finding;
    }
    // The whole take-over, which splits "Project\File" first and adds the extension.
    ShowManagerParams record{};
    record.dataLocation = data.c_str();
    record.startLocation = start.c_str();
    record.filePattern = "*.dat";
    CCorvaneDlg dialog;
    dialog.TakeOverRecord(record);
    std::string finding = CheckParsed(dialog, wideData, wideStart, 4);
    if (!finding.empty())
        return finding;
    const fw::WString& project = dialog.OpenProject();
    if (project.Length() > wideStart.Length())
        return fuzz::Finding("open project ", project.str(), " from ", wideStart.str());
    return {};
}
