#pragma once
// The file manager: a full-screen modal dialog with the projects of the data
// folder in one grid and the files of the open project in the other, the
// free space of the storage, and the commands Open, Delete, Export, Upload
// and Exit. It reaches the host only through the hooks of the host's record.

#include <windows.h>

#include <cstdint>

#include "GridCtrl.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/WString.h"
#include "plugin/Corvane.h"

class CCorvaneDlg : public fw::Dialog {
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

    // Takes over the host's record: pattern and layout code, hooks, font,
    // language, colours, the data and start locations.
    void TakeOverRecord(const ShowManagerParams& params);
    // The full path chosen by Open.
    const fw::WString& GetResultPath() const { return m_resultPath; }

    // Lists the entries of folder (ending with "\") that match pattern into
    // control: the dialog's own grids, or a host's grid or combo box (any
    // other window is left alone). "*.*" lists sub-folders, any other
    // pattern files. The number of entries listed.
    int ListFolder(const fw::WString& folder, const fw::WString& pattern, fw::Window* control);

private:
    fw::WString m_resultPath;
    // ... the rest of the members and operations follow.
};
