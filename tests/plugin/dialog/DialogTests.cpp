// The file manager run as a person uses it: start-up on the host's project
// and file, the keys and swipes of the device, sorting and the header check
// box, the buttons' states, Open and Exit, both languages and the layout.
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "plugin/resource.h"
#include "support/Printers.h"
#include "support/Process.h"

using dialogtest::DialogDriver;
using dialogtest::RecordingDialog;
using dialogtest::RecordingHost;
using dialogtest::RowOf;
using dialogtest::Sorted;
using dialogtest::WriteProject;
using Texts = std::vector<std::wstring>;

namespace {

constexpr wchar_t kData[] = L"\\Flash Disk\\Data\\";

class FileManager : public dialogtest::DeviceTest {
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P1\\",
                                 {{L"F01.abc", std::string(2047, 'a'), L"2024-05-01 10:30"},
                                  {L"F02.abc", std::string(9 * 1024, 'b'), L"2024-05-03 08:05"},
                                  {L"F03.abc", std::string(100 * 1024, 'c'), L"2024-05-02 23:59"},
                                  {L"notes.txt", "not a project file", L""}},
                                 "[result]\r\nF01.abc=2024-05-04 09:00##uploaded\r\n"));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"P2\\", {{L"G01.abc", "", L"2023-01-01 00:00"}}));
        ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"项目三\\", {{L"报告.abc", "x", L"2024-06-01 12:00"}}));
    }

    RecordingDialog dialog;
};

// The keys on the file list are seen through the plug-in (F5, F7, F9 in the boundary tests).
TEST_F(FileManager, OpensOnTheHostsProjectAndFileAndEnterOpensIt)
{
    host.startLocation = "P1\\F03";
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    driver.Then([&] {
        EXPECT_EQ((Texts{L"P1", L"P2", L"项目三"}), Sorted(driver.Column(driver.Projects(), 1)));
        EXPECT_EQ(L"工程名称(3)", driver.Projects().GetItemText(0, 1));
        EXPECT_EQ(RowOf(driver.Projects(), L"P1"), DialogDriver::SelectedRow(driver.Projects()));
        // Newest first, with sizes in kB, local times and the upload state.
        EXPECT_EQ((Texts{L"F02", L"F03", L"F01"}), driver.Column(driver.Files(), 1));
        EXPECT_EQ((Texts{L"", L"", L"uploaded"}), driver.Column(driver.Files(), 2));
        EXPECT_EQ((Texts{L"9", L"100", L"1"}), driver.Column(driver.Files(), 4));
        EXPECT_EQ((Texts{L"2024.05.03-08:05", L"2024.05.02-23:59", L"2024.05.01-10:30"}),
                  driver.Column(driver.Files(), 5));
        EXPECT_EQ(L"文件名称(3)", driver.Files().GetItemText(0, 1));
        EXPECT_EQ(2, DialogDriver::SelectedRow(driver.Files()));  // where F03 stands after the sort
        EXPECT_TRUE(driver.IsEnabled(IDC_OPEN));
        EXPECT_FALSE(driver.IsEnabled(IDC_DELETE));
        driver.Key(VK_RETURN);
    });
    EXPECT_EQ(IDOK, driver.Run());
    EXPECT_EQ(L"\\Flash Disk\\Data\\P1\\F03.abc", dialog.GetResultPath());
    EXPECT_TRUE(host.Journal().empty());
}

// The host's start file is not trusted to be there: Open answers only a
// listed file, by its own name (a wildcard in the pattern lists F03.abc as
// "F03" of "*.ab?").
TEST_F(FileManager, EnterOpensNoStartFileThatIsNotListed)
{
    const struct {
        const char* start;
        const char* pattern;
    } cases[] = {{"P1\\F09", "*.abc"}, {"Gone\\F01", "*.abc"}};
    for (const auto& [start, pattern] : cases) {
        host.startLocation = start;
        host.filePattern = pattern;
        RecordingDialog manager;
        manager.TakeOverRecord(host.Record());
        DialogDriver driver(manager);
        driver
            .Then([&] {
                ::SetFocus(manager.FileGrid().Handle());  // a tap below the rows
                driver.Key(VK_RETURN);
            })
            .Then([&] { driver.Press(IDC_EXIT); });
        EXPECT_EQ(IDCANCEL, driver.Run()) << start;
        EXPECT_EQ(L"", manager.GetResultPath()) << start;
        EXPECT_EQ(1u, host.Journal().size()) << start;  // "select a file" instead
        host.ClearJournal();
    }
    host.startLocation = "P1\\F03";
    host.filePattern = "*.ab?";
    RecordingDialog manager;
    manager.TakeOverRecord(host.Record());
    DialogDriver driver(manager);
    driver.Then([&] { driver.Key(VK_RETURN); });
    EXPECT_EQ(IDOK, driver.Run());
    EXPECT_EQ(L"\\Flash Disk\\Data\\P1\\F03.abc", manager.GetResultPath());
}

