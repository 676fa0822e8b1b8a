// The plug-in as a host sees it: the built Corvane.dll loaded by name into
// this process, its exports called, the dialog driven from inside its loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "PluginTestSupport.h"
#include "framework/Window.h"
#include "support/Process.h"

using plugintest::LoadedPlugin;
using plugintest::ModalDriver;

namespace {

bool IsClassOf(HMODULE module, const wchar_t* name)
{
    WNDCLASSW found{};
    return ::GetClassInfoW(module, name, &found) != FALSE;
}

std::wstring ClassOfItem(HWND dialog, int id)
{
    std::wstring name = testsupport::ClassName(::GetDlgItem(dialog, id));
    for (wchar_t& ch : name)
        ch = static_cast<wchar_t>(::towupper(ch));
    return name;
}

}  // namespace

TEST(PluginBoundary, LoadsShowsTheDialogUnloadsAndLoadsAgain)
{
    const ShowManagerParams record = plugintest::PlainRecord();
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load);
        LoadedPlugin plugin;
        ASSERT_NE(nullptr, plugin.Module());
        ASSERT_NE(nullptr, plugin.ShowManager());
        ASSERT_NE(nullptr, plugin.SetFolderCtrl());
        // Left by Escape, then by the Cancel command: an empty text either way, never null.
        for (bool escape : {true, false}) {
            std::vector<std::wstring> grids;
            ModalDriver driver([&](HWND dialog, int) {
                grids = {ClassOfItem(dialog, 7), ClassOfItem(dialog, 8)};
                if (escape)
                    plugintest::PostKey(::GetFocus(), VK_ESCAPE);
                else
                    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return true;
            });
            const char* text = plugin.ShowManager()(&record);
            ASSERT_NE(nullptr, text);
            EXPECT_STREQ("", text);
            EXPECT_EQ((std::vector<std::wstring>{L"MFCGRIDCTRL", L"MFCGRIDCTRL"}), grids) << "the dialog was not shown";
            EXPECT_FALSE(IsClassOf(plugin.Module(), L"MFCGridCtrl")) << "the grid's class outlived the call";
        }
        plugin.Unload();
        EXPECT_EQ(nullptr, ::GetModuleHandleW(L"Corvane.dll"));
    }
}

TEST(PluginBoundary, TheDeviceKeysAreMappedInsideTheDialogsLoop)
{
    LoadedPlugin plugin;
    ASSERT_NE(nullptr, plugin.ShowManager());
    std::vector<int> focus;
    ModalDriver driver([&](HWND dialog, int call) {
        focus.push_back(::GetDlgCtrlID(::GetFocus()));
        if (call == 0) {
            plugintest::PostKey(::GetFocus(), VK_F2);  // Tab
            return false;
        }
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    });
    const ShowManagerParams record = plugintest::PlainRecord();
    plugin.ShowManager()(&record);
    EXPECT_EQ((std::vector<int>{7, 8}), focus);
}

TEST(PluginBoundary, NullArgumentsShowNothingAndChangeNothing)
{
    LoadedPlugin plugin;
    ASSERT_NE(nullptr, plugin.ShowManager());
    ModalDriver driver([](HWND dialog, int) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    });
    const char* text = plugin.ShowManager()(nullptr);
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ("", text);
    EXPECT_EQ(0, driver.Calls()) << "a dialog was shown for a null record";

    // A null folder must not list the working folder into the control.
    fw::Window combo(::CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 100, 100, nullptr,
                                       nullptr, nullptr, nullptr));
    combo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"kept"));
    plugin.SetFolderCtrl()(nullptr, &combo);
    plugin.SetFolderCtrl()("C:\\", nullptr);
    plugin.SetFolderCtrl()(nullptr, nullptr);
    EXPECT_EQ(1, combo.Send(CB_GETCOUNT));
    ::DestroyWindow(combo.Handle());
}

namespace {
std::vector<CorvaneString> g_kept;
int32_t CORVANE_CALL KeepingHostBox(CorvaneString text, CorvaneString caption, int32_t)
{
    g_kept.push_back(text);
    g_kept.push_back(caption);
    return IDYES;
}
}  // namespace

TEST(PluginBoundary, StringsMadeByThePlugInOutliveItAndAreReleasedByTheHost)
{
    g_kept.clear();
    {
        LoadedPlugin probe(L"CorvaneProbe.dll");  // calls messageBox with the start location
        ASSERT_NE(nullptr, probe.ShowManager());
        ShowManagerParams record = plugintest::PlainRecord();
        const std::string start = plugintest::Ansi(L"工程一\\文件");
        record.startLocation = start.c_str();
        record.messageBox = &KeepingHostBox;
        probe.ShowManager()(&record);
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"CorvaneProbe.dll"));
    ASSERT_EQ(4u, g_kept.size());
    EXPECT_STREQ(L"工程一\\文件", g_kept[0].c_str());
    EXPECT_STREQ(L"提示", g_kept[1].c_str());
    EXPECT_EQ(6u, g_kept[0].Length());
    EXPECT_TRUE(g_kept[3].IsEmpty());
    CorvaneString copy = g_kept[0];
    g_kept.clear();  // the host lets go of the plug-in's strings: the copy holds the last reference
    EXPECT_STREQ(L"工程一\\文件", copy.c_str());
}
