// The update dialog run in this process with a real worker, real files and
// real programs: what it shows in each language, how its bar moves, and which
// commands it takes while a run copies.
#include <gtest/gtest.h>

#include <functional>

#include "UpdateDlg.h"
#include "UpdateTestSupport.h"
#include "framework/App.h"
#include "resource.h"
#include "support/Device.h"
#include "support/PaintWatcher.h"
#include "support/MessageBoxes.h"
#include "support/Printers.h"
#include "support/Process.h"

using testsupport::Device;
using testsupport::HeldFile;
using updatetest::kInstallFolder;
using updatetest::kReleaseFolder;
using updatetest::kStagingFolder;

namespace {

constexpr UINT_PTR kTimeoutTimer = 77;
constexpr UINT_PTR kCloseWhenOfferedTimer = 78;
constexpr UINT kTimeoutMilliseconds = 30000;
constexpr wchar_t kMissingProgram[] = L"\\Flash Disk\\Q9Soft\\NotInstalled.exe";

using Texts = std::vector<std::wstring>;

// Notes every text, visibility and enabling change of one control.
class ControlRecorder : public fw::WindowImpl {
public:
    ControlRecorder(const wchar_t* name, std::vector<std::wstring>& log, Texts& texts)
        : m_name(name), m_log(log), m_texts(texts)
    {
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETTEXT) {
            m_texts.push_back(reinterpret_cast<const wchar_t*>(lParam));
            m_log.push_back(m_name + L": " + m_texts.back());
        } else if (message == WM_SHOWWINDOW) {
            m_log.push_back(m_name + (wParam ? L" shown" : L" hidden"));
        } else if (message == WM_ENABLE) {
            m_log.push_back(m_name + (wParam ? L" enabled" : L" disabled"));
        }
        return DefaultProc(message, wParam, lParam);
    }

private:
    std::wstring m_name;
    std::vector<std::wstring>& m_log;
    Texts& m_texts;
};

// A message as it arrived, with the bar's state before it was handled.
struct Arrival {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int low;
    int high;
    int position;
};

// The update dialog with recorders on its controls, a script of commands
// posted after initialisation, a hook before each progress message, and a
// time limit so that a test never hangs.
class DialogUnderTest : public UpdateDlg {
public:
    explicit DialogUnderTest(const UpdateSettings& settings) : UpdateDlg(settings)
    {
        MapMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
            if (id == kTimeoutTimer) {
                timedOut = true;
                EndDialog(-2);
            }
            fw::Window button = GetItem(IDC_UPDATE_BUTTON);
            std::wstring caption = button.GetText().str();
            if (id == kCloseWhenOfferedTimer && button.IsEnabled() && (caption == L"Close" || caption == L"关闭"))
                PostCommand(IDC_UPDATE_BUTTON);
            return 0;
        });
    }

    std::vector<std::wstring> log;  // changes of the controls, in order
    Texts statusTexts;
    Texts buttonTexts;
    std::vector<Arrival> arrivals;  // progress messages and commands
    int barPaintedAt = -1;          // the bar's position at its last painting
    std::vector<UINT> script;       // command ids posted after initialisation
    std::function<void(DialogUnderTest&)> onInit;
    std::function<void(DialogUnderTest&, WPARAM, LPARAM)> beforeProgress;
    std::function<void(DialogUnderTest&)> beforeCommand;  // once it is among the arrivals
    std::function<bool(WPARAM, LPARAM)> lose;  // progress messages taken away before the dialog sees them
    bool pressCloseWhenOffered = false;
    bool timedOut = false;

    void PostCommand(int id) const
    {
        Post(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetItem(id).Handle()));
    }
    LRESULT SendCommand(int id) const { return Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    ProgressCtrl Bar() const { return ProgressCtrl(GetItem(IDC_UPDATE_PROGRESS).Handle()); }

protected:
    bool OnInitDialog() override
    {
        m_statusRecorder.SubclassWindow(GetItem(IDC_UPDATE_TEXT).Handle());
        m_buttonRecorder.SubclassWindow(GetItem(IDC_UPDATE_BUTTON).Handle());
        m_barRecorder.SubclassWindow(GetItem(IDC_UPDATE_PROGRESS).Handle());
        bool result = UpdateDlg::OnInitDialog();
        ::SetTimer(m_hwnd, kTimeoutTimer, kTimeoutMilliseconds, nullptr);
        if (pressCloseWhenOffered)
            ::SetTimer(m_hwnd, kCloseWhenOfferedTimer, 50, nullptr);
        for (UINT id : script)
            PostCommand(static_cast<int>(id));
        if (onInit)
            onInit(*this);
        return result;
    }

    bool PreTranslateMessage(MSG* message) override
    {
        if (message->hwnd == m_hwnd && (message->message == WM_UPDATE_PROGRESS || message->message == WM_COMMAND)) {
            int low = 0;
            int high = 0;
            Bar().GetRange(low, high);
            arrivals.push_back({message->message, message->wParam, message->lParam, low, high, Bar().GetPos()});
            if (message->message == WM_UPDATE_PROGRESS && beforeProgress)
                beforeProgress(*this, message->wParam, message->lParam);
            if (message->message == WM_COMMAND && beforeCommand)
                beforeCommand(*this);
            if (message->message == WM_UPDATE_PROGRESS && lose && lose(message->wParam, message->lParam))
                return true;
        }
        return UpdateDlg::PreTranslateMessage(message);
    }

private:
    ControlRecorder m_statusRecorder{L"status", log, statusTexts};
    ControlRecorder m_buttonRecorder{L"button", log, buttonTexts};
    // Notes the position the bar showed when it was last painted.
    testsupport::PaintWatcher m_barRecorder{
        [this](HWND bar) { barPaintedAt = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)); }};
};

class Dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        updatetest::KillStandIns();
        ASSERT_TRUE(device.IsReady());
        device.Enter();
        settings.updateSrcPath = kReleaseFolder;
        settings.updateDstPath = kInstallFolder;
        settings.tempPath = kStagingFolder;
        settings.exeFullName = kMissingProgram;
        settings.startExeWhenUpdateOver = 0;
        settings.uiLanguage = 1;
    }
    void TearDown() override { updatetest::KillStandIns(); }

    void WriteRelease(int files)
    {
        for (int i = 0; i < files; ++i)
            ASSERT_TRUE(device.WriteFile(kReleaseFolder + std::wstring(L"part\\File") + std::to_wstring(i) + L".dat",
                                         std::string(1000 + i, 'x')));
    }

    // Runs the dialog to its end.
    INT_PTR Run(DialogUnderTest& dialog)
    {
        INT_PTR result = dialog.DoModal();
        EXPECT_FALSE(dialog.timedOut) << "the dialog did not end";
        return result;
    }

    Device device{true};
    UpdateApp app;  // message boxes carry the program's name
    UpdateSettings settings;
    testsupport::MessageBoxRecorder boxes;
};

// The texts of one language value, written out.
struct LanguageTexts {
    int language;
    const wchar_t* updateCaption;
    const wchar_t* pleaseWait;
    const wchar_t* notStopped;
    const wchar_t* noFiles;
    const wchar_t* succeeded;
    const wchar_t* closeAfterSuccess;
    const wchar_t* closeWithoutAutomaticStart;
    const wchar_t* copyFailed;
    const wchar_t* uDiskPulledOut;
    const wchar_t* closeAfterFailure;
    const wchar_t* notStarted;
    const wchar_t* notEnoughSpace;  // 2 MB needed, 0 free
};

const LanguageTexts kChinese{0, L"升    级", L"升级中，请稍后...", L"升级失败，错误码=0x0001",
                             L"升级包中未包含升级文件，请检查！", L"升级成功!", L"关闭", L"关闭",
                             L"升级失败,错误码=0x7934", L"升级失败！U盘可能已被拔出。", L"关闭",
                             L"打开程序出错,请重启设备。", L"升级失败！空间不足，需要2MB，剩余0MB。"};
const LanguageTexts kEnglish{1, L"Update", L"Please wait for updating...", L"Update failed,errcode=0x0001",
                             L"No files in update dir,Pleae check！", L"Update Succeeded!", L"Close", L"Close",
                             L"Update failed,code=0x7934", L"Update failed！The U disk may have been pulled out。",
                             L"Close", L"Open program error,Please Reset the device。",
                             L"Update failed！Not enough space,2MB needed,0MB free。"};