TEST_F(FileManager, ProjectsOpenByClickUpDownAndEnterTheFirstOneIncluded)
{
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    CGridCtrl& projects = driver.Projects();
    const auto opened = [&](int row) { return projects.GetItemText(row, 1) + L"\\"; };
    driver.Then([&] {
              EXPECT_EQ(L"", dialog.OpenProject());
              EXPECT_EQ(1, driver.Files().GetRowCount());
              driver.Click(projects, 2, 1);
          })
        .Then([&] {
            EXPECT_EQ(opened(2), dialog.OpenProject());
            driver.Key(VK_UP);  // to the first project: it opens like any other
        })
        .Then([&] {
            EXPECT_EQ(1, DialogDriver::SelectedRow(projects));
            EXPECT_EQ(opened(1), dialog.OpenProject());
            const fw::WString first = projects.GetItemText(1, 1);
            const Texts expected = first == L"P1" ? Texts{L"F01", L"F02", L"F03"}
                                                  : (first == L"P2" ? Texts{L"G01"} : Texts{L"报告"});
            EXPECT_EQ(expected, Sorted(driver.Column(driver.Files(), 1)));
            driver.Key(VK_DOWN);
        })
        .Then([&] {
            EXPECT_EQ(opened(2), dialog.OpenProject());
            driver.Key(VK_RETURN);  // Enter on the project grid opens the selected project
        })
        .Then([&] {
            EXPECT_EQ(2, DialogDriver::SelectedRow(projects));
            EXPECT_EQ(opened(2), dialog.OpenProject());
            driver.Key(VK_F4);  // becomes Escape
        });
    EXPECT_EQ(IDCANCEL, driver.Run());
    EXPECT_EQ(L"", dialog.GetResultPath());
}

TEST_F(FileManager, HeadersSortAndTheHeaderCheckBoxTicksEveryRow)
{
    host.startLocation = "P1\\F01";
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    CGridCtrl& files = driver.Files();
    const auto buttons = [&] {
        return std::vector<bool>{driver.IsEnabled(IDC_DELETE), driver.IsEnabled(IDC_EXPORT),
                                 driver.IsEnabled(IDC_UPLOAD)};
    };
    const std::vector<bool> none{false, false, false}, all{true, true, true};
    driver.Then([&] { driver.Click(files, 0, 4); })
        .Then([&] {
            EXPECT_EQ((Texts{L"1", L"9", L"100"}), driver.Column(files, 4));  // by number, not by text
            driver.Click(files, 0, 4);
        })
        .Then([&] {
            EXPECT_EQ((Texts{L"100", L"9", L"1"}), driver.Column(files, 4));
            driver.Click(files, 0, 1);
        })
        .Then([&] {
            EXPECT_EQ((Texts{L"F01", L"F02", L"F03"}), driver.Column(files, 1));
            EXPECT_EQ(none, buttons());
            driver.Click(files, 0, 0);
        })
        .Then([&] {
            EXPECT_EQ((Texts{L"F01", L"F02", L"F03"}), DialogDriver::Checked(files));
            EXPECT_EQ(all, buttons());
            driver.Click(files, 0, 0);
        })
        .Then([&] {
            EXPECT_EQ(Texts{}, DialogDriver::Checked(files));
            EXPECT_EQ(none, buttons());
            driver.Key(VK_F3);  // Delete is disabled: nothing
            driver.Click(files, 2, 0);
        })
        .Then([&] {
            EXPECT_EQ(Texts{L"F02"}, DialogDriver::Checked(files));
            EXPECT_EQ(all, buttons());
            EXPECT_TRUE(driver.IsEnabled(IDC_OPEN));
            driver.Key(VK_F3);
        })
        .Then([&] { driver.Press(IDC_EXIT); });
    EXPECT_EQ(IDCANCEL, driver.Run());
    EXPECT_EQ(std::vector<int>{IDC_DELETE}, dialog.postedCommands);
}

