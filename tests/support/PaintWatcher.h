#pragma once
// Attached to a control (SubclassWindow): calls back before each of the
// control's paintings, which then go on as the control paints.

#include <functional>
#include <utility>

#include "framework/Window.h"

namespace testsupport {

class PaintWatcher : public fw::WindowImpl {
public:
    explicit PaintWatcher(std::function<void(HWND)> onPaint) : m_onPaint(std::move(onPaint)) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT)
            m_onPaint(m_hwnd);
        return DefaultProc(message, wParam, lParam);
    }

private:
    std::function<void(HWND)> m_onPaint;
};

}  // namespace testsupport
