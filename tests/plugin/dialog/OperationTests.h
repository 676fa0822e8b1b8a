#pragma once
// What the tests of Export, Delete and Upload share: a device with a data
// folder, one dialog run per operation as a person does it, the busy state
// and the grids as the host's hooks see them, and the disk afterwards.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "support/Device.h"
#include "support/Printers.h"

namespace dialogtest {

using Texts = std::vector<std::wstring>;
const std::wstring kData = L"\\Flash Disk\\Data\\";

// The wait cursor shown, at the screen's centre.
inline bool IsBusy()
{
    POINT at{};
    ::GetCursorPos(&at);
    return ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT) && at.x == ::GetSystemMetrics(SM_CXSCREEN) / 2 &&
           at.y == ::GetSystemMetrics(SM_CYSCREEN) / 2;
}

// Three projects on the flash disk (P1's files newest first: F01, F02, F03) and a U disk.
class OperationTest : public DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(WriteProject(device, L"\\硬盘\\", {}));
        ASSERT_TRUE(WriteProject(device, kData + L"P1\\",
                                 {{L"F01.abc", "1", L"2024-05-03 10:00"}, {L"F02.abc", "2", L"2024-05-02 10:00"},
                                  {L"F03.abc", "3", L"2024-05-01 10:00"}, {L"notes.txt", "n", L""},
                                  {L"sub\\deep\\S.abc", "s", L""}}));
        ASSERT_TRUE(WriteProject(device, kData + L"P2\\",
                                 {{L"G01.abc", "1", L""}, {L"G02.abc", "2", L""}, {L"readme.txt", "r", L""},
                                  {L"sub\\H.abc", "h", L""}}));
        ASSERT_TRUE(WriteProject(device, kData + L"P3\\", {{L"K.abc", "k", L""}}));
    }
    std::string Read(const std::wstring& path) const
    {
        std::string bytes;
        device.ReadFile(path, bytes);
        return bytes;
    }
    // The files below a device folder, relative and sorted.
    Texts FilesBelow(const std::wstring& folder) const
    {
        Texts files, folders;
        testsupport::ListTree(device.Path(folder), files, folders);
        return Sorted(files);
    }

    // One run: checks the projects, opens the project open (when given) and
    // checks its files ("*" is the header's box: all), presses the button.
    void Operate(int button, const Texts& projects, const std::wstring& open = L"", const Texts& files = {})
    {
        host.ClearJournal();
        hooks.clear();
        RecordingDialog dialog;
        dialog.TakeOverRecord(host.Record());
        DialogDriver driver(dialog);
        const auto check = [&](CGridCtrl& grid, const Texts& names) {
            for (const std::wstring& name : names)
                driver.Click(grid, name == L"*" ? 0 : RowOf(grid, name), 0);
        };
        host.onCall = [&](const std::wstring& line) {
            if (atHook)
                atHook(dialog, line);
            hooks.push_back(line.substr(0, line.find(L'(')) + (IsBusy() ? L" busy" : L""));
            if (line.rfind(L"messageBox(", 0) == 0 && line.compare(line.size() - 3, 3, L"|0)") == 0) {
                shownFiles = DialogDriver::Column(driver.Files(), 1);  // at the last notice: the summary
                shownProjects = Sorted(DialogDriver::Column(driver.Projects(), 1));
                shownProjects.insert(shownProjects.begin(), driver.Projects().GetItemText(0, 1).str());
            }
        };
        driver.Then([&] { check(driver.Projects(), projects); })
            .Then([&] {
                if (!open.empty())
                    driver.Click(driver.Projects(), RowOf(driver.Projects(), open), 1);
            })
            .Then([&] { check(driver.Files(), files); })
            .Then([&] {
                checked = DialogDriver::Checked(driver.Projects());
                driver.Press(button);
            })
            .Then([&] {
                after = Sorted(DialogDriver::Column(driver.Projects(), 1));
                stillChecked = DialogDriver::Checked(driver.Projects());
                hostProject = dialog.HostProjectFolder().str();
                openAfter = dialog.OpenProject().str();
                filesAfter = DialogDriver::Column(driver.Files(), 1);
                indicatorAfter = dialog.FreeSpaceText().str();
                EXPECT_FALSE(IsBusy());
            });
        driver.Run();
        host.onCall = nullptr;
    }

    // The free-space indicator as the dialog last painted it on the screen
    // (nothing repainted for the picture): the share of its width that is
    // blue, along the bar's bottom line.
    static double BlueShareShown(HWND dialog)
    {
        RECT bar{};
        ::GetWindowRect(::GetDlgItem(dialog, IDC_FREE_SPACE), &bar);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bar), 2);
        HDC dc = ::GetWindowDC(dialog);
        int blue = 0;
        for (int x = bar.left + 1; x < bar.right - 1; ++x)
            blue += ::GetPixel(dc, x, bar.bottom - 3) == RGB(0, 0, 255);
        ::ReleaseDC(dialog, dc);
        return static_cast<double>(blue) / (bar.right - bar.left);
    }

    std::function<void(RecordingDialog&, const std::wstring& line)> atHook;  // before each hook is recorded
    std::wstring indicatorAfter;  // the indicator's text afterwards
    Texts hooks;         // each hook called, with " busy" when it came in the busy state
    Texts checked;       // the projects checked, in the grid's order
    Texts shownFiles;     // the file grid at the last notice
    Texts shownProjects;  // its header and projects, sorted
    Texts after;         // the projects afterwards, sorted
    Texts stillChecked;  // afterwards
    std::wstring hostProject;
    std::wstring openAfter;  // the open project afterwards, and its files as listed
    Texts filesAfter;
};

}  // namespace dialogtest
