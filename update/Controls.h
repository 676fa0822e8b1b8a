#pragma once
// Thin views of the common controls of the updater's dialog, bound to its template controls.

#include <windows.h>
#include <commctrl.h>

#include "framework/Window.h"

class ProgressCtrl : public fw::Window {
public:
    using fw::Window::Window;
    // The control keeps a 16-bit range.
    void SetRange(int low, int high) const
    {
        Send(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(low), static_cast<WORD>(high)));
    }
    void GetRange(int& low, int& high) const
    {
        PBRANGE range{};
        Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        low = range.iLow;
        high = range.iHigh;
    }
    int SetPos(int position) const { return static_cast<int>(Send(PBM_SETPOS, static_cast<WPARAM>(position))); }
    // Holds the control back from drawing (false), or lets it draw again and
    // draws it at once (true).
    void SetRedraw(bool redraw) const
    {
        Send(WM_SETREDRAW, redraw ? TRUE : FALSE);
        if (redraw)
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
};
