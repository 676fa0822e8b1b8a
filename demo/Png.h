#pragma once
// Writes a picture as a PNG file: 8-bit RGB, uncompressed deflate blocks.
// Small and dependency-free; the pictures are a few hundred pixels wide.

#include <cstdint>
#include <string>

namespace demo {

// pixels: top-down rows of 0x00RRGGBB values (the layout of a 32-bit DIB section).
bool WritePng(const std::wstring& path, int width, int height, const uint32_t* pixels);

}  // namespace demo
