// The plug-in's frame inside the test's own process: the application object
// and the routing of the framework's messages to the host.
#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugin/PluginApp.h"
#include "support/MessageBoxes.h"

namespace {

std::vector<std::wstring> g_hostBoxes;  // "text|caption|type"

int32_t CORVANE_CALL RecordingHostBox(CorvaneString text, CorvaneString caption, int32_t type)
{
    g_hostBoxes.push_back(std::wstring(text.c_str()) + L"|" + caption.c_str() + L"|" + std::to_wstring(type));
    return IDYES;
}

}  // namespace

TEST(PluginApp, MapsTheDeviceKeysOfEveryKeyDownAndNothingElse)
{
    PluginApp app;
    const std::vector<std::pair<WPARAM, WPARAM>> keys = {{VK_F2, VK_TAB},   {VK_F5, VK_DOWN}, {VK_F6, VK_RIGHT},
                                                         {VK_F7, VK_UP},    {VK_F8, VK_LEFT}, {VK_F9, VK_RETURN},
                                                         {VK_F3, VK_F3},    {VK_F4, VK_F4},   {'A', 'A'}};
    for (const auto& key : keys) {
        MSG down{nullptr, WM_KEYDOWN, key.first, 1, 0, {}};
        EXPECT_FALSE(app.PreTranslateMessage(&down));
        EXPECT_EQ(key.second, down.wParam) << "key " << key.first;
        MSG up{nullptr, WM_KEYUP, key.first, 1, 0, {}};
        app.PreTranslateMessage(&up);
        EXPECT_EQ(key.first, up.wParam);
    }
}

TEST(PluginApp, TheResultTextIsNeverNull)
{
    // The path in the device's code page is seen through the plug-in's boundary.
    PluginApp app;
    EXPECT_STREQ("\\Flash Disk\\\xCA\xFD.abc", app.SetResult(L"\\Flash Disk\\数.abc"));
    // Not in the code page, or only as a look-alike: no path rather than another.
    EXPECT_STREQ("", app.SetResult(L"\\Flash Disk\\\u2603.abc"));
    EXPECT_STREQ("", app.SetResult(L"\\Flash Disk\\\u00C0.abc"));
    EXPECT_STREQ("", app.SetResult(L""));
    app.ExitInstance();
    EXPECT_STREQ("x", app.SetResult(L"x"));
}

TEST(PluginCall, RoutesTheFrameworksMessagesToTheHostsBoxWhileACallRuns)
{
    g_hostBoxes.clear();
    PluginApp app;
    testsupport::MessageBoxRecorder outside(IDOK);
    {
        PluginCall call(&RecordingHostBox);
        fw::ReportException(std::bad_alloc());
        EXPECT_EQ(IDYES, fw::ShowMessage(L"磁盘空间已满", MB_YESNO | MB_ICONQUESTION));
        {
            PluginCall inner(nullptr);  // no hook: dropped, and a question counts as No
            EXPECT_EQ(IDNO, fw::ShowMessage(L"dropped", MB_YESNO));
            EXPECT_EQ(IDOK, fw::ShowMessage(L"dropped"));
        }
        fw::ReportException(std::runtime_error("again"));
    }
    fw::ShowMessage(L"outside");

    // The button bits only: the hook knows types 0 and 4.
    EXPECT_EQ((std::vector<std::wstring>{L"Out of memory.|Corvane|0", L"磁盘空间已满|Corvane|4", L"again|Corvane|0"}),
              g_hostBoxes);
    EXPECT_EQ((std::vector<std::wstring>{L"outside"}), outside.Texts());
}
