#pragma once
// What the file manager tests share: a host that records every hook call and
// answers the messageBox hook from a script, and a driver that runs the
// dialog modally in this process and plays steps in it as a person would act.
//
//     RecordingHost host;                      // the record and the journal
//     host.dataLocation = "Flash Disk\\Data\\";
//     CCorvaneDlg dialog;
//     dialog.TakeOverRecord(host.Record());
//     DialogDriver driver(dialog);
//     driver.Then([&] { driver.Key(VK_DOWN); })
//           .Then([&] { EXPECT_EQ(..., driver.Column(driver.Files(), 1)); driver.Key(VK_RETURN); });
//     EXPECT_EQ(IDOK, driver.Run());
//
// Each step runs once the dialog has handled everything posted before it
// (clicks, keys, the clicks those post in turn): steps run from a timer,
// whose message comes only when no posted message waits. A script that runs
// out ends the dialog with kScriptEnded; one that takes too long with kTimedOut.
// A script that does not run to its end fails the test: the dialog never
// opened, ended before the last step, or ran out of time.
//
// The dialog of a loaded plug-in, which the test knows only by its window:
//
//     DialogDriver driver;                     // the next dialog this thread shows
//     driver.Then([&] { driver.Key(VK_F9); });
//     driver.Play([&] { text = plugin.ShowManager()(&record); });

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CorvaneDlg.h"
#include "framework/Gdi.h"
#include "plugin/resource.h"
#include "support/Device.h"

namespace dialogtest {

// The record a host passes, with hooks that write to a journal.
class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // The record's texts, in the ANSI code page (see Ansi()).
    std::string dataLocation = "Flash Disk\\Data\\";
    std::string startLocation;
    std::string filePattern = "*.abc";
    int32_t language = 0;
    bool withMessageBox = true;
    bool withUploadItem = true;
    bool withDeleteFile = true;  // its deleteFile deletes with the platform's deletion
    int32_t canUploadAnswer = 1;
    const CorvaneFont* font = nullptr;
    ColorScheme colors{};
    // Answers of messageBox in order; when they run out: 6 (Yes) for type 4, 1 (OK) otherwise.
    std::vector<int32_t> answers;
    // Called with each journal line as the hook is called, to look at the dialog meanwhile.
    std::function<void(const std::wstring& line)> onCall;

    // The record made from the fields above. It lives in this object (the
    // dialog keeps a pointer to its colours), and points into it.
    const ShowManagerParams& Record();
    // Every hook call so far, one line each: "messageBox(text|caption|type)".
    const std::vector<std::wstring>& Journal() const { return m_journal; }
    void ClearJournal() { m_journal.clear(); }

private:
    static RecordingHost* s_current;
    static int32_t CORVANE_CALL OnMessageBox(CorvaneString text, CorvaneString caption, int32_t type);
    static int32_t CORVANE_CALL Exported(const wchar_t* folder);
    static void CORVANE_CALL ProjectChanged();
    static void CORVANE_CALL UploadItem(CorvaneString path, CorvaneString extra);
    static int32_t CORVANE_CALL CanUpload();
    static void CORVANE_CALL UploadDone();
    static void CORVANE_CALL UploadRefused();
    static int32_t CORVANE_CALL OnDeleteFile(CorvaneString path);
    static void CORVANE_CALL Reserved();
    static void Note(const std::wstring& line);

    ShowManagerParams m_record{};
    std::vector<std::wstring> m_journal;
    size_t m_answered = 0;
};

// Text in this process's ANSI code page, as a host passes it.
std::string Ansi(const std::wstring& text);
// True when the ANSI code page can carry Chinese (936 on the device).
bool AnsiCarriesChinese();

// The dialog with the button commands posted to it recorded (IDC_OPEN,
// IDC_DELETE ...) as they arrive in its modal loop; the grids' own
// after-click commands are left out.
class RecordingDialog : public CCorvaneDlg {
public:
    std::vector<int> postedCommands;

protected:
    bool PreTranslateMessage(MSG* message) override
    {
        const int id = LOWORD(message->wParam);
        if (message->message == WM_COMMAND && message->hwnd == m_hwnd && id != IDC_PROJECT_GRID && id != IDC_FILE_GRID)
            postedCommands.push_back(id);
        return CCorvaneDlg::PreTranslateMessage(message);
    }
};

