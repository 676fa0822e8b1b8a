#pragma once
// Corvane.dll, the file manager plug-in: everything a host needs.
//
// A host includes only this header (with the project root on its include
// path), loads Corvane.dll, looks the two exports up by name and calls them on
// its user-interface thread. It links nothing of the plug-in's, except that a
// host which hands Corvane_SetFolderCtrl a grid links the framework and the
// grid library that made that grid.
//
// What the host keeps alive:
// - the record passed to Corvane_ShowManager, unchanged, until the call
//   returns: the plug-in keeps a pointer to its `colors` for the life of the
//   dialog, and to the font object;
// - the returned text is the plug-in's: copy it before the next call; it is
//   released by the next call and when the plug-in is unloaded;
// - cells that Corvane_SetFolderCtrl puts into a host grid are made by the
//   plug-in's code: keep the plug-in loaded while that grid lives.
//
// Nothing crosses the boundary but plain values, plain structs and the
// string type below; no exception leaves the plug-in.

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

// Calling convention of the exports and of every hook.
#define CORVANE_CALL __cdecl

#ifdef CORVANE_BUILDING_PLUGIN
#define CORVANE_EXPORT __declspec(dllexport)
#else
#define CORVANE_EXPORT
#endif

// The text of the hooks: reference-counted UTF-16 on the process heap, so
// that a copy made in one module may be released in the other whatever
// runtime each links. Copies share the text and add a reference; the last
// one released frees it. Never throws: text that cannot be allocated is empty.
class CorvaneString {
public:
    CorvaneString() noexcept = default;
    CorvaneString(const wchar_t* text) noexcept : CorvaneString(text, text ? ::lstrlenW(text) : 0) {}
    CorvaneString(const wchar_t* text, size_t length) noexcept
    {
        if (!text || length == 0 || length > kMaxLength)
            return;
        void* block = ::HeapAlloc(::GetProcessHeap(), 0, offsetof(Data, text) + (length + 1) * sizeof(wchar_t));
        if (!block)
            return;
        m_data = static_cast<Data*>(block);
        m_data->references = 1;
        m_data->length = length;
        ::CopyMemory(m_data->text, text, length * sizeof(wchar_t));
        m_data->text[length] = L'\0';
    }
    CorvaneString(const CorvaneString& other) noexcept : m_data(other.m_data)
    {
        if (m_data)
            ::InterlockedIncrement(&m_data->references);
    }
    CorvaneString(CorvaneString&& other) noexcept : m_data(other.m_data) { other.m_data = nullptr; }
    CorvaneString& operator=(CorvaneString other) noexcept
    {
        Data* mine = m_data;
        m_data = other.m_data;
        other.m_data = mine;  // released with `other`
        return *this;
    }
    ~CorvaneString() noexcept
    {
        if (m_data && ::InterlockedDecrement(&m_data->references) == 0)
            ::HeapFree(::GetProcessHeap(), 0, m_data);
    }

    const wchar_t* c_str() const noexcept { return m_data ? m_data->text : L""; }
    size_t Length() const noexcept { return m_data ? m_data->length : 0; }
    bool IsEmpty() const noexcept { return Length() == 0; }

private:
    static constexpr size_t kMaxLength = 0x3FFFFFF0;
    struct Data {
        volatile LONG references;
        size_t length;
        wchar_t text[1];
    };
    Data* m_data = nullptr;
};

// The host's font object as the plug-in reads it: the table of virtual
// operations of the host's font class, then the font handle.
struct CorvaneFont {
    const void* operations;
    HFONT handle;
};

// Control colours. The plug-in reads the two brushes and the two colours.
struct ColorScheme {
    HBRUSH backgroundBrush;  // dialog, statics, edits, list boxes, scroll bars, message boxes
    HBRUSH buttonBrush;      // buttons
    uint32_t textColour;     // a COLORREF, set for every control
    uint32_t textBackColour; // a COLORREF, set for edits, list boxes, statics, message boxes
    uint32_t unused;
};

// The hooks: plain function pointers into the host; null means absent.
//
// Who releases the strings of a hook call: the plug-in. It is built with the
// C++ ABI of GCC (mingw-w64), under which the caller of a function that takes
// a CorvaneString by value makes the argument, passes its address and
// destroys it once the call has returned. So the plug-in makes and releases
// every string it passes; the hook reads it, and copies it (adding a
// reference) to keep the text beyond the call; the host releases its copies,
// and the last release frees the text on the process heap, in whichever
// module that happens.
// - A host built with GCC or Clang for mingw declares the hooks as below.
// - A host built with a compiler of another C++ ABI (Microsoft's: there the
//   callee destroys arguments passed by value, and 32-bit x86 passes the
//   object itself on the stack) must not take these parameters by value: it
//   declares each as `const CorvaneString*` (the ...ByAddress types below,
//   stored into the record with a cast), reads or copies the string through
//   it, and never destroys or releases it.
typedef int32_t(CORVANE_CALL* CorvaneOnExported)(const wchar_t* destinationFolder);  // result ignored
typedef int32_t(CORVANE_CALL* CorvaneMessageBox)(CorvaneString text, CorvaneString caption, int32_t type);  // type 0 OK, 4 Yes/No; 7 = No
typedef void(CORVANE_CALL* CorvaneOnUploadProjectChanged)(void);
typedef void(CORVANE_CALL* CorvaneUploadItem)(CorvaneString path, CorvaneString extra);  // extra is always empty
typedef int32_t(CORVANE_CALL* CorvaneCanUpload)(void);  // 0 refuses
typedef void(CORVANE_CALL* CorvaneOnUploadDone)(void);
typedef void(CORVANE_CALL* CorvaneOnUploadRefused)(void);
typedef int32_t(CORVANE_CALL* CorvaneDeleteFile)(CorvaneString path);  // non-zero when deleted
typedef void(CORVANE_CALL* CorvaneReserved)(void);  // never called
// The three hooks with strings as a host of another C++ ABI declares them (see above).
typedef int32_t(CORVANE_CALL* CorvaneMessageBoxByAddress)(const CorvaneString* text, const CorvaneString* caption,
                                                          int32_t type);
