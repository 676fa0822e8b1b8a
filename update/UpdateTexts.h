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
