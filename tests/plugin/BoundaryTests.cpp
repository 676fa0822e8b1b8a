// The plug-in as a host sees it: the built Corvane.dll loaded by name into
// this process, in the device's code page 936, its exports called with the
// host's record and controls, its dialog driven as a person at the device.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DialogDriver.h"
#include "PluginTestSupport.h"
#include "support/Printers.h"
#include "support/Process.h"
#include "plugin/resource.h"

using dialogtest::Ansi;
using dialogtest::DialogDriver;
using dialogtest::RecordingHost;
using plugintest::LoadedPlugin;
using Texts = std::vector<std::wstring>;

namespace {

bool IsClassOf(HMODULE module, const wchar_t* name)
{
    WNDCLASSW found{};
    return ::GetClassInfoW(module, name, &found) != FALSE;
}

class PluginBoundary : public dialogtest::DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_EQ(936u, ::GetACP()) << "the plug-in's tests run with the device's ANSI code page";
        ASSERT_TRUE(plugintest::WriteChineseProjects(device));
        host.dataLocation = Ansi(L"Flash Disk\\数据\\");
    }

    // Shows the file manager with the steps; what it returned, never null.
    std::string Show(LoadedPlugin& plugin, const ShowManagerParams& record, DialogDriver& driver)
    {
        const char* text = nullptr;
        driver.Play([&] { text = plugin.ShowManager()(&record); });
        EXPECT_NE(nullptr, text);
        return text ? text : "(null)";
    }
};

TEST_F(PluginBoundary, LoadsOpensWithTheDeviceKeysLeavesUnloadsAndLoadsAgain)
{
    host.startLocation = Ansi(L"工程一\\丙");
    const ShowManagerParams record = host.Record();
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load);
        LoadedPlugin plugin;
        ASSERT_NE(nullptr, plugin.ShowManager());
        ASSERT_NE(nullptr, plugin.SetFolderCtrl());
        DialogDriver keys;
        int grids = 0;
        keys.Then([&] {
            for (int id : {IDC_PROJECT_GRID, IDC_FILE_GRID})
                grids += ::lstrcmpiW(testsupport::ClassName(::GetDlgItem(keys.Window(), id)).c_str(),
                                     CGridCtrl::kWindowClass) == 0;
        });
        for (UINT key : {VK_F5, VK_F7, VK_F7, VK_F9})  // down to 甲, up to 丙 and 乙, open
            keys.Then([&, key] { keys.Key(key); });
        // The path as ANSI bytes: "\Flash Disk\数据\工程一\乙.abc".
        EXPECT_EQ("\\Flash Disk\\\xCA\xFD\xBE\xDD\\\xB9\xA4\xB3\xCC\xD2\xBB\\\xD2\xD2.abc",
                  Show(plugin, record, keys));
        EXPECT_EQ(2, grids) << "the dialog's grids are not of the plug-in's class";

        DialogDriver leave;
        leave.Then([&] { leave.Key(VK_F4); });
        EXPECT_EQ("", Show(plugin, record, leave));
        EXPECT_FALSE(leave.EndedByDriver()) << "F4 did not leave";
        EXPECT_FALSE(IsClassOf(plugin.Module(), L"MFCGridCtrl")) << "the grid's class outlived the call";
        plugin.Unload();
        EXPECT_EQ(nullptr, ::GetModuleHandleW(L"Corvane.dll"));
    }
    EXPECT_EQ(Texts{}, host.Journal());
    // No record: nothing shown, an empty text all the same.
    LoadedPlugin plugin;
    DialogDriver driver;
    const char* text = nullptr;
    driver.PlayWithoutDialog([&] { text = plugin.ShowManager()(nullptr); });
    EXPECT_STREQ("", text);
}

// A box declared as a host of another C++ ABI declares it: the strings by
// address, copied to be kept, never released here.
std::vector<CorvaneString> g_kept;
int32_t CORVANE_CALL KeepingHostBox(const CorvaneString* text, const CorvaneString* caption, int32_t type)
{
    g_kept.push_back(*text);
    g_kept.push_back(*caption);
    return type == 0 ? IDOK : IDNO;
}

