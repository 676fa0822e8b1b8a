#include "FileFinder.h"

namespace fw {

FileFinder::FileFinder(const WString& pattern)
    : m_handle(::FindFirstFileW(pattern.c_str(), &m_entry)), m_firstError(m_handle ? 0 : ::GetLastError())
{
}

bool FileFinder::Next()
{
    if (!m_handle)
        return false;
    if (::FindNextFileW(m_handle.Get(), &m_entry))
        return true;
    m_handle.Reset();
    return false;
}

bool FileFinder::IsDots() const
{
    const wchar_t* name = m_entry.cFileName;
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace fw