// Other values: the texts tested "1 only" are Chinese, those tested "all but 0" English.
const LanguageTexts kOther{2, L"升    级", L"升级中，请稍后...", L"升级失败，错误码=0x0001",
                           L"升级包中未包含升级文件，请检查！", L"升级成功!", L"关闭", L"Close",
                           L"升级失败,错误码=0x7934", L"Update failed！The U disk may have been pulled out。", L"Close",
                           L"打开程序出错,请重启设备。", L"升级失败！空间不足，需要2MB，剩余0MB。"};

class DialogTexts : public Dialog, public ::testing::WithParamInterface<LanguageTexts> {
protected:
    void SetUp() override
    {
        Dialog::SetUp();
        settings.uiLanguage = GetParam().language;
    }
    // The button's captions: what initialisation sets (English only), then the rest.
    Texts Captions(std::initializer_list<const wchar_t*> rest) const
    {
        Texts captions;
        if (GetParam().language == 1)
            captions.push_back(L"Update");
        captions.insert(captions.end(), rest.begin(), rest.end());
        return captions;
    }
};

}  // namespace

TEST_P(DialogTexts, ARefusedRunShowsItsMessageBoxAndTheDialogStaysReady)
{
    const LanguageTexts& t = GetParam();
    ASSERT_TRUE(updatetest::InstallStandIns(device));
    settings.exeFullName = updatetest::kMainProgram;
    WriteRelease(2);
    updatetest::GuardedProgram guarded;  // a main program that cannot be stopped
    ASSERT_TRUE(guarded.Start(device.Path(updatetest::kMainProgram), device.Root()));
    {
        DialogUnderTest dialog(settings);
        dialog.script = {IDC_UPDATE_BUTTON, IDCANCEL};
        EXPECT_EQ(IDCANCEL, Run(dialog));
        EXPECT_EQ(Texts{t.pleaseWait}, dialog.statusTexts);
        EXPECT_EQ(Captions({}), dialog.buttonTexts);
    }
    guarded.Kill();
    {
        // A release without a file that is long enough to be listed.
        ASSERT_TRUE(device.RemoveVolume(L"\\硬盘"));
        ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\a.db", "short name"));
        DialogUnderTest dialog(settings);
        dialog.script = {IDC_UPDATE_BUTTON, IDCANCEL};
        EXPECT_EQ(IDCANCEL, Run(dialog));
        EXPECT_EQ(Captions({}), dialog.buttonTexts);
        EXPECT_EQ(std::find(dialog.log.begin(), dialog.log.end(), L"status shown"), dialog.log.end());
    }
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ(t.notStopped, boxes.Boxes()[0].text);
    EXPECT_EQ(t.noFiles, boxes.Boxes()[1].text);
    for (const testsupport::RecordedBox& box : boxes.Boxes()) {
        EXPECT_EQ(L"Update", box.title);
        EXPECT_EQ(static_cast<UINT>(MB_OK), box.type);
    }

    // A battery program that cannot be stopped refuses the run as well.
    updatetest::GuardedProgram battery;
    ASSERT_TRUE(battery.Start(device.Path(updatetest::kBatteryProgram), device.Root()));
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON, IDCANCEL};
    EXPECT_EQ(IDCANCEL, Run(dialog));
    ASSERT_EQ(3u, boxes.Boxes().size());
    EXPECT_EQ(t.notStopped, boxes.Boxes()[2].text);
}

TEST_P(DialogTexts, ASuccessfulRunThatStartsTheProgramByItself)
{
    const LanguageTexts& t = GetParam();
    settings.startExeWhenUpdateOver = 2;  // any value but 0
    WriteRelease(3);
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};

    EXPECT_EQ(IDOK, Run(dialog));  // ended by itself

    // The main program is not installed here, so its start fails and says so.
    EXPECT_EQ((Texts{t.pleaseWait, t.pleaseWait, t.succeeded, t.notStarted}), dialog.statusTexts);
    EXPECT_EQ(Captions({t.closeAfterSuccess}), dialog.buttonTexts);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_P(DialogTexts, ASuccessfulRunThatWaitsForTheCloseButton)
{
    const LanguageTexts& t = GetParam();
    WriteRelease(3);
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.beforeProgress = [](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position != 0 && position == static_cast<WPARAM>(total))
            d.PostCommand(IDC_UPDATE_BUTTON);  // pressed once the final message has been handled
    };

    EXPECT_EQ(IDOK, Run(dialog));

    EXPECT_EQ((Texts{t.pleaseWait, t.pleaseWait, t.succeeded, t.notStarted}), dialog.statusTexts);
    EXPECT_EQ(Captions({t.closeAfterSuccess, t.closeWithoutAutomaticStart}), dialog.buttonTexts);
}

