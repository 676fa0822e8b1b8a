#pragma once
// The progress of an Export or Delete, shown in the free-space indicator
// while the operation runs: the bar fills with the share of files done
// beside "导出 120/2000" / "Copy 120/2000". The operation holds the dialog's
// thread, so the indicator is painted from here: at most every 100 ms, and
// whenever the host is about to be called (its hook or box then finds the
// count as it stands). When the object goes, the indicator shows the free
// space again, unless a reload has done so already.

#include <windows.h>

#include "CorvaneTexts.h"

class CCorvaneDlg;

class OperationProgress {
public:
    // format: the operation's text with the files done and their total (%d/%d).
    OperationProgress(CCorvaneDlg& dialog, const TwoLanguageText& format, int total);
    ~OperationProgress();
    OperationProgress(const OperationProgress&) = delete;
    OperationProgress& operator=(const OperationProgress&) = delete;

    int Done() const { return m_done; }
    void SetTotal(int total) { m_total = total; }
    // One more file done (or tried); painted when the last paint is 100 ms old.
    void Step();
    // Painted now, when anything changed since the last paint. Either leaves
    // the thread's last error as it was.
    void Show();

private:
    CCorvaneDlg& m_dialog;
    const TwoLanguageText& m_format;
    int m_total;
    int m_done = 0;
    int m_shownDone = -1;
    int m_shownTotal = -1;
    DWORD m_shownAt = 0;
};
