#include <gtest/gtest.h>

#include "framework/Gdi.h"

TEST(Gdi, GuardsPutBackWhatTheySelectedAndChanged)
{
    fw::MemoryBitmap bitmap(8, 8);
    ASSERT_TRUE(bitmap.IsValid());
    HDC dc = bitmap.DC();
    HGDIOBJ before = GetCurrentObject(dc, OBJ_BRUSH);
    fw::Brush red(CreateSolidBrush(RGB(255, 0, 0)));
    {
        fw::SelectGuard select(dc, red.Get());
        EXPECT_EQ(red.Get(), GetCurrentObject(dc, OBJ_BRUSH));
    }
    EXPECT_EQ(before, GetCurrentObject(dc, OBJ_BRUSH));

    SetTextColor(dc, RGB(1, 2, 3));
    {
        fw::SavedDC saved(dc);
        SetTextColor(dc, RGB(9, 9, 9));
        SetBkMode(dc, TRANSPARENT);
    }
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    EXPECT_EQ(OPAQUE, GetBkMode(dc));
}

TEST(Gdi, MemoryBitmapReadsBackWhatWasDrawn)
{
    fw::MemoryBitmap bitmap(10, 6);
    bitmap.Fill(RGB(10, 20, 30));
    RECT cell{2, 1, 5, 4};
    fw::Brush brush(CreateSolidBrush(RGB(200, 100, 50)));
    FillRect(bitmap.DC(), &cell, brush.Get());
    EXPECT_EQ(RGB(10, 20, 30), bitmap.Pixel(0, 0));
    EXPECT_EQ(RGB(200, 100, 50), bitmap.Pixel(2, 1));
    EXPECT_EQ(RGB(200, 100, 50), bitmap.Pixel(4, 3));
    EXPECT_EQ(RGB(10, 20, 30), bitmap.Pixel(5, 4));
    EXPECT_EQ(0xFFFFFFFFu, bitmap.Pixel(10, 0));
}