TEST_P(DialogTexts, AFailedCopyWithTheUDiskInPlace)
{
    const LanguageTexts& t = GetParam();
    WriteRelease(3);
    HeldFile held(device.Path(L"\\硬盘\\Q9Soft\\part\\File1.dat"));
    ASSERT_TRUE(held.IsHeld());
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.beforeProgress = [](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position == 0 && total == 1)
            d.PostCommand(IDC_UPDATE_BUTTON);
    };

    EXPECT_EQ(IDOK, Run(dialog));

    // Both failure messages of the run are shown.
    EXPECT_EQ((Texts{t.pleaseWait, t.pleaseWait, t.copyFailed, t.copyFailed, t.notStarted}), dialog.statusTexts);
    EXPECT_EQ(Captions({t.closeAfterFailure, t.closeAfterFailure}), dialog.buttonTexts);
}

TEST_P(DialogTexts, AFailedCopyWithTheUDiskPulledOut)
{
    const LanguageTexts& t = GetParam();
    WriteRelease(3);
    HeldFile held(device.Path(L"\\硬盘\\Q9Soft\\part\\File1.dat"));
    ASSERT_TRUE(held.IsHeld());
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.beforeProgress = [this](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position == 0 && total == 0) {
            EXPECT_TRUE(device.RemoveVolume(L"\\硬盘"));  // gone before the dialog looks for it
        }
        if (position == 0 && total == 1)
            d.PostCommand(IDC_UPDATE_BUTTON);
    };

    EXPECT_EQ(IDOK, Run(dialog));

    EXPECT_EQ((Texts{t.pleaseWait, t.pleaseWait, t.uDiskPulledOut, t.uDiskPulledOut, t.notStarted}),
              dialog.statusTexts);
}

TEST_P(DialogTexts, ARunRefusedForRoomSaysHowManyMegabytesItNeedsAndFinds)
{
    const LanguageTexts& t = GetParam();
    std::wstring why;
    if (!device.MountSmallVolume(L"\\Flash Disk\\temp", 64, &why))
        GTEST_SKIP() << fw::WString(why).ToUtf8();
    ASSERT_TRUE(device.WriteFile(L"\\硬盘\\Q9Soft\\data\\Table.bin", std::string(1100 * 1024, 't')));
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.pressCloseWhenOffered = true;

    EXPECT_EQ(IDOK, Run(dialog));

    EXPECT_EQ((Texts{t.pleaseWait, t.pleaseWait, t.notEnoughSpace, t.notStarted}), dialog.statusTexts);
    EXPECT_EQ(Captions({t.closeAfterFailure}), dialog.buttonTexts);
    EXPECT_TRUE(updatetest::FilesBelow(device, kStagingFolder).empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTexts, ::testing::Values(kChinese, kEnglish, kOther),
                         [](const ::testing::TestParamInfo<LanguageTexts>& value) {
                             return std::string(value.param.language == 0   ? "Chinese"
                                                : value.param.language == 1 ? "English"
                                                                            : "Other");
                         });

TEST_F(Dialog, TheBarShowsTheListedFilesThenBothPassesAndReachesItsEndOnlyWithTheFinalMessage)
{
    const int n = 4;
    WriteRelease(n);
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.beforeProgress = [](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position == 1)
            ::Sleep(300);  // the messages of the passes queue up, faster than the bar draws
        if (position != 0 && position == static_cast<WPARAM>(total))
            d.PostCommand(IDC_UPDATE_BUTTON);
    };

    Run(dialog);

    std::vector<Arrival>& arrivals = dialog.arrivals;
    // The button, 2n progress messages, the final one, the close button.
    ASSERT_EQ(static_cast<size_t>(2 * n + 3), arrivals.size());
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), arrivals[0].message);
    // After the button the bar counts the listed files.
    EXPECT_EQ(0, arrivals[1].low);
    EXPECT_EQ(n, arrivals[1].high);
    EXPECT_EQ(0, arrivals[1].position);
    for (int i = 1; i <= 2 * n + 1; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(static_cast<UINT>(WM_UPDATE_PROGRESS), arrivals[i].message);
        EXPECT_EQ(static_cast<WPARAM>(i < 2 * n + 1 ? i : 2 * n + 5), arrivals[i].wParam);
        EXPECT_EQ(2 * n + 5, arrivals[i].lParam);
        if (i > 1) {
            // From the first message on the range is 0 … 2n + 5, and the position the previous one.
            EXPECT_EQ(2 * n + 5, arrivals[i].high);
            EXPECT_EQ(i - 1, arrivals[i].position);
        }
    }
    EXPECT_EQ(2 * n + 5, arrivals.back().high);
    EXPECT_EQ(2 * n + 5, arrivals.back().position);
    // However seldom it drew while the passes' messages queued up, it was drawn at its end.
    EXPECT_EQ(2 * n + 5, dialog.barPaintedAt);
}

