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

// A null folder or control changes nothing (an empty folder would list the working folder).
void CORVANE_CALL Corvane_SetFolderCtrl(const char* folder, void* control)
{
    PluginCall call(nullptr);
    fw::NoThrow(false, [folder, control] {
        if (!folder || !control || !theApp.StartLibrary())
            return false;
        CCorvaneDlg dialog;
        dialog.ListFolder(fw::WString::FromAnsi(folder), L"*.*", static_cast<fw::Window*>(control));
        return true;
    });
}
