#pragma once
// What the tests of Export, Delete and Upload share: a device with a data
// folder, one dialog run per operation, the busy state seen from the host's
// hooks, and the disk afterwards.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "support/Device.h"
#include "support/Printers.h"

namespace dialogtest {

using Texts = std::vector<std::wstring>;

constexpr wchar_t kData[] = L"\\Flash Disk\\Data\\";

// The busy state as the user sees it: the wait cursor, at the screen's centre.
inline bool IsBusy()
{
    POINT at{};
    ::GetCursorPos(&at);
    return ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT) && at.x == ::GetSystemMetrics(SM_CXSCREEN) / 2 &&
           at.y == ::GetSystemMetrics(SM_CYSCREEN) / 2;
}

// The files below a device folder, relative and sorted.
inline Texts FilesBelow(const testsupport::Device& device, const std::wstring& folder)
{
    Texts files;
    Texts folders;
    testsupport::ListTree(device.Path(folder), files, folders);
    return Sorted(files);
}

class OperationTest : public DeviceTest {
protected:
    explicit OperationTest(bool withUDisk = false) : m_withUDisk(withUDisk) {}

    void SetUp() override
    {
        DeviceTest::SetUp();
        if (m_withUDisk) {
            ASSERT_TRUE(WriteProject(device, L"\\硬盘\\", {}));
        }
        // What the hooks saw of the busy state, by hook.
        host.onCall = [this](const std::wstring& line) {
            busyDuring.push_back(line.substr(0, line.find(L'(')) + (IsBusy() ? L" busy" : L""));
        };
    }

    // One run of the dialog: steps is given the driver and the dialog to add its steps to.
    void Run(const std::function<void(DialogDriver&, RecordingDialog&)>& steps)
    {
        host.ClearJournal();
        busyDuring.clear();
        RecordingDialog dialog;
        dialog.TakeOverRecord(host.Record());
        DialogDriver driver(dialog);
        steps(driver, dialog);
        driver.Run();
    }

    // Clicks the check box of the named rows.
    static void Check(DialogDriver& driver, CGridCtrl& grid, const Texts& names)
    {
        for (const std::wstring& name : names)
            driver.Click(grid, RowOf(grid, name), 0);
    }

    Texts busyDuring;

private:
    bool m_withUDisk;
};

}  // namespace dialogtest
