#include "Gdi.h"

namespace fw {

namespace {

HBITMAP MakeTopDownBitmap(int width, int height, HDC compatibleWith, uint32_t** bits)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(compatibleWith, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = bitmap ? static_cast<uint32_t*>(pixels) : nullptr;
    return bitmap;
}

}  // namespace

MemoryBitmap::MemoryBitmap(int width, int height, HDC compatibleWith)
    : m_width(width), m_height(height), m_bitmap(MakeTopDownBitmap(width, height, compatibleWith, &m_bits)),
      m_dc(m_bitmap ? ::CreateCompatibleDC(compatibleWith) : nullptr), m_selected(m_dc.Get(), m_bitmap.Get())
{
    if (!m_dc)
        m_bits = nullptr;
}

COLORREF MemoryBitmap::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0xFFFFFFFF;
    // The device's GDI draws at once: there is no batch to flush before reading.
    uint32_t pixel = m_bits[static_cast<size_t>(y) * m_width + x];  // 0x00RRGGBB in memory order B, G, R
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

void MemoryBitmap::Fill(COLORREF colour)
{
    if (!m_dc)
        return;
    RECT all{0, 0, m_width, m_height};
    Brush brush(::CreateSolidBrush(colour));
    ::FillRect(m_dc.Get(), &all, brush.Get());
}

}  // namespace fw
