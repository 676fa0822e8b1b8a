#pragma once
// The updater's only window: a status text, a progress bar and one button
// that first starts the run and afterwards closes the updater.

#include <windows.h>

#include <vector>

#include "Processes.h"
#include "UpdateApp.h"
#include "UpdateRun.h"
#include "Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

// Answered with 1; nothing here sends it.
constexpr UINT WM_UPDATE_QUERY = WM_USER + 101;

// The folder under which the U disk is mounted; its absence explains a failed copy.
constexpr wchar_t kUDiskFolder[] = L"\\硬盘\\";
// The device's battery program, stopped before a run (only its file name matters).
constexpr wchar_t kBatteryProgram[] = L"\\Flash Disk\\Q9Soft\\battery\\Battery.exe";

class UpdateDlg : public fw::Dialog {
public:
    // Each run is logged to the file at logPath (none: not logged).
    explicit UpdateDlg(const UpdateSettings& settings, fw::WString logPath = fw::WString());
    // Waits for a worker that is still finishing (removing the staging folder)
    // so that the process never ends in the middle of it; then ends the log's run.
    ~UpdateDlg() override;

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;
    // Enter, Escape and the system close end the dialog only while no run copies:
    // ending the process in the middle of a copy would leave a half-installed release.
    void OnOK() override;
    void OnCancel() override;

    // True from the start of the run until its last message (the final one, or
    // the run's own failure report) has been handled, or its worker was found
    // ended without it.
    bool IsCopying() const { return m_copying; }

private:
    void OnUpdateButton();
    LRESULT OnUpdateProgress(WPARAM position, LPARAM total);
    // Stops the programs and lists the release; a message box and false when the run is refused.
    bool PrepareRun();
    void StartRun();
    // The results: success (the main program stopped again, and started when so
    // set) or a failed copy, whose text tells whether the U disk is still there.
    void ShowSuccess();
    void ShowFailure();
    // The bar at a range of 0 … high and a position; while a run copies, drawn
    // only when its last drawing is old enough or the position is final.
    void MoveBar(int high, int position, bool final);
    // Draws a bar held back from drawing itself.
    void DrawBar();
    // The worker's end, noticed by the watch timer and answered by the message it posts.
    void WatchWorker();
    void OnWorkerEnded();
    // Starts the main program again; the status text tells when that failed.
    void StartMainProgram();
    // The framework's OK step: ends the dialog whatever the worker does.
    void EndWithOk() { fw::Dialog::OnOK(); }
    // The run's last message has been handled: its worker is done (it ends
    // right after posting it), and so is its part of the log.
    void RunOver();

    // The log. Lines of this thread wait while the worker writes, until it has ended.
    void Log(const fw::WString& line);
    void FlushLog();
    // A result text shown; once, however often it is shown in a row.
    void LogResult(const fw::WString& text);
    // The end of a run in the log, when one is open.
    void LogEnd();

    fw::Window Status() const;
    fw::Window Button() const;

    const UpdateSettings& m_settings;
    HICON m_icon;
    ProgressCtrl m_progress;
    UpdateJob m_job;       // file list and success flag of the run
    FoundProcess m_found;  // the last program found by name, and its id
    fw::KernelHandle m_worker;
    bool m_copying = false;
    bool m_barHeld = false;   // drawing held back while a run copies
    DWORD m_barDrawnAt = 0;   // tick count of the bar's last drawing
    UpdateLog m_log;
    std::vector<fw::WString> m_pendingLines;
    fw::WString m_loggedResult;
    bool m_logOpen = false;  // a run's start is logged, its end not yet
};
