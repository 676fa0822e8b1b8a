#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestDialog.h"
#include "framework/App.h"
#include "framework/Dialog.h"
#include "support/MessageBoxes.h"

namespace {

constexpr UINT WM_TEST_ASK = WM_APP + 7;
constexpr UINT WM_TEST_SCRIPT = WM_APP + 8;

// A dialog that drives itself: each step of its script is posted to it after
// initialisation, and it records what its handlers saw.
class ScriptedDialog : public fw::Dialog {
public:
    explicit ScriptedDialog(std::vector<MSG> script) : fw::Dialog(IDD_TEST_DIALOG), m_script(std::move(script))
    {
        MapCommand(IDC_TEST_BUTTON, [this] { log.push_back(L"button"); });
        MapCommand(IDC_TEST_EDIT, [this] { log.push_back(L"edit changed"); }, EN_CHANGE);
        MapNotify(IDC_TEST_EDIT, -12345, [this](NMHDR* header) -> LRESULT {
            log.push_back(L"notify");
            return header->idFrom + 1000;
        });
        MapMessage(WM_TEST_ASK, [this](WPARAM wParam, LPARAM) -> LRESULT {
            log.push_back(L"ask");
            return static_cast<LRESULT>(wParam) * 2;
        });
        MapMessage(WM_TEST_SCRIPT, [this](WPARAM, LPARAM) -> LRESULT { RunScript(); return 0; });
        MapTimer(5, [this] { log.push_back(L"timer 5"); });
        MapMessage(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
            log.push_back(L"timer " + std::to_wstring(id));
            return 0;
        });
    }

    std::vector<std::wstring> log;
    LRESULT askAnswer = 0;
    LRESULT notifyAnswer = 0;
    int exchanges = 0;

protected:
    void DoDataExchange() override { ++exchanges; }
    bool OnInitDialog() override
    {
        fw::Dialog::OnInitDialog();
        Post(WM_TEST_SCRIPT);
        return true;
    }

private:
    void RunScript()
    {
        askAnswer = fw::WindowImpl::FromHandle(Handle()) == this ? Send(WM_TEST_ASK, 21) : -1;  // found by its window
        NMHDR header{GetItem(IDC_TEST_EDIT).Handle(), IDC_TEST_EDIT, static_cast<UINT>(-12345)};
        notifyAnswer = Send(WM_NOTIFY, IDC_TEST_EDIT, reinterpret_cast<LPARAM>(&header));
        for (const MSG& step : m_script)
            Post(step.message, step.wParam, step.lParam);
    }
    std::vector<MSG> m_script;
};

MSG Step(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    MSG step{};
    step.message = message;
    step.wParam = wParam;
    step.lParam = lParam;
    return step;
}

}  // namespace

TEST(Dialog, DispatchesCommandsNotificationsAndMessagesWithResults)
{
    ScriptedDialog dialog({Step(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED)),
                           Step(WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE)), Step(WM_TIMER, 5),
                           Step(WM_TIMER, 6), Step(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED))});
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_EQ(42, dialog.askAnswer);
    EXPECT_EQ(IDC_TEST_EDIT + 1000, dialog.notifyAnswer);
    EXPECT_EQ((std::vector<std::wstring>{L"ask", L"notify", L"button", L"edit changed", L"timer 5", L"timer 6"}),
              dialog.log);
    EXPECT_EQ(2, dialog.exchanges);  // initialisation and the OK step
    EXPECT_FALSE(dialog.IsWindow());
}

