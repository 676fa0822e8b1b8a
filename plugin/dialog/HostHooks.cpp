#include "HostHooks.h"

#include <windows.h>

namespace {

CorvaneString ToHost(const fw::WString& text)
{
    return CorvaneString(text.c_str(), text.Length());
}

}  // namespace

bool ConvertsToAnsiExactly(const fw::WString& text) noexcept
{
    return AnsiLengthForHost(text) >= 0;
}

int AnsiLengthForHost(const fw::WString& text) noexcept
{
    if (text.IsEmpty())
        return 0;
    BOOL usedDefault = FALSE;
    const int needed = ::WideCharToMultiByte(CP_ACP, kAnsiForHostFlags, text.c_str(), static_cast<int>(text.Length()),
                                             nullptr, 0, nullptr, &usedDefault);
    return needed > 0 && !usedDefault ? needed : -1;
}

void HostHooks::Take(const ShowManagerParams& params)
{
    m_onExported = params.onExported;
    m_messageBox = params.messageBox;
    m_onUploadProjectChanged = params.onUploadProjectChanged;
    m_canUpload = params.canUpload;
    m_uploadItem = params.uploadItem;
    m_onUploadDone = params.onUploadDone;
    m_reserved1 = params.reserved1;
    m_onUploadRefused = params.onUploadRefused;
    m_deleteFile = params.deleteFile;
    m_reserved2 = params.reserved2;
}

int32_t HostHooks::Message(const fw::WString& text, const fw::WString& caption, int32_t type) const
{
    if (!m_messageBox)
        return type == kYesNo ? kAnswerNo : IDOK;
    return m_messageBox(ToHost(text), ToHost(caption), type);
}

void HostHooks::Exported(const fw::WString& destinationFolder) const
{
    if (m_onExported)
        m_onExported(destinationFolder.c_str());
}

bool HostHooks::CanUpload() const
{
    return !m_canUpload || m_canUpload() != 0;
}

void HostHooks::UploadRefused() const
{
    if (m_onUploadRefused)
        m_onUploadRefused();
}

void HostHooks::UploadProjectChanged() const
{
    if (m_onUploadProjectChanged)
        m_onUploadProjectChanged();
}

void HostHooks::UploadItem(const fw::WString& path) const
{
    if (m_uploadItem)
        m_uploadItem(ToHost(path), CorvaneString());
}

void HostHooks::UploadDone() const
{
    if (m_onUploadDone)
        m_onUploadDone();
}

bool HostHooks::RemoveFile(const fw::WString& path) const
{
    if (m_deleteFile)
        return m_deleteFile(ToHost(path)) != 0;
    return ::DeleteFileW(path.c_str()) != FALSE;
}
