// The plug-in's two exports.
#include "Corvane.h"

#include "CorvaneDlg.h"
#include "PluginApp.h"

const char* CORVANE_CALL Corvane_ShowManager(const ShowManagerParams*)
{
    return "";
}

void CORVANE_CALL Corvane_SetFolderCtrl(const char*, void*) {}