TEST(Dialog, AMessageEntrySeesTheCommandsNoOtherEntryTakesAndIdZeroFindsNoEmptyHandler)
{
    class Listening : public ScriptedDialog {
    public:
        explicit Listening(std::vector<MSG> script) : ScriptedDialog(std::move(script))
        {
            MapMessage(WM_COMMAND, [this](WPARAM wParam, LPARAM) -> LRESULT {
                if (HIWORD(wParam) == BN_CLICKED)  // not the edit's own focus notifications
                    commands.push_back(wParam);
                if (LOWORD(wParam) == IDCANCEL)
                    EndDialog(IDCANCEL);
                return 0;
            });
        }
        std::vector<WPARAM> commands;
    };
    const std::vector<MSG> script = {Step(WM_COMMAND, MAKEWPARAM(0, 0)),
                                     Step(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED)),
                                     Step(WM_COMMAND, MAKEWPARAM(555, BN_CLICKED)),
                                     Step(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED))};
    testsupport::MessageBoxRecorder boxes;
    Listening listening(script);
    EXPECT_EQ(IDCANCEL, listening.DoModal());
    EXPECT_EQ((std::vector<std::wstring>{L"ask", L"notify", L"button"}), listening.log);  // the first entry answers
    EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(0, 0), MAKEWPARAM(555, BN_CLICKED), MAKEWPARAM(IDCANCEL, BN_CLICKED)}),
              listening.commands);
    ScriptedDialog plain(script);
    EXPECT_EQ(IDCANCEL, plain.DoModal());
    EXPECT_TRUE(boxes.Texts().empty()) << "a handler failed";
}

TEST(Guard, AHandlerThatRunsOutOfMemoryIsReportedAndEndsWithADefinedResult)
{
    class Failing : public ScriptedDialog {
    public:
        explicit Failing(bool failStart)
            : ScriptedDialog({Step(WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, BN_CLICKED)),
                              Step(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED)),
                              Step(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED))}),
              m_failStart(failStart)
        {
            MapCommand(IDC_TEST_EDIT, [] { throw std::bad_alloc(); });
        }

    protected:
        bool OnInitDialog() override
        {
            if (m_failStart)
                throw std::runtime_error("no start");
            return ScriptedDialog::OnInitDialog();
        }

    private:
        bool m_failStart;
    };
    testsupport::MessageBoxRecorder boxes;
    Failing goesOn(false);
    EXPECT_EQ(IDCANCEL, goesOn.DoModal());  // the dialog went on after the failed handler
    EXPECT_EQ(std::vector<std::wstring>{L"button"}, std::vector<std::wstring>(goesOn.log.end() - 1, goesOn.log.end()));
    Failing neverStarts(true);
    EXPECT_EQ(-1, neverStarts.DoModal());  // as a dialog that could not be made
    EXPECT_FALSE(neverStarts.IsWindow());

    class Throwing : public fw::WindowImpl {
    public:
        bool finished = false;

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_USER + 2 || message == WM_NCDESTROY)
                throw std::bad_alloc();
            return DefaultProc(message, wParam, lParam);
        }
        void OnFinalMessage() override { finished = true; }
    } window;
    HWND handle = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window.SubclassWindow(handle));
    EXPECT_EQ(0, SendMessageW(handle, WM_USER + 2, 0, 0));
    DestroyWindow(handle);
    EXPECT_TRUE(window.finished) << "the last message failed and the object never let go";
    EXPECT_EQ(nullptr, window.Handle());
    EXPECT_EQ((std::vector<std::wstring>{L"Out of memory.", L"no start", L"Out of memory.", L"Out of memory."}),
              boxes.Texts());
}

TEST(Dialog, TheSystemCloseCancels)
{
    ScriptedDialog closed({Step(WM_CLOSE)});
    EXPECT_EQ(IDCANCEL, closed.DoModal());
    EXPECT_EQ(1, closed.exchanges);  // cancel skips the data exchange
}

TEST(Dialog, MissingTemplateFailsWithMinusOne)
{
    class Missing : public fw::Dialog {
    public:
        Missing() : fw::Dialog(9999) {}
    } missing;
    EXPECT_EQ(-1, missing.DoModal());
}

