#pragma once
// The two image-list functions the cells use, looked up by name at first use:
// the device keeps them in coredll.dll, desktop Windows in comctl32.dll.

#include <windows.h>
#include <commctrl.h>

// Width and height of one image; false when it cannot be had.
bool GetGridImageSize(HIMAGELIST images, int index, SIZE* size);
// Draws one image in the normal style.
bool DrawGridImage(HIMAGELIST images, int index, HDC dc, int x, int y);