TEST_F(FileManager, SteepLongSwipesPageTheList)
{
    std::vector<dialogtest::TestFile> many;
    for (int i = 0; i < 80; ++i)
        many.push_back({fw::WString::Format(L"M%02d.abc", i).str(), "m", L""});
    ASSERT_TRUE(WriteProject(device, std::wstring(kData) + L"Many\\", many));
    host.startLocation = "Many\\";
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    CGridCtrl& files = driver.Files();
    std::vector<int> tops;
    const auto top = [&] { tops.push_back(files.GetTopleftNonFixedCell().row); };
    driver.Then([&] { ASSERT_EQ(81, files.GetRowCount()); });
    const POINT strokes[][2] = {{{100, 50}, {130, 200}},   // dy 150, dx 30: down a page
                                {{100, 200}, {130, 50}},   // and up again
                                {{100, 50}, {180, 200}},   // dy / dx = 1
                                {{100, 50}, {100, 200}},   // straight down
                                {{100, 50}, {130, 150}}};  // dy 100
    for (const auto& stroke : strokes)
        driver.Then([&, stroke] {
            top();
            driver.Swipe(files, stroke[0], stroke[1]);
        });
    driver.Then(top);
    driver.Run();
    ASSERT_EQ(6u, tops.size());
    EXPECT_GT(tops[1], 10);
    tops.erase(tops.begin() + 1);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1}), tops);
}

