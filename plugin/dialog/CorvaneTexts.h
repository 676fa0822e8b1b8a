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

}  // namespace CorvaneText
