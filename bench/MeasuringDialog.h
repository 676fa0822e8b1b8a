#pragma once
// The file manager's dialog, running: Measure is called once from inside its
// modal loop (its lists set up, its grids on the screen), then it ends with IDOK.

#include "CorvaneDlg.h"

namespace bench {

class MeasuringDialog : public CCorvaneDlg {
protected:
    virtual void Measure() = 0;

    bool OnInitDialog() override
    {
        CCorvaneDlg::OnInitDialog();
        ::SetTimer(m_hwnd, kTimer, 1, nullptr);
        return true;
    }
    bool PreTranslateMessage(MSG* message) override
    {
        if (message->message == WM_TIMER && message->hwnd == m_hwnd && message->wParam == kTimer) {
            ::KillTimer(m_hwnd, kTimer);
            Measure();
            EndDialog(IDOK);
            return true;
        }
        return CCorvaneDlg::PreTranslateMessage(message);
    }

private:
    static constexpr UINT_PTR kTimer = 1;
};

}  // namespace bench
