#pragma once
// Readable failure messages for the framework's types.

#include <ostream>

#include "framework/WString.h"

namespace fw {

inline void PrintTo(const WString& text, std::ostream* out)
{
    *out << "L\"";
    for (wchar_t ch : text.str()) {
        if (ch >= 0x20 && ch < 0x7F)
            *out << static_cast<char>(ch);
        else
            *out << "\\u" << std::hex << static_cast<unsigned>(ch) << std::dec;
    }
    *out << "\"";
}

}  // namespace fw