TEST_F(Dialog, PressedAgainAfterARefusalTheRunListsTheReleaseOnce)
{
    const int n = 3;
    WriteRelease(n);
    ASSERT_TRUE(updatetest::InstallStandIns(device));
    settings.exeFullName = updatetest::kMainProgram;
    updatetest::GuardedProgram guarded;  // not to be stopped at the first press, gone at the second
    ASSERT_TRUE(guarded.Start(device.Path(updatetest::kMainProgram), device.Root()));
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON, IDC_UPDATE_BUTTON};
    dialog.pressCloseWhenOffered = true;
    dialog.beforeCommand = [&](DialogUnderTest& d) {
        if (d.arrivals.size() == 2)
            guarded.Kill();
    };
    EXPECT_EQ(IDOK, Run(dialog));
    EXPECT_EQ(1u, boxes.Boxes().size());  // the refusal
    ASSERT_GE(dialog.arrivals.size(), 3u);
    EXPECT_EQ(static_cast<UINT>(WM_UPDATE_PROGRESS), dialog.arrivals[2].message);
    EXPECT_EQ(n, dialog.arrivals[2].high);  // the bar counts the release once
    EXPECT_EQ(2 * n + 5, dialog.arrivals[2].lParam);
}

TEST_F(Dialog, OkAndCancelAreRefusedWhileTheRunCopiesAndTheQueryIsAlwaysAnswered)
{
    WriteRelease(3);
    std::vector<LRESULT> answers;
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.onInit = [&answers](DialogUnderTest& d) { answers.push_back(d.Send(WM_UPDATE_QUERY)); };
    dialog.beforeProgress = [&answers](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position == 1) {
            answers.push_back(d.Send(WM_UPDATE_QUERY));
            d.SendCommand(IDCANCEL);  // Escape
            d.SendCommand(IDOK);      // Enter
            d.Send(WM_CLOSE);         // the system close
        }
        if (position != 0 && position == static_cast<WPARAM>(total))
            d.PostCommand(IDCANCEL);  // once the run is over, Escape ends the dialog again
    };

    EXPECT_EQ(IDCANCEL, Run(dialog));

    EXPECT_EQ(L"Update Succeeded!", dialog.statusTexts.back());
    EXPECT_EQ((std::vector<LRESULT>{1, 1}), answers);
    EXPECT_EQ(updatetest::FilesBelow(device, kReleaseFolder), updatetest::FilesBelow(device, kInstallFolder));
}

TEST_F(Dialog, ARunWhoseLastMessageIsLostStillShowsItsResult)
{
    WriteRelease(3);
    {
        DialogUnderTest dialog(settings);
        dialog.script = {IDC_UPDATE_BUTTON};
        dialog.pressCloseWhenOffered = true;
        dialog.lose = [](WPARAM position, LPARAM total) {
            return position != 0 && position == static_cast<WPARAM>(total);  // the final message
        };
        EXPECT_EQ(IDOK, Run(dialog));
        EXPECT_EQ((Texts{L"Please wait for updating...", L"Please wait for updating...", L"Update Succeeded!",
                         L"Open program error,Please Reset the device。"}),
                  dialog.statusTexts);
    }
    HeldFile held(device.Path(L"\\硬盘\\Q9Soft\\part\\File1.dat"));
    ASSERT_TRUE(held.IsHeld());
    {
        DialogUnderTest dialog(settings);
        dialog.script = {IDC_UPDATE_BUTTON};
        dialog.pressCloseWhenOffered = true;
        dialog.lose = [](WPARAM position, LPARAM) { return position == 0; };  // both failure messages
        EXPECT_EQ(IDOK, Run(dialog));
        EXPECT_EQ((Texts{L"Please wait for updating...", L"Please wait for updating...", L"Update failed,code=0x7934",
                         L"Open program error,Please Reset the device。"}),
                  dialog.statusTexts);
    }
}