typedef void(CORVANE_CALL* CorvaneUploadItemByAddress)(const CorvaneString* path, const CorvaneString* extra);
typedef int32_t(CORVANE_CALL* CorvaneDeleteFileByAddress)(const CorvaneString* path);

// The host's record. Texts are 8-bit text in the system's ANSI code page.
struct ShowManagerParams {
    const char* dataLocation;   // the folder of the projects, volume first: "Flash Disk\Data\"
    const char* startLocation;  // the host's open project and file: "P1\F01"; may be empty
    const char* filePattern;    // "*." + a three-letter extension, optionally one character and a layout byte
    const CorvaneFont* font;    // null: the system font
    int32_t language;           // 0 Chinese, 1 English
    CorvaneOnExported onExported;
    CorvaneMessageBox messageBox;
    ColorScheme colors;
    CorvaneOnUploadProjectChanged onUploadProjectChanged;
    CorvaneUploadItem uploadItem;  // null: no Upload command
    CorvaneCanUpload canUpload;
    CorvaneOnUploadDone onUploadDone;
    CorvaneReserved reserved1;
    CorvaneOnUploadRefused onUploadRefused;
    CorvaneDeleteFile deleteFile;  // null: the platform's file deletion
    CorvaneReserved reserved2;
};

#if defined(_WIN32) && !defined(_WIN64)
// The device's record: twenty 32-bit fields, no padding.
static_assert(offsetof(ShowManagerParams, dataLocation) == 0, "record layout");
static_assert(offsetof(ShowManagerParams, startLocation) == 4, "record layout");
static_assert(offsetof(ShowManagerParams, filePattern) == 8, "record layout");
static_assert(offsetof(ShowManagerParams, font) == 12, "record layout");
static_assert(offsetof(ShowManagerParams, language) == 16, "record layout");
static_assert(offsetof(ShowManagerParams, onExported) == 20, "record layout");
static_assert(offsetof(ShowManagerParams, messageBox) == 24, "record layout");
static_assert(offsetof(ShowManagerParams, colors) == 28, "record layout");
static_assert(offsetof(ShowManagerParams, colors.backgroundBrush) == 28, "record layout");
static_assert(offsetof(ShowManagerParams, colors.buttonBrush) == 32, "record layout");
static_assert(offsetof(ShowManagerParams, colors.textColour) == 36, "record layout");
static_assert(offsetof(ShowManagerParams, colors.textBackColour) == 40, "record layout");
static_assert(offsetof(ShowManagerParams, colors.unused) == 44, "record layout");
static_assert(offsetof(ShowManagerParams, onUploadProjectChanged) == 48, "record layout");
static_assert(offsetof(ShowManagerParams, uploadItem) == 52, "record layout");
static_assert(offsetof(ShowManagerParams, canUpload) == 56, "record layout");
static_assert(offsetof(ShowManagerParams, onUploadDone) == 60, "record layout");
static_assert(offsetof(ShowManagerParams, reserved1) == 64, "record layout");
static_assert(offsetof(ShowManagerParams, onUploadRefused) == 68, "record layout");
static_assert(offsetof(ShowManagerParams, deleteFile) == 72, "record layout");
static_assert(offsetof(ShowManagerParams, reserved2) == 76, "record layout");
static_assert(sizeof(ShowManagerParams) == 80, "record layout");
static_assert(sizeof(ColorScheme) == 20, "record layout");
static_assert(offsetof(CorvaneFont, handle) == 4, "font object layout");
#endif

extern "C" {

// Runs the file manager modally. Returns the opened file's full path
// ("\Flash Disk\Data\P1\F01.abc") in the ANSI code page, or an empty text
// when the dialog was left without opening one; never null.
CORVANE_EXPORT const char* CORVANE_CALL Corvane_ShowManager(const ShowManagerParams* params);

// Fills a host control with the names of the sub-folders of folder (ANSI,
// ending with "\"). control is the host's CGridCtrl* (passed as it is, or as
// the fw::Window* of that grid), or the fw::Window* of a combo box; any other
// window is left alone.
CORVANE_EXPORT void CORVANE_CALL Corvane_SetFolderCtrl(const char* folder, void* control);

}  // extern "C"

// The exports' types, for GetProcAddress.
typedef const char*(CORVANE_CALL* CorvaneShowManagerFunction)(const ShowManagerParams* params);
typedef void(CORVANE_CALL* CorvaneSetFolderCtrlFunction)(const char* folder, void* control);
