#pragma once
// The updater's texts in both languages. Each text has its own test on the
// language value: some are English only for 1, others for every value but 0.

#include <cstdint>

#include "framework/WString.h"

namespace texts {

enum class EnglishFor { kOnly1, kAllBut0 };

struct Text {
    const wchar_t* chinese;
    const wchar_t* english;
    EnglishFor englishFor;

    fw::WString In(int32_t language) const
    {
        bool inEnglish = englishFor == EnglishFor::kOnly1 ? language == 1 : language != 0;
        return fw::WString(inEnglish ? english : chinese);
    }
};

// Start-up. The first two are shown before the file is read, while the language is still 0.
constexpr Text kSettingsNotFound{L"未找到升级程序的配置文件！", L"The set file for updating is not found！",
                                 EnglishFor::kAllBut0};
constexpr Text kSettingsNotRead{L"读取配置文件失败！", L"Failed ro read the set file for updating！",
                                EnglishFor::kAllBut0};
constexpr Text kSourceFolderNotFound{L"未找到升级文件目录！", L"The update file's dir is not found！",
                                     EnglishFor::kAllBut0};

// The update dialog.
constexpr Text kPleaseWait{L"升级中，请稍后...", L"Please wait for updating...", EnglishFor::kOnly1};
constexpr Text kProgramNotStopped{L"升级失败，错误码=0x0001", L"Update failed,errcode=0x0001", EnglishFor::kOnly1};
constexpr Text kNoFilesInRelease{L"升级包中未包含升级文件，请检查！", L"No files in update dir,Pleae check！",
                                 EnglishFor::kOnly1};
constexpr Text kSucceeded{L"升级成功!", L"Update Succeeded!", EnglishFor::kOnly1};
constexpr Text kCopyFailed{L"升级失败,错误码=0x7934", L"Update failed,code=0x7934", EnglishFor::kOnly1};
constexpr Text kUDiskPulledOut{L"升级失败！U盘可能已被拔出。", L"Update failed！The U disk may have been pulled out。",
                               EnglishFor::kAllBut0};
// A pass refused for room on its volume; the MB needed and free follow as two unsigned numbers.
constexpr Text kNotEnoughSpace{L"升级失败！空间不足，需要%uMB，剩余%uMB。", L"Update failed！Not enough space,%uMB needed,%uMB free。",
                               EnglishFor::kOnly1};
constexpr Text kProgramNotStarted{L"打开程序出错,请重启设备。", L"Open program error,Please Reset the device。",
                                  EnglishFor::kOnly1};

// The button's captions. Pressing the button while it reads either close caption closes.
constexpr wchar_t kUpdateCaptionEnglish[] = L"Update";
constexpr wchar_t kCloseCaptionChinese[] = L"关闭";
constexpr wchar_t kCloseCaptionEnglish[] = L"Close";
constexpr Text kCloseFor1Only{kCloseCaptionChinese, kCloseCaptionEnglish, EnglishFor::kOnly1};
constexpr Text kCloseForAllBut0{kCloseCaptionChinese, kCloseCaptionEnglish, EnglishFor::kAllBut0};

}  // namespace texts
