#pragma once
// The host's hooks, copied from its record, behind calls that are safe
// whatever the host left out: a null hook is an absent one.

#include <windows.h>

#include <cstdint>

#include "framework/WString.h"
#include "plugin/Corvane.h"

// Whether text can go to the host in the ANSI code page exactly: every
// character has a form of its own there, none is replaced by the default
// character or by a look-alike ("best fit"), which could name another file.
bool ConvertsToAnsiExactly(const fw::WString& text) noexcept;
// The bytes text takes in the ANSI code page when it converts exactly (0 for
// the empty text); -1 when it does not.
int AnsiLengthForHost(const fw::WString& text) noexcept;
// The conversion for the host under that rule.
constexpr unsigned kAnsiForHostFlags = WC_NO_BEST_FIT_CHARS;

class HostHooks {
public:
    // Message-box types and the answer that means No.
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kYesNo = 4;
    static constexpr int32_t kAnswerNo = 7;

    void Take(const ShowManagerParams& params);

    // Every message of the plug-in. Without a messageBox hook a notice is
    // dropped (answer 1, OK) and a Yes/No question is answered No, so that
    // nothing is changed without a yes.
    int32_t Message(const fw::WString& text, const fw::WString& caption, int32_t type) const;
    void Notice(const fw::WString& text, const fw::WString& caption) const { Message(text, caption, kOk); }
    // A Yes/No question: true unless the answer is No.
    bool Confirm(const fw::WString& text, const fw::WString& caption) const
    {
        return Message(text, caption, kYesNo) != kAnswerNo;
    }

    void Exported(const fw::WString& destinationFolder) const;
    // Without canUpload the host does not gate the upload.
    bool CanUpload() const;
    void UploadRefused() const;
    void UploadProjectChanged() const;
    void UploadItem(const fw::WString& path) const;
    void UploadDone() const;
    // Through the host's deleteFile when it gave one, else the platform's deletion.
    bool RemoveFile(const fw::WString& path) const;

    // The dialog offers Upload only to a host that takes the items.
    bool OffersUpload() const { return m_uploadItem != nullptr; }

private:
    CorvaneOnExported m_onExported = nullptr;
    CorvaneMessageBox m_messageBox = nullptr;
    CorvaneOnUploadProjectChanged m_onUploadProjectChanged = nullptr;
    CorvaneCanUpload m_canUpload = nullptr;
    CorvaneUploadItem m_uploadItem = nullptr;
    CorvaneOnUploadDone m_onUploadDone = nullptr;
    CorvaneReserved m_reserved1 = nullptr;  // copied, never called
    CorvaneOnUploadRefused m_onUploadRefused = nullptr;
    CorvaneDeleteFile m_deleteFile = nullptr;
    CorvaneReserved m_reserved2 = nullptr;  // copied, never called
};
