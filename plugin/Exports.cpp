// The plug-in's two exports and its application object. Each export runs in
// a PluginCall and behind the no-throw guard: nothing unwinds into the host.
#include "Corvane.h"

#include "CorvaneDlg.h"
#include "GridCtrl.h"
#include "PluginApp.h"
#include "framework/Guard.h"

namespace {
PluginApp theApp;
}

PluginApp& ThePluginApp()
{
    return theApp;
}

// A null record shows nothing: there is no data location to list and no hook to speak through.
const char* CORVANE_CALL Corvane_ShowManager(const ShowManagerParams* params)
{
    PluginCall call(params ? params->messageBox : nullptr);
    const char* result = fw::NoThrow(static_cast<const char*>(nullptr), [params]() -> const char* {
        fw::WString path;
        // The template's grids need the class of this module before the dialog is made.
        if (params && theApp.StartLibrary() && CGridCtrl::RegisterWindowClass()) {
            CCorvaneDlg dialog;
            dialog.TakeOverRecord(*params);
            if (dialog.DoModal() == IDOK)
                path = dialog.GetResultPath();
        }
        return theApp.SetResult(path);
    });
    return result ? result : theApp.SetResult(fw::WString());
}

namespace {

// Looks for the window object at an address among a window, its siblings after it and their children.
struct WindowObjectSearch {
    const void* address;
    fw::WindowImpl* found;

    void From(HWND window)
    {
        for (; window && !found; window = ::GetWindow(window, GW_HWNDNEXT)) {
            fw::WindowImpl* object = fw::WindowImpl::FromHandle(window);
            if (object && static_cast<const void*>(object) == address)
                found = object;
            else
                From(::GetWindow(window, GW_CHILD));
        }
    }
    static BOOL CALLBACK OfTopLevel(HWND window, LPARAM search)
    {
        auto* self = reinterpret_cast<WindowObjectSearch*>(search);
        if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
            fw::WindowImpl* object = fw::WindowImpl::FromHandle(window);
            if (object && static_cast<const void*>(object) == self->address)
                self->found = object;
            else
                self->From(::GetWindow(window, GW_CHILD));
        }
        return !self->found;
    }
};

// The window object of one of this thread's windows (or their children) that
// lies at address, or null.
fw::WindowImpl* WindowObjectAt(const void* address)
{
    WindowObjectSearch search{address, nullptr};
    ::EnumWindows(&WindowObjectSearch::OfTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A host hands its grid over as it holds it, a CGridCtrl* (whose window part
// does not start the object), or as the fw::Window* of its grid or combo box.
// A window object of this thread at that very address is the grid itself;
// anything else is taken for an fw::Window, which is read only at its start.
fw::Window* HostControl(void* control)
{
    if (fw::WindowImpl* object = WindowObjectAt(control))
        return object;
    return static_cast<fw::Window*>(control);
}

}  // namespace

// A null folder or control changes nothing (an empty folder would list the working folder).
void CORVANE_CALL Corvane_SetFolderCtrl(const char* folder, void* control)
{
    PluginCall call(nullptr);
    fw::NoThrow(false, [folder, control] {
        if (!folder || !control || !theApp.StartLibrary())
            return false;
        CCorvaneDlg dialog;
        dialog.ListFolder(fw::WString::FromAnsi(folder), L"*.*", HostControl(control));
        return true;
    });
}
