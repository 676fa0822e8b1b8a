#pragma once
// What the grid tests share: a real parent window that records what the grid
// tells it, grids made in it, and renderings into memory bitmaps.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "GridCtrl.h"
#include "framework/Gdi.h"
#include "support/Process.h"

namespace gridtest {

struct Notice {
    UINT code;
    int row;
    int col;
    UINT_PTR id;
    HWND from;
};

class TestParent {
public:
    explicit TestParent(int width = 640, int height = 480);
    ~TestParent();
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND Handle() const { return m_hwnd; }
    // The notification codes in order (virtual-mode display requests left out).
    std::vector<UINT> Codes() const;
    void Clear()
    {
        notices.clear();
        commands.clear();
    }

    std::vector<Notice> notices;
    std::vector<std::pair<WPARAM, LPARAM>> commands;  // WM_COMMAND seen
    std::map<UINT, LRESULT> answers;                   // answer by notification code
    std::function<void(GridDisplayInfo*)> display;    // fills LVN_GETDISPINFOW
    int displayRequests = 0;
    int nextControlRequests = 0;  // WM_NEXTDLGCTL seen

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

// A grid window of the given client size at the parent's top left.
std::unique_ptr<CGridCtrl> MakeGrid(TestParent& parent, int width = 400, int height = 300, UINT id = 7);

// The grid painted into a bitmap of its client size (WM_PRINTCLIENT).
std::unique_ptr<fw::MemoryBitmap> Render(CGridCtrl& grid);

}  // namespace gridtest
