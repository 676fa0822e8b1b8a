#pragma once
// The file manager's texts in its two languages. Each use says what other
// language values get: most texts exist only for 0 (Chinese) and 1 (English).

#include <cstdint>

struct TwoLanguageText {
    const wchar_t* chinese;
    const wchar_t* english;

    // The text for language 0 or 1; null for any other value.
    const wchar_t* For(int32_t language) const
    {
        return language == 0 ? chinese : (language == 1 ? english : nullptr);
    }
    // English for 1 only, Chinese for every other value.
    const wchar_t* EnglishFor1Only(int32_t language) const { return language == 1 ? english : chinese; }
};

namespace CorvaneText {

constexpr TwoLanguageText kWrongLocation{L"错误地址", L"Wrong location!"};
constexpr TwoLanguageText kWrongLocationCaption{L"提示", L"Warning"};
constexpr TwoLanguageText kSelectFileToOpen{L"请选择需要打开的文件。",
                                            L"Please select the file, which you want to open it."};
constexpr TwoLanguageText kNoticeCaption{L"提示", L"Notice"};
// Open of a file whose path the host's code page cannot write.
constexpr TwoLanguageText kPathNotForHost{L"无法打开文件，文件路径含有不支持的字符。",
                                          L"Cannot open the file because its path has unsupported characters."};

// Grid headers (row 0).
constexpr TwoLanguageText kProjectName{L"工程名称", L"Project Name"};
constexpr TwoLanguageText kFileColumns[] = {
    {L"文件名称", L"File Name"},   {L"文件状态", L"File State"}, {L"上传时间", L"Upload Time"},
    {L"大小(kB)", L"Size(kB)"}, {L"修改时间", L"Modify Time"},
};
// The size of an empty file.
constexpr TwoLanguageText kUnknownSize{L"未知", L"Unknown"};
// The free-space percentage.
constexpr TwoLanguageText kFreeSpaceFormat{L"剩余:%0.2f%%", L"%0.2f%%Free"};

// --- the operations (Export, Delete, Upload) and their summary
constexpr TwoLanguageText kDiskFull{L"磁盘空间已满", L"The disk is full"};
// The summary: the first line (Chinese after the title), the total prefix
// (Chinese before the title), the project and the file clause.
constexpr TwoLanguageText kSummaryCompleted{L"文件完成！\r\n", L"Completed!\r\n"};
constexpr TwoLanguageText kSummaryFailed{L"文件出错！\r\n", L"Error!\r\n"};
constexpr TwoLanguageText kSummaryTotal{L"总计", L""};
constexpr TwoLanguageText kSummaryProjects{L" %d 个工程，", L" %d Project(s)"};
constexpr TwoLanguageText kSummaryFiles{L" %d 个文件！", L" %d File(s)！"};

constexpr TwoLanguageText kExportQuestion{L"是否导出所选择的工程或文件？",
                                          L"Do you want to copy all your selected project(s) or file(s) to UDisk?"};
constexpr TwoLanguageText kExportCaption{L"导出", L"Export"};
constexpr TwoLanguageText kExportTitle{L"导出", L"Copy to UDisk"};
constexpr TwoLanguageText kInsertUDisk{L"请插入U盘", L"Please insert U Disk"};
// Too little room on the U disk for what is checked: the MB needed and free (unsigned).
constexpr TwoLanguageText kUDiskTooSmall{L"U盘空间不足，需要%uMB，剩余%uMB",
                                         L"Not enough space on U Disk, %uMB needed, %uMB free"};
// The progress in the free-space indicator: files done and their total.
constexpr TwoLanguageText kExportProgress{L"导出 %d/%d", L"Copy %d/%d"};

constexpr TwoLanguageText kDeleteQuestion{L"是否删除所选择的工程或文件？",
                                          L"Do you want to delete all your selected project(s) or file(s)?"};
constexpr TwoLanguageText kDeleteTitle{L"删除", L"Delete"};
constexpr TwoLanguageText kDeleteProgress{L"删除 %d/%d", L"Delete %d/%d"};
constexpr TwoLanguageText kFileOpen{L"无法删除文件，文件被打开", L"Cannot delete the file because it has been opened."};

constexpr TwoLanguageText kUploadTitle{L"上传", L"Upload"};
constexpr TwoLanguageText kOneProjectOnly{L"不支持上传多个工程，请选择一个工程上传",
                                          L"Please select one project to upload, do not select more"};
constexpr TwoLanguageText kUploadQuestion{L"是否上传所选择的工程或文件？",
                                          L"Do you want to upload all your selected project(s) or file(s)?"};

}  // namespace CorvaneText
