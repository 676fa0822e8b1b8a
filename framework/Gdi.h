#pragma once
// Owners and scope guards for GDI objects and device contexts: whatever is
// created is deleted, whatever is selected or changed is put back.

#include <windows.h>

#include <cstdint>

#include "Handles.h"

namespace fw {

// Owners of GDI objects (brush, pen, font, bitmap) and of memory device contexts.
template <class Object>
void DeleteGdiObject(Object object)
{
    ::DeleteObject(object);
}
inline void DeleteMemoryDC(HDC dc) { ::DeleteDC(dc); }

using Brush = UniqueHandle<HBRUSH, DeleteGdiObject<HBRUSH>>;
using Pen = UniqueHandle<HPEN, DeleteGdiObject<HPEN>>;
using Font = UniqueHandle<HFONT, DeleteGdiObject<HFONT>>;
using Bitmap = UniqueHandle<HBITMAP, DeleteGdiObject<HBITMAP>>;
using MemoryDC = UniqueHandle<HDC, DeleteMemoryDC>;

// Selects an object into a device context and selects the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard()
    {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Saves a device context's whole state and restores it.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : m_dc(dc), m_saved(dc ? ::SaveDC(dc) : 0) {}
    ~SavedDC()
    {
        if (m_saved)
            ::RestoreDC(m_dc, m_saved);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// The client-area device context of a window (null window: the whole screen).
class ClientDC {
public:
    explicit ClientDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~ClientDC()
    {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The device context of a WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    ~PaintDC() { ::EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }
    const RECT& Area() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc = nullptr;
};

// A 32-bit top-down bitmap selected into a memory device context, with its pixels readable.
class MemoryBitmap {
public:
    MemoryBitmap(int width, int height, HDC compatibleWith = nullptr);
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    bool IsValid() const { return m_bits != nullptr; }
    HDC DC() const { return m_dc.Get(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The pixel as a COLORREF (0x00BBGGRR); 0xFFFFFFFF outside the bitmap.
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF colour);
    const uint32_t* Bits() const { return m_bits; }

private:
    int m_width;
    int m_height;
    uint32_t* m_bits = nullptr;  // before the bitmap: made with it
    Bitmap m_bitmap;
    MemoryDC m_dc;
    SelectGuard m_selected;  // the bitmap in the DC, until both go
};

}  // namespace fw