TEST_F(Dialog, ClosingWhileTheStagingFolderIsStillRemovedWaitsForIt)
{
    WriteRelease(3);
    ASSERT_TRUE(device.WriteFile(L"\\Flash Disk\\Q9Soft\\part\\File2.dat", "in use"));
    HeldFile inUse(device.Path(L"\\Flash Disk\\Q9Soft\\part\\File2.dat"));
    ASSERT_TRUE(inUse.IsHeld());
    {
        DialogUnderTest dialog(settings);
        dialog.script = {IDC_UPDATE_BUTTON};
        dialog.beforeProgress = [](DialogUnderTest& d, WPARAM position, LPARAM total) {
            if (position == 0 && total == 0)
                d.PostCommand(IDC_UPDATE_BUTTON);  // "Close" at once after the failed file
        };
        EXPECT_EQ(IDOK, Run(dialog));
        EXPECT_EQ(L"Update failed,code=0x7934", dialog.statusTexts[2]);
    }
    // The dialog is gone, and so is the staging folder: nothing is left half removed.
    EXPECT_FALSE(device.Exists(kStagingFolder));
}

TEST_F(Dialog, TheCloseButtonStartsTheMainProgramAgain)
{
    ASSERT_TRUE(updatetest::InstallStandIns(device));
    settings.exeFullName = updatetest::kMainProgram;
    WriteRelease(2);
    testsupport::Program restarted;  // started again while the run copies, as by a watchdog
    DialogUnderTest dialog(settings);
    dialog.script = {IDC_UPDATE_BUTTON};
    dialog.beforeProgress = [&](DialogUnderTest& d, WPARAM position, LPARAM total) {
        if (position == 1) {
            ASSERT_TRUE(restarted.Start(device.Path(updatetest::kMainProgram), L"", device.Root()));
            ASSERT_NE(nullptr, testsupport::WaitForWindow(restarted.Id(), L"DeviceProgramStandIn", 10000));
        }
        if (position != 0 && position == static_cast<WPARAM>(total))
            d.PostCommand(IDC_UPDATE_BUTTON);
    };

    EXPECT_EQ(IDOK, Run(dialog));

    EXPECT_FALSE(restarted.IsRunning()) << "the final message stops the main program once more";
    EXPECT_EQ(L"Update Succeeded!", dialog.statusTexts.back()) << "the start did not fail";
    std::vector<DWORD> running;
    for (int tries = 0; tries < 500 && running.empty(); ++tries, Sleep(10))
        running = testsupport::ProcessIdsNamed(L"Q9Main.exe");
    EXPECT_EQ(1u, running.size());
}

