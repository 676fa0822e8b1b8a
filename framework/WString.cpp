#include "WString.h"

#include <windows.h>

#include <climits>
#include <cstdarg>
#include <cwchar>
#include <stdexcept>
#include <vector>

namespace fw {

WString::WString(const wchar_t* text)
{
    if (text)
        m_text = text;
}

WString::WString(const wchar_t* text, size_t length)
{
    if (text)
        m_text.assign(text, length);
}

WString WString::Format(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        int written = vswprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size())
            return WString(buffer.data(), static_cast<size_t>(written));
        if (buffer.size() >= (1u << 24))
            return WString();  // a format that never fits: give up rather than grow forever
        buffer.resize(buffer.size() * 4);
    }
}

WString WString::FromAnsi(const char* text, int length)
{
    return FromCodePage(CP_ACP, text, length);
}

namespace {

// The platform converts texts of up to INT_MAX units; a longer one, like a
// conversion the platform refuses, is a failure that an empty text would hide.
int ConvertibleLength(size_t length)
{
    if (length > static_cast<size_t>(INT_MAX))
        throw std::length_error("Text too long to convert.");
    return static_cast<int>(length);
}

[[noreturn]] void ConversionFailed()
{
    throw std::runtime_error("Text conversion failed.");
}

}  // namespace

WString WString::FromUtf8(const std::string& text)
{
    return FromCodePage(CP_UTF8, text.data(), ConvertibleLength(text.size()));
}

WString WString::FromCodePage(unsigned codePage, const char* text, int length)
{
    if (!text || length == 0)
        return WString();
    int needed = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (needed <= 0)
        ConversionFailed();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(codePage, 0, text, length, &wide[0], needed) != needed)
        ConversionFailed();
    if (length < 0 && !wide.empty())
        wide.pop_back();  // the converted terminator
    return WString(std::move(wide));
}

std::string WString::ToAnsi() const
{
    return ToCodePage(CP_ACP);
}

std::string WString::ToUtf8() const
{
    return ToCodePage(CP_UTF8);
}

std::string WString::ToCodePage(unsigned codePage) const
{
    if (m_text.empty())
        return std::string();
    const int length = ConvertibleLength(m_text.size());
    int needed = WideCharToMultiByte(codePage, 0, m_text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        ConversionFailed();
    std::string narrow(static_cast<size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, 0, m_text.data(), length, &narrow[0], needed, nullptr, nullptr) != needed)
        ConversionFailed();
    return narrow;
}

bool WString::StartsWith(const WString& prefix) const
{
    return m_text.compare(0, prefix.Length(), prefix.m_text) == 0;
}

bool WString::EndsWith(const WString& suffix) const
{
    return m_text.size() >= suffix.Length() &&
           m_text.compare(m_text.size() - suffix.Length(), suffix.Length(), suffix.m_text) == 0;
}

WString WString::Left(size_t count) const
{
    return WString(m_text.substr(0, count));
}

WString WString::Mid(size_t first, size_t count) const
{
    if (first >= m_text.size())
        return WString();
    return WString(m_text.substr(first, count));
}

WString WString::Right(size_t count) const
{
    if (count >= m_text.size())
        return *this;
    return WString(m_text.substr(m_text.size() - count));
}

WString& WString::MakeUpper()
{
    for (wchar_t& ch : m_text)
        if (ch >= L'a' && ch <= L'z')
            ch = static_cast<wchar_t>(ch - L'a' + L'A');
    return *this;
}

WString& WString::MakeLower()
{
    for (wchar_t& ch : m_text)
        if (ch >= L'A' && ch <= L'Z')
            ch = static_cast<wchar_t>(ch - L'A' + L'a');
    return *this;
}

size_t WString::Replace(const WString& from, const WString& to)
{
    if (from.IsEmpty())
        return 0;
    size_t count = 0;
    for (size_t at = m_text.find(from.m_text); at != kNoPosition; at = m_text.find(from.m_text, at + to.Length())) {
        m_text.replace(at, from.Length(), to.m_text);
        ++count;
    }
    return count;
}

size_t WString::Remove(wchar_t ch)
{
    size_t before = m_text.size();
    std::wstring kept;
    kept.reserve(before);
    for (wchar_t c : m_text)
        if (c != ch)
            kept += c;
    m_text.swap(kept);
    return before - m_text.size();
}

}  // namespace fw
