#pragma once
// Choosing a text by the language value. Each text has its own test: some are
// English only for 1, others for every value but 0.

#include <cstdint>

#include "framework/WString.h"

inline fw::WString EnglishFor1Only(int32_t language, const wchar_t* chinese, const wchar_t* english)
{
    return fw::WString(language == 1 ? english : chinese);
}

inline fw::WString EnglishForAllBut0(int32_t language, const wchar_t* chinese, const wchar_t* english)
{
    return fw::WString(language != 0 ? english : chinese);
}

// The texts of the update dialog, each with its own test.
namespace UpdateText {

inline fw::WString PleaseWait(int32_t language)
{
    return EnglishFor1Only(language, L"升级中，请稍后...", L"Please wait for updating...");
}
inline fw::WString ProgramNotStopped(int32_t language)
{
    return EnglishFor1Only(language, L"升级失败，错误码=0x0001", L"Update failed,errcode=0x0001");
}
inline fw::WString NoFilesInRelease(int32_t language)
{
    return EnglishFor1Only(language, L"升级包中未包含升级文件，请检查！", L"No files in update dir,Pleae check！");
}
inline fw::WString Succeeded(int32_t language)
{
    return EnglishFor1Only(language, L"升级成功!", L"Update Succeeded!");
}
inline fw::WString CopyFailed(int32_t language)
{
    return EnglishFor1Only(language, L"升级失败,错误码=0x7934", L"Update failed,code=0x7934");
}
inline fw::WString UDiskPulledOut(int32_t language)
{
    return EnglishForAllBut0(language, L"升级失败！U盘可能已被拔出。", L"Update failed！The U disk may have been pulled out。");
}
inline fw::WString ProgramNotStarted(int32_t language)
{
    return EnglishFor1Only(language, L"打开程序出错,请重启设备。", L"Open program error,Please Reset the device。");
}

// The button's captions. Pressing the button while it reads either close caption closes.
constexpr wchar_t kUpdateCaptionEnglish[] = L"Update";
constexpr wchar_t kCloseCaptionChinese[] = L"关闭";
constexpr wchar_t kCloseCaptionEnglish[] = L"Close";
inline fw::WString CloseFor1Only(int32_t language)
{
    return EnglishFor1Only(language, kCloseCaptionChinese, kCloseCaptionEnglish);
}
inline fw::WString CloseForAllBut0(int32_t language)
{
    return EnglishForAllBut0(language, kCloseCaptionChinese, kCloseCaptionEnglish);
}

}  // namespace UpdateText