TEST_F(Dialog, IsTopmostWithItsIconAndItsInitialState)
{
    bool checked = false;
    DialogUnderTest dialog(settings);
    dialog.script = {IDCANCEL};
    dialog.onInit = [&checked](DialogUnderTest& d) {
        EXPECT_TRUE(GetWindowLongPtrW(d.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_NE(0, d.Send(WM_GETICON, ICON_BIG));
        EXPECT_NE(0, d.Send(WM_GETICON, ICON_SMALL));
        EXPECT_FALSE(d.GetItem(IDC_UPDATE_TEXT).IsVisible());
        EXPECT_TRUE(d.GetItem(IDC_UPDATE_BUTTON).IsEnabled());
        RECT place = d.GetWindowRect();
        EXPECT_EQ(0, place.left);
        EXPECT_EQ(0, place.top);
        checked = true;
    };
    EXPECT_EQ(IDCANCEL, Run(dialog));
    EXPECT_TRUE(checked);
}

namespace {

// Reads a template the way the platform does: DLGTEMPLATEEX and its items.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : m_at(static_cast<const BYTE*>(data)) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    // A text, or "#n" for an ordinal.
    std::wstring TextOrOrdinal()
    {
        if (Peek() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    std::wstring Text()
    {
        std::wstring text;
        for (WORD ch = Word(); ch != 0; ch = Word())
            text += static_cast<wchar_t>(ch);
        return text;
    }
    void AlignToDword()
    {
        while (reinterpret_cast<UINT_PTR>(m_at) % 4)
            ++m_at;
    }
    void Skip(size_t bytes) { m_at += bytes; }

private:
    WORD Peek() const { return *reinterpret_cast<const WORD*>(m_at); }
    template <class T>
    T Take()
    {
        T value;
        memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    const BYTE* m_at;
};

struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring windowClass;
    std::wstring text;
};

std::wstring Upper(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(towupper(ch));
    return text;
}

}  // namespace

TEST(DialogTemplate, HoldsTheThreeControlsWithTheirTextsPlacesAndStyles)
{
    HMODULE module = fw::ThisModule();
    HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(IDD_UPDATE),
                                     MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    ASSERT_NE(nullptr, resource) << "template 102 in Chinese (Simplified)";
    EXPECT_NE(nullptr, FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */));
    TemplateReader read(LockResource(LoadResource(module, resource)));

    ASSERT_EQ(1, read.Word());
    ASSERT_EQ(0xFFFF, read.Word());  // the extended form
    read.Dword();
    read.Dword();
    DWORD style = read.Dword();
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_SYSMENU | DS_SETFONT), style);
    EXPECT_EQ(0u, style & WS_CAPTION);
    WORD count = read.Word();
    EXPECT_EQ(0, read.Short());
    EXPECT_EQ(0, read.Short());
    EXPECT_EQ(247, read.Short());
    EXPECT_EQ(93, read.Short());
    EXPECT_EQ(L"", read.TextOrOrdinal());  // no menu
    EXPECT_EQ(L"", read.TextOrOrdinal());  // the platform's dialog class
    EXPECT_EQ(L"", read.Text());           // no title
    EXPECT_EQ(12, read.Word());
    read.Word();
    read.Byte();
    read.Byte();
    EXPECT_EQ(L"Microsoft Sans Serif", read.Text());

    ASSERT_EQ(3, count);
    std::vector<TemplateItem> items;
    for (int i = 0; i < count; ++i) {
        read.AlignToDword();
        TemplateItem item{};
        read.Dword();
        read.Dword();
        item.style = read.Dword();
        item.x = read.Short();
        item.y = read.Short();
        item.cx = read.Short();
        item.cy = read.Short();
        item.id = read.Dword();
        item.windowClass = Upper(read.TextOrOrdinal());
        item.text = read.TextOrOrdinal();
        read.Skip(read.Word());
        items.push_back(item);
    }

    const DWORD child = WS_CHILD | WS_VISIBLE;
    EXPECT_EQ(static_cast<DWORD>(IDC_UPDATE_TEXT), items[0].id);
    EXPECT_EQ(L"#130", items[0].windowClass);  // static
    EXPECT_EQ(L"软件升级中，请稍后...", items[0].text);
    EXPECT_EQ(child | WS_GROUP | SS_LEFT, items[0].style);
    EXPECT_EQ((std::vector<short>{19, 17, 221, 8}), (std::vector<short>{items[0].x, items[0].y, items[0].cx, items[0].cy}));

    EXPECT_EQ(static_cast<DWORD>(IDC_UPDATE_PROGRESS), items[1].id);
    EXPECT_EQ(L"MSCTLS_PROGRESS32", items[1].windowClass);
    EXPECT_EQ(L"", items[1].text);
    EXPECT_EQ(child | WS_BORDER, items[1].style);
    EXPECT_EQ((std::vector<short>{19, 32, 208, 17}), (std::vector<short>{items[1].x, items[1].y, items[1].cx, items[1].cy}));

    EXPECT_EQ(static_cast<DWORD>(IDC_UPDATE_BUTTON), items[2].id);
    EXPECT_EQ(L"#128", items[2].windowClass);  // button
    EXPECT_EQ(L"升    级", items[2].text);
    EXPECT_EQ(child | WS_TABSTOP | BS_PUSHBUTTON, items[2].style);
    EXPECT_EQ((std::vector<short>{92, 58, 58, 18}), (std::vector<short>{items[2].x, items[2].y, items[2].cx, items[2].cy}));
}