namespace {

class Recorder : public fw::WindowImpl {
public:
    std::vector<UINT> seen;
    bool finished = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 1)
            return 77;
        seen.push_back(message);
        return DefaultProc(message, wParam, lParam);
    }
    void OnFinalMessage() override { finished = true; }
};

}  // namespace

TEST(WindowImpl, TakesOverATemplateControlAndLetsGoWhenItIsDestroyed)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"text", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    Recorder recorder;
    ASSERT_TRUE(recorder.SubclassWindow(edit));
    EXPECT_EQ(&recorder, fw::WindowImpl::FromHandle(edit));
    EXPECT_FALSE(Recorder().SubclassWindow(edit));  // one object per window
    {
        // Let go and taken over by another, the window's messages reach the other.
        EXPECT_EQ(edit, recorder.UnsubclassWindow());
        Recorder other;
        ASSERT_TRUE(other.SubclassWindow(edit));
        SendMessageW(edit, WM_APP + 2, 0, 0);
        EXPECT_EQ(std::vector<UINT>{WM_APP + 2}, other.seen);
        EXPECT_EQ(edit, other.UnsubclassWindow());
        ASSERT_TRUE(recorder.SubclassWindow(edit));
    }
    EXPECT_EQ(77, SendMessageW(edit, WM_APP + 1, 0, 0));
    EXPECT_EQ(std::wstring(L"text"), recorder.GetText().str());  // the edit's own procedure still answers
    DestroyWindow(edit);
    EXPECT_TRUE(recorder.finished);
    EXPECT_EQ(nullptr, recorder.Handle());
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), recorder.seen.back());
    HWND owned = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(Recorder().SubclassWindow(owned));
    EXPECT_FALSE(IsWindow(owned));  // an object that goes first takes its window along
}

TEST(App, MessageBoxesCarryTheProgramsNameAndGoThroughTheSeam)
{
    fw::App app(L"Probe");
    testsupport::MessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(IDNO, fw::ShowMessage(L"读取配置文件失败！", MB_YESNO));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(L"读取配置文件失败！", boxes.Boxes()[0].text);
    EXPECT_EQ(L"Probe", boxes.Boxes()[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.Boxes()[0].type);
    EXPECT_EQ(nullptr, boxes.Boxes()[0].owner);

    fw::Window main(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    app.SetMainWindow(&main);
    fw::ShowMessage(L"owned");
    EXPECT_EQ(main.Handle(), boxes.Boxes().back().owner);
    DestroyWindow(main.Handle());
    fw::ShowMessage(L"main window gone");
    EXPECT_EQ(nullptr, boxes.Boxes().back().owner);
}

template <int N>
void Release() {}

TEST(Module, TheShutDownTableRefusesWhatItCannotHold)
{
    for (auto release : {Release<0>, Release<1>, Release<2>, Release<3>, Release<4>, Release<5>, Release<6>, Release<7>})
        EXPECT_TRUE(fw::AtModuleShutDown(release));
    EXPECT_TRUE(fw::AtModuleShutDown(Release<0>));  // again: the same entry
    EXPECT_FALSE(fw::AtModuleShutDown(Release<8>));
}

TEST(Module, ModuleFolderEndsWithABackslash)
{
    fw::WString file = fw::ModuleFileName();
    fw::WString folder = fw::ModuleFolder();
    EXPECT_TRUE(file.EndsWith(L".exe"));
    EXPECT_TRUE(folder.EndsWith(L"\\"));
    EXPECT_TRUE(file.StartsWith(folder));
    EXPECT_EQ(fw::WString::kNoPosition, file.Mid(folder.Length()).Find(L'\\'));
}

TEST(App, ReportExceptionTellsOfMemoryRunningOutAndOtherFailures)
{
    testsupport::MessageBoxRecorder boxes;
    fw::ReportException(std::bad_alloc());
    fw::ReportException(std::runtime_error("disk gone"));
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ(L"Out of memory.", boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), boxes.Boxes()[0].type);
    EXPECT_EQ(L"disk gone", boxes.Boxes()[1].text);
}