class DialogDriver {
public:
    static constexpr INT_PTR kScriptEnded = -10;
    static constexpr INT_PTR kTimedOut = -11;

    explicit DialogDriver(CCorvaneDlg& dialog, unsigned timeLimitMilliseconds = 30000);
    // For the next dialog (class #32770) that this thread shows, made by code
    // the test only calls; Projects() and Files() are not there. See Play().
    explicit DialogDriver(unsigned timeLimitMilliseconds = 30000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Adds a step.
    DialogDriver& Then(std::function<void()> step);
    // Runs the dialog with the steps; DoModal's result.
    INT_PTR Run();
    // Calls show, which runs a dialog modally, with the steps played in that
    // dialog; when they run out (or the time) it is cancelled.
    void Play(const std::function<void()>& show);
    // Calls show, which must not show a dialog: one that opens is cancelled and fails the test.
    void PlayWithoutDialog(const std::function<void()>& show);
    // Whether the dialog outlived the last step and the driver ended it.
    bool EndedByDriver() const { return m_ended == kScriptEnded; }
    // The dialog's window while it runs.
    HWND Window() const { return m_dialog ? m_dialog->Handle() : m_window; }

    // --- what a person does (posted, as the input would arrive)
    // A click into the middle of a cell (scrolled into view first).
    void Click(CGridCtrl& grid, int row, int col);
    // A press at one point and a release at another.
    void Swipe(CGridCtrl& grid, POINT from, POINT to);
    // A key pressed and released on the window with the focus.
    void Key(UINT key);
    // A button pressed; a failure when a person could not press it (hidden or disabled).
    void Press(int id);

    // --- what a person sees
    CGridCtrl& Projects() { return m_dialog->ProjectGrid(); }
    CGridCtrl& Files() { return m_dialog->FileGrid(); }
    // The texts of a column, rows 1 and on.
    static std::vector<std::wstring> Column(CGridCtrl& grid, int col);
    // The checked rows' names.
    static std::vector<std::wstring> Checked(CGridCtrl& grid);
    static int SelectedRow(CGridCtrl& grid) { return grid.GetSelectedCellRange().maxRow; }
    bool IsEnabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(Window(), id)) != FALSE; }
    std::wstring Text(int id) const;
    // The dialog as it is on the screen.
    std::unique_ptr<fw::MemoryBitmap> Snapshot() const;
    // A control's rectangle in the dialog.
    RECT RectOf(int id) const;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Show(const std::function<void()>& show);
    void End(INT_PTR result);
    static DialogDriver* s_current;

    CCorvaneDlg* m_dialog = nullptr;
    HWND m_window = nullptr;
    INT_PTR m_ended = 0;  // kScriptEnded or kTimedOut once ended
    bool m_opened = false;
    std::vector<std::function<void()>> m_steps;
    size_t m_next = 0;
    DWORD m_deadline = 0;
    unsigned m_timeLimit;
    UINT_PTR m_timer = 0;
};

// A test on a device entered as the working drive, with a recording host.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.IsReady());
        device.Enter();
    }
    testsupport::Device device;
    RecordingHost host;
};

// Names sorted, for lists in the file system's order.
std::vector<std::wstring> Sorted(std::vector<std::wstring> texts);
// The row whose name (column 1) is name; -1 when none.
int RowOf(CGridCtrl& grid, const std::wstring& name);

// A file with contents and a modification time (local time, "2024-05-01 10:30").
struct TestFile {
    std::wstring name;
    std::string bytes;
    std::wstring modified;  // empty: now
};
// Writes a project folder's files (and upload.ini when given) below the device path.
bool WriteProject(const testsupport::Device& device, const std::wstring& projectFolder,
                  const std::vector<TestFile>& files, const std::string& uploadIni = std::string());

}  // namespace dialogtest
