#pragma once
// Wide (UTF-16) text with the few operations the programs need, and the
// conversions to and from the system's ANSI code page used at the edges.

#include <cstddef>
#include <string>

namespace fw {

class WString {
public:
    static constexpr size_t kNoPosition = std::wstring::npos;

    WString() = default;
    WString(const wchar_t* text);  // null gives the empty text
    WString(const wchar_t* text, size_t length);
    WString(std::wstring text) : m_text(std::move(text)) {}
    WString(size_t count, wchar_t ch) : m_text(count, ch) {}

    // Printf-style formatting; use %ls for wide and %hs for narrow strings.
    static WString Format(const wchar_t* format, ...);
    // From 8-bit text in the ANSI code page (length -1: up to the zero byte).
    // A conversion that fails throws (Guard.h); the empty text is only ever empty input.
    static WString FromAnsi(const char* text, int length = -1);
    // To the ANSI code page; characters it lacks get the platform's replacement.
    std::string ToAnsi() const;
    // The same with UTF-8 (journals, settings files, console output).
    static WString FromUtf8(const std::string& text);
    std::string ToUtf8() const;

    const wchar_t* c_str() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }
    size_t Length() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    wchar_t operator[](size_t index) const { return m_text[index]; }

    size_t Find(wchar_t ch, size_t start = 0) const { return m_text.find(ch, start); }
    size_t Find(const WString& sub, size_t start = 0) const { return m_text.find(sub.m_text, start); }
    size_t ReverseFind(wchar_t ch) const { return m_text.rfind(ch); }
    bool StartsWith(const WString& prefix) const;
    bool EndsWith(const WString& suffix) const;

    // Substrings clamp their bounds instead of failing.
    WString Left(size_t count) const;
    WString Mid(size_t first, size_t count = kNoPosition) const;
    WString Right(size_t count) const;

    // Case conversion of the ASCII letters only, as the C locale does.
    WString& MakeUpper();
    WString& MakeLower();
    // Replaces every occurrence; returns how many there were.
    size_t Replace(const WString& from, const WString& to);
    size_t Remove(wchar_t ch);

    WString& operator+=(const WString& other) { m_text += other.m_text; return *this; }
    WString& operator+=(wchar_t ch) { m_text += ch; return *this; }
    friend WString operator+(WString left, const WString& right) { return left += right; }
    friend WString operator+(WString left, const wchar_t* right) { return left += WString(right); }
    friend WString operator+(const wchar_t* left, const WString& right) { return WString(left) += right; }
    friend bool operator==(const WString& a, const WString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const WString& a, const WString& b) { return a.m_text != b.m_text; }

private:
    static WString FromCodePage(unsigned codePage, const char* text, int length);
    std::string ToCodePage(unsigned codePage) const;
    std::wstring m_text;
};

}  // namespace fw
