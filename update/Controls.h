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
    int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
};