// What each language shows, and a host that takes no uploads.
TEST_F(FileManager, EachLanguageItsTextsAndOnlyChineseWithAnUploadHookShowsUpload)
{
    struct Case {
        int32_t language;
        bool uploadItem;
        Texts buttons;  // Open, Delete, Export, Upload, Exit, the storage label
        Texts titles;   // of both grids
        const wchar_t* unknownSize;
        const wchar_t* openNotice;
    };
    const Case cases[] = {
        {0, true, {L"打开", L"删除", L"导出", L"上传", L"退出", L"存储空间"}, {L"工程名称(3)", L"文件名称(1)"}, L"未知",
         L"messageBox(请选择需要打开的文件。|提示|0)"},
        {1, true, {L"Open", L"Delete", L"Copy", L"", L"Exit", L"Storage"}, {L"Project Name(3)", L"File Name(1)"},
         L"Unknown", L"messageBox(Please select the file, which you want to open it.|Notice|0)"},
        {0, false, {L"打开", L"删除", L"导出", L"", L"退出", L"存储空间"}, {L"工程名称(3)", L"文件名称(1)"}, L"未知",
         L"messageBox(请选择需要打开的文件。|提示|0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language * 10 + c.uploadItem);
        host.language = c.language;
        host.withUploadItem = c.uploadItem;
        host.ClearJournal();
        const bool upload = c.language == 0 && c.uploadItem;
        RecordingDialog manager;
        manager.TakeOverRecord(host.Record());
        DialogDriver driver(manager);
        CGridCtrl& files = driver.Files();
        driver.Then([&] { driver.Click(driver.Projects(), RowOf(driver.Projects(), L"P2"), 1); })
            .Then([&] {
                EXPECT_EQ(c.buttons, (Texts{driver.Text(IDC_OPEN), driver.Text(IDC_DELETE), driver.Text(IDC_EXPORT),
                                            driver.Text(IDC_UPLOAD), driver.Text(IDC_EXIT),
                                            driver.Text(IDC_STORAGE_LABEL)}));
                EXPECT_EQ(c.titles, (Texts{driver.Projects().GetItemText(0, 1).str(), files.GetItemText(0, 1).str()}));
                EXPECT_EQ(c.unknownSize, files.GetItemText(1, 4));
                EXPECT_EQ(upload, files.GetColumnWidth(2) > 0 && files.GetColumnWidth(3) > 0);
                EXPECT_GT(files.GetColumnWidth(4), 0);
                EXPECT_FALSE(driver.IsEnabled(IDC_OPEN));
                driver.Click(files, 0, 0);  // every file ticked, none chosen
            })
            .Then([&] {
                EXPECT_TRUE(driver.IsEnabled(IDC_DELETE));
                EXPECT_EQ(upload, driver.IsEnabled(IDC_UPLOAD));
                driver.Key(VK_RETURN);  // Open without a file
            })
            .Then([&] { driver.Press(IDC_EXIT); });
        EXPECT_EQ(IDCANCEL, driver.Run());
        EXPECT_EQ(L"", manager.GetResultPath());
        EXPECT_EQ(Texts{c.openNotice}, host.Journal());
    }
}

// The template's controls, in dialog units on the device's 320 x 240.
struct TemplateControl {
    int id;
    const wchar_t* windowClass;
    const wchar_t* caption;
    RECT units;  // x, y, x + w, y + h
    bool visible;
};
constexpr TemplateControl kTemplate[] = {
    {IDC_PROJECT_GRID, L"MFCGridCtrl", L"GridCtrl", {10, 10, 120, 192}, true},
    {IDC_FILE_GRID, L"MFCGridCtrl", L"GridCtrl", {130, 10, 310, 192}, true},
    {IDC_OPEN, L"Button", L"打开", {0, 216, 53, 240}, true},
    {IDC_DELETE, L"Button", L"删除", {53, 216, 106, 240}, true},
    {IDC_EXPORT, L"Button", L"导出", {106, 216, 159, 240}, true},
    {IDC_UPLOAD, L"Button", L"上传", {159, 216, 212, 240}, true},
    {IDC_FILLER, L"Button", L"", {212, 216, 267, 240}, true},
    {IDC_EXIT, L"Button", L"退出", {267, 216, 320, 240}, true},
    {IDC_FREE_SPACE, L"Static", L"静态", {63, 195, 310, 213}, false},
    {IDC_STORAGE_LABEL, L"Static", L"存储空间", {12, 195, 63, 213}, true},
    {IDC_TITLE_BAR, L"Static", L"", {0, 0, 320, 18}, false},
    {IDC_TITLE_LEFT, L"Static", L"", {0, 0, 105, 18}, false},
    {IDC_TITLE_MIDDLE, L"Static", L"", {105, 0, 210, 18}, false},
    {IDC_TITLE_RIGHT, L"Static", L"", {210, 0, 320, 18}, false},
};

TEST_F(FileManager, TemplateControlsAreLaidOutOnWhateverScreenThereIs)
{
    host.language = 2;  // no language: the template's own captions stay
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    const auto check = [&](int cx, int cy) {
        const RECT window = dialog.GetWindowRect();
        EXPECT_EQ((std::vector<LONG>{0, 0, cx, cy}),
                  (std::vector<LONG>{window.left, window.top, window.right, window.bottom}));
        HWND child = ::GetWindow(dialog.Handle(), GW_CHILD);
        for (const TemplateControl& control : kTemplate) {  // in the template's order
            SCOPED_TRACE(control.id);
            ASSERT_EQ(::GetDlgItem(dialog.Handle(), control.id), child);
            EXPECT_EQ(0, ::lstrcmpiW(control.windowClass, testsupport::ClassName(child).c_str()));
            if (control.id != IDC_UPLOAD && control.id != IDC_FREE_SPACE) {
                EXPECT_EQ(control.caption, driver.Text(control.id));
            }
            EXPECT_EQ(control.visible, ::IsWindowVisible(child) != FALSE);
            if (control.id == IDC_FILLER) {
                EXPECT_FALSE(::IsWindowEnabled(child));
            }
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if (std::wstring(control.windowClass) == L"Static") {
                EXPECT_EQ(WS_GROUP | (control.id == IDC_FREE_SPACE ? SS_RIGHT : SS_LEFT),
                          style & (WS_GROUP | SS_TYPEMASK));
            } else if (std::wstring(control.windowClass) == L"MFCGridCtrl") {  // Wine makes the border a client edge
                EXPECT_EQ(0x50010C0D, style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0xFFFF));
            }
            const RECT rect = driver.RectOf(control.id);
            EXPECT_NEAR(control.units.left * cx / 320.0, rect.left, 3);
            EXPECT_NEAR(control.units.top * cy / 240.0, rect.top, 3);
            EXPECT_NEAR(control.units.right * cx / 320.0, rect.right, 3);
            EXPECT_NEAR(control.units.bottom * cy / 240.0, rect.bottom, 3);
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
    };
    driver.Then([&] {
              check(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
              dialog.LayoutToScreen(320, 240);  // the device's screen
          })
        .Then([&] { check(320, 240); });
    driver.Run();
}

// Rows of a picture's area that hold dark (text) pixels.
int InkHeight(const fw::MemoryBitmap& picture, const RECT& area)
{
    int top = -1, bottom = -1;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF pixel = picture.Pixel(x, y);
            if (GetRValue(pixel) < 96 && GetGValue(pixel) < 96 && GetBValue(pixel) < 96) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    return top < 0 ? 0 : bottom - top + 1;
}

TEST_F(FileManager, LayoutCodeFourWidensTheProjectListAndEnlargesBothFonts)
{
    struct Look {
        RECT projects, files;
        int rowHeight, inkHeight, projectRowHeight, freeSpaceInk;
    };
    const auto lookOf = [&](const std::string& pattern, const CorvaneFont* font = nullptr) {
        host.filePattern = pattern;
        host.font = font;
        RecordingDialog manager;
        manager.TakeOverRecord(host.Record());
        DialogDriver driver(manager);
        Look look{};
        driver.Then([&] {
            look.projects = driver.RectOf(IDC_PROJECT_GRID);
            look.files = driver.RectOf(IDC_FILE_GRID);
            look.rowHeight = driver.Files().GetRowHeight(1);
            RECT cell{};  // the first file's name in the dialog's picture
            driver.Files().GetCellRect(1, 1, &cell);
            ::MapWindowPoints(driver.Files().Handle(), manager.Handle(), reinterpret_cast<POINT*>(&cell), 2);
            const auto picture = driver.Snapshot();
            look.inkHeight = InkHeight(*picture, cell);
            look.projectRowHeight = driver.Projects().GetRowHeight(1);
            RECT bar = driver.RectOf(IDC_FREE_SPACE);  // inside its frame
            ::InflateRect(&bar, -2, -2);
            look.freeSpaceInk = InkHeight(*picture, bar);
        });
        driver.Run();
        return look;
    };
    host.startLocation = "P1\\F01";
    const Look normal = lookOf("*.abc");
    const Look large = lookOf(std::string("*.abc\x01\x04", 7));

    const int d = (normal.files.right - normal.files.left) / 8;
    EXPECT_EQ(normal.projects.right + d, large.projects.right);
    EXPECT_EQ(normal.files.left + d, large.files.left);
    EXPECT_EQ(normal.files.right, large.files.right);
    EXPECT_EQ(normal.projects.left, large.projects.left);
    EXPECT_GE(large.rowHeight, 28);
    EXPECT_GT(large.rowHeight, normal.rowHeight);
    EXPECT_GT(normal.inkHeight, 0);
    EXPECT_GE(large.inkHeight, normal.inkHeight + 4);

    // The host's font: both lists and the free-space text take it.
    const fw::Font font(::CreateFontW(-26, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体"));
    const CorvaneFont hostFont{nullptr, font.Get()};
    const Look hosted = lookOf("*.abc", &hostFont);
    EXPECT_GT(hosted.rowHeight, normal.rowHeight);
    EXPECT_GT(hosted.projectRowHeight, normal.projectRowHeight);
    EXPECT_GT(normal.freeSpaceInk, 0);
    EXPECT_GE(hosted.freeSpaceInk, normal.freeSpaceInk + 4);
}

TEST_F(FileManager, TheListsTakeNoEditAndNoColumnResizing)
{
    host.startLocation = "P1\\F03";
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    CGridCtrl& files = driver.Files();
    RECT name{}, header{};
    int width = 0;
    driver
        .Then([&] {  // a double tap on a name
            files.GetCellRect(1, 1, &name);
            const LPARAM at = MAKELPARAM(name.left + 8, (name.top + name.bottom) / 2);
            for (UINT press : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                files.Post(press, press == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        })
        .Then([&] {  // no editor; then a drag of the divider right of the names' header
            EXPECT_EQ(nullptr, ::GetDlgItem(files.Handle(), kGridEditorId));
            width = files.GetColumnWidth(1);
            files.GetCellRect(0, 1, &header);
            const int y = (header.top + header.bottom) / 2;
            files.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(header.right, y));
            files.Post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(header.right + 40, y));
            files.Post(WM_LBUTTONUP, 0, MAKELPARAM(header.right + 40, y));
        })
        .Then([&] { EXPECT_EQ(width, files.GetColumnWidth(1)); });
    driver.Run();
}

TEST_F(FileManager, ControlsTakeTheHostsColours)
{
    fw::Brush background(::CreateSolidBrush(RGB(10, 120, 200)));
    fw::Brush button(::CreateSolidBrush(RGB(0, 160, 0)));
    host.colors = ColorScheme{background.Get(), button.Get(), RGB(255, 255, 0), RGB(10, 120, 200), 0};
    dialog.TakeOverRecord(host.Record());
    DialogDriver driver(dialog);
    driver.Then([&] {
        const auto picture = driver.Snapshot();
        EXPECT_EQ(RGB(10, 120, 200), picture->Pixel(2, 2));  // the dialog
        const RECT label = driver.RectOf(IDC_STORAGE_LABEL);
        EXPECT_EQ(RGB(10, 120, 200), picture->Pixel(label.right - 2, label.bottom - 2));  // a static
        int yellow = 0;  // its text
        for (int y = label.top; y < label.bottom; ++y)
            for (int x = label.left; x < label.right; ++x)
                yellow += picture->Pixel(x, y) == RGB(255, 255, 0) ? 1 : 0;
        EXPECT_GT(yellow, 10);
    });
    driver.Run();
}

}  // namespace
