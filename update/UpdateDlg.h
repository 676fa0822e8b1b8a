#pragma once
// The updater's only window: a status text, a progress bar and one button
// that first starts the run and afterwards closes the updater.

#include <windows.h>

#include "UpdateApp.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

// Posted by the worker: wParam position (0 = failure), lParam total.
constexpr UINT WM_UPDATE_PROGRESS = WM_USER + 100;
// Answered with 1; nothing here sends it.
constexpr UINT WM_UPDATE_QUERY = WM_USER + 101;

class UpdateDlg : public fw::Dialog {
public:
    explicit UpdateDlg(const UpdateSettings& settings);
    ~UpdateDlg() override;

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;

private:
    const UpdateSettings& m_settings;
    HICON m_icon;
    fw::ProgressCtrl m_progress;
};