TEST_F(PluginBoundary, AWrongLocationIsToldInStringsThatOutliveThePlugIn)
{
    g_kept.clear();
    {
        LoadedPlugin plugin;
        ASSERT_NE(nullptr, plugin.ShowManager());
        host.startLocation = Ansi(L"\\工程一\\子\\孙\\丙.abc");  // below the project, kept whole
        ShowManagerParams record = host.Record();
        const CorvaneMessageBoxByAddress box = &KeepingHostBox;
        record.messageBox = reinterpret_cast<CorvaneMessageBox>(reinterpret_cast<void (*)()>(box));
        DialogDriver driver;  // no steps: the dialog is cancelled
        EXPECT_EQ("", Show(plugin, record, driver));
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"Corvane.dll"));
    ASSERT_EQ(2u, g_kept.size());
    EXPECT_STREQ(L"错误地址", g_kept[0].c_str());
    EXPECT_EQ(4u, g_kept[0].Length());
    EXPECT_STREQ(L"提示", g_kept[1].c_str());
    CorvaneString copy = g_kept[0];
    g_kept.clear();  // the host lets go of the plug-in's strings: the copy holds the last reference
    EXPECT_STREQ(L"错误地址", copy.c_str());
}

// Every project ticked (the header's box), Export, Yes; the journal afterwards.
// At the first onExported the device loses what pull names for it.
Texts ExportEveryProject(LoadedPlugin& plugin, RecordingHost& host, testsupport::Device& device,
                         std::function<std::wstring(const std::wstring& line)> pull = nullptr)
{
    host.ClearJournal();
    host.onCall = [&](const std::wstring& line) {
        if (pull && line.rfind(L"onExported(", 0) == 0)
            device.RemoveVolume(std::exchange(pull, nullptr)(line));
    };
    const ShowManagerParams& record = host.Record();
    DialogDriver driver;
    driver.Then([&] {
              HWND projects = ::GetDlgItem(driver.Window(), IDC_PROJECT_GRID);
              ::PostMessageW(projects, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
              ::PostMessageW(projects, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
          })
        .Then([&] { driver.Press(IDC_EXPORT); })
        .Then([] {});
    driver.Play([&] { plugin.ShowManager()(&record); });
    host.onCall = nullptr;
    return host.Journal();
}

TEST_F(PluginBoundary, AnExportThatCannotReadItsSourceOrLosesTheUDiskMidwayFailsAndSaysWhy)
{
    LoadedPlugin plugin;
    const std::wstring ask = L"messageBox(是否导出所选择的工程或文件？|导出|4)";
    const std::wstring failed = L"messageBox(导出文件出错！\r\n总计导出 ";
    // A sub-folder whose path is too long for the file system to list: nothing is exported.
    std::wstring data = L"Flash Disk\\";
    for (size_t bytes = fw::WString(device.UnixPath(L"\\" + data)).ToUtf8().size(); bytes + 51 < 3940; bytes += 51)
        data += std::wstring(50, L'd') + L"\\";
    const std::wstring deep = L"\\" + data + L"数据\\深\\";
    const std::wstring sub(250, L's');
    ASSERT_TRUE(dialogtest::WriteProject(device, L"\\硬盘\\", {}) && dialogtest::WriteProject(device, deep, {}));
    ASSERT_EQ(0, testsupport::RunUnix(L"cd " + testsupport::ShellQuote(device.UnixPath(deep)) + L" && mkdir " + sub +
                                      L" && echo s > " + sub + L"/S.abc"));
    host.dataLocation = Ansi(data + L"数据\\");
    EXPECT_EQ((Texts{ask, failed + L"0 个文件！|导出|0)"}), ExportEveryProject(plugin, host, device));

    // The other project vanishes once the first is exported: it is not, and the run failed.
    host.dataLocation = Ansi(L"Flash Disk\\数据\\");
    Texts journal = ExportEveryProject(plugin, host, device, [](const std::wstring& line) {
        return std::wstring(L"\\Flash Disk\\数据\\") + (line.find(L"工程一") == std::wstring::npos ? L"工程一" : L"工程二");
    });
    ASSERT_EQ(3u, journal.size()) << testing::PrintToString(journal);
    EXPECT_EQ(0u, journal[2].rfind(failed + L"1 个工程，", 0));
    // The U disk (a tmpfs where mounting is allowed) pulled out after the first project: the
    // insert notice, then the summary.
    ASSERT_TRUE(plugintest::WriteChineseProjects(device) && device.RemoveVolume(L"\\硬盘"));
    std::wstring why;
    ASSERT_TRUE(device.MountSmallVolume(L"\\硬盘", 1024, &why) || dialogtest::WriteProject(device, L"\\硬盘\\", {}));
    journal = ExportEveryProject(plugin, host, device, [](const std::wstring&) { return L"\\硬盘"; });
    ASSERT_EQ(4u, journal.size()) << testing::PrintToString(journal);
    EXPECT_EQ(L"messageBox(请插入U盘|提示|0)", journal[2]);
    EXPECT_EQ(0u, journal[3].rfind(failed + L"1 个工程，", 0));
}

std::vector<std::wstring> ComboEntries(const fw::Window& combo)
{
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < combo.Send(CB_GETCOUNT); ++i) {
        wchar_t text[MAX_PATH] = {};
        combo.Send(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return dialogtest::Sorted(entries);
}

bool IsCheckCell(CGridCellBase* cell)
{
    // Made by the plug-in's code: its own copy of the class, known by name.
    return cell && std::strcmp(cell->GetRuntimeClass()->name, "CGridCellCheck") == 0;
}

TEST_F(PluginBoundary, SetFolderCtrlFillsAHostsComboBoxOrGridAndLeavesOtherWindowsAlone)
{
    LoadedPlugin plugin;  // outlives the grid, whose cells it makes
    ASSERT_NE(nullptr, plugin.SetFolderCtrl());
    const Texts folders{L"工程一", L"工程二"};
    const std::string data = Ansi(L"\\Flash Disk\\数据\\");
    const std::string missing = Ansi(L"\\Flash Disk\\无\\");

    fw::Window owner(
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr));
    const auto child = [&](const wchar_t* windowClass, const wchar_t* text, DWORD style) {
        return fw::Window(::CreateWindowExW(0, windowClass, text, WS_CHILD | style, 0, 0, 200, 200, owner.Handle(),
                                            nullptr, nullptr, nullptr));
    };
    CGridCtrl grid(2, 2, 1, 0);
    ASSERT_TRUE(grid.Create(RECT{0, 0, 300, 200}, owner.Handle(), 1234));
    grid.SetItemText(0, 1, L"Folders");
    grid.SetItemText(1, 1, L"stale row");
    fw::Window combo = child(L"ComboBox", L"", CBS_DROPDOWNLIST);
    combo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"stale entry"));
    fw::Window other = child(L"STATIC", L"keep", 0);
    fw::Window bareGrid = child(CGridCtrl::kWindowClass, L"", 0);  // of the class, but no grid behind it

    plugin.SetFolderCtrl()(data.c_str(), &grid);  // as a host holds it; below as its fw::Window
    EXPECT_EQ(folders, dialogtest::Sorted(DialogDriver::Column(grid, 1)));
    EXPECT_EQ(L"Folders(2)", grid.GetItemText(0, 1));
    EXPECT_TRUE(IsCheckCell(grid.GetCell(1, 0)) && IsCheckCell(grid.GetCell(2, 0)));
    plugin.SetFolderCtrl()(data.c_str(), &combo);
    EXPECT_EQ(folders, ComboEntries(combo));
    for (fw::Window* window : {&other, &bareGrid})
        plugin.SetFolderCtrl()(data.c_str(), window);
    EXPECT_EQ(L"keep", other.GetText());

    // Null arguments change nothing (a null folder would list the working folder).
    plugin.SetFolderCtrl()(nullptr, &combo);
    plugin.SetFolderCtrl()(data.c_str(), nullptr);
    EXPECT_EQ(folders, ComboEntries(combo));
    // A folder that is not there empties the control.
    plugin.SetFolderCtrl()(missing.c_str(), static_cast<fw::Window*>(&grid));
    plugin.SetFolderCtrl()(missing.c_str(), &combo);
    EXPECT_EQ(1, grid.GetRowCount());
    EXPECT_EQ(L"Folders(0)", grid.GetItemText(0, 1));
    EXPECT_EQ(Texts{}, ComboEntries(combo));
    ::DestroyWindow(owner.Handle());
}

}  // namespace
