#include "GridImageList.h"

namespace {

using DrawFunction = BOOL(WINAPI*)(HIMAGELIST, int, HDC, int, int, UINT);
using InfoFunction = BOOL(WINAPI*)(HIMAGELIST, int, IMAGEINFO*);

struct Functions {
    DrawFunction draw = nullptr;
    InfoFunction info = nullptr;
};

// Through the generic function type, which may be cast to any other.
template <class Function>
Function Address(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

bool LookUp(const wchar_t* library, Functions& found)
{
    HMODULE module = ::GetModuleHandleW(library);
    if (!module)
        module = ::LoadLibraryW(library);  // kept for the life of the process
    if (!module)
        return false;
    found.draw = Address<DrawFunction>(module, "ImageList_Draw");
    found.info = Address<InfoFunction>(module, "ImageList_GetImageInfo");
    return found.draw && found.info;
}

// The addresses are remembered for the life of the process; the grid is used
// on one thread only.
const Functions& Get()
{
    static bool looked = false;
    static Functions functions;
    if (!looked) {
        looked = true;
        if (!LookUp(L"coredll.dll", functions) && !LookUp(L"comctl32.dll", functions))
            functions = Functions();
    }
    return functions;
}

}  // namespace

bool GetGridImageSize(HIMAGELIST images, int index, SIZE* size)
{
    const Functions& functions = Get();
    IMAGEINFO info{};
    if (!images || index < 0 || !functions.info || !functions.info(images, index, &info))
        return false;
    size->cx = info.rcImage.right - info.rcImage.left;
    size->cy = info.rcImage.bottom - info.rcImage.top;
    return true;
}

bool DrawGridImage(HIMAGELIST images, int index, HDC dc, int x, int y)
{
    const Functions& functions = Get();
    return images && functions.draw && functions.draw(images, index, dc, x, y, ILD_NORMAL);
}
