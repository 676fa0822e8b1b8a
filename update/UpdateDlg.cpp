#include "UpdateDlg.h"

#include "UpdateTexts.h"
#include "framework/App.h"
#include "resource.h"

namespace {

// While a run copies, the dialog looks every so often whether its worker has
// ended: a posted message can be lost (a full message queue refuses it), and
// the run's last one must not be.
constexpr UINT_PTR kWorkerWatchTimer = 1;
constexpr UINT kWorkerWatchMilliseconds = 250;
// Posted to itself once the worker has ended.
constexpr UINT kWorkerEndedMessage = WM_APP;
// A run posts a message for each file, faster than the bar is drawn (the
// control draws at once for every new position, which took longer than
// copying a file): while a run copies, the bar is drawn at most this often,
// always with its latest range and position.
constexpr UINT_PTR kBarTimer = 2;
constexpr DWORD kBarMilliseconds = 40;

}  // namespace

UpdateDlg::UpdateDlg(const UpdateSettings& settings, fw::WString logPath)
    : fw::Dialog(IDD_UPDATE), m_settings(settings),
      m_icon(::LoadIconW(fw::ThisModule(), MAKEINTRESOURCEW(IDR_MAINFRAME))), m_log(std::move(logPath))
{
    m_job.settings = &m_settings;
    m_job.log = &m_log;
    MapCommand(IDC_UPDATE_BUTTON, [this] { OnUpdateButton(); });
    MapMessage(WM_UPDATE_PROGRESS, [this](WPARAM wParam, LPARAM lParam) { return OnUpdateProgress(wParam, lParam); });
    MapMessage(WM_UPDATE_QUERY, [](WPARAM, LPARAM) -> LRESULT { return 1; });
    MapTimer(kWorkerWatchTimer, [this] { WatchWorker(); });
    MapTimer(kBarTimer, [this] { DrawBar(); });
    MapMessage(kWorkerEndedMessage, [this](WPARAM, LPARAM) -> LRESULT {
        OnWorkerEnded();
        return 0;
    });
}

UpdateDlg::~UpdateDlg()
{
    if (m_worker)
        ::WaitForSingleObject(m_worker.Get(), INFINITE);
    FlushLog();
    LogEnd();
}

void UpdateDlg::DoDataExchange()
{
    m_progress.Attach(::GetDlgItem(m_hwnd, IDC_UPDATE_PROGRESS));
}

bool UpdateDlg::OnInitDialog()
{
    fw::Dialog::OnInitDialog();
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    Status().Show(SW_HIDE);
    if (m_settings.uiLanguage == 1) {
        Status().SetText(texts::kPleaseWait.In(1));
        Button().SetText(texts::kUpdateCaptionEnglish);
    } else {
        Status().SetText(texts::kPleaseWait.In(0));  // the template's caption stays on the button
    }
    return true;
}

fw::Window UpdateDlg::Status() const
{
    return GetItem(IDC_UPDATE_TEXT);
}

fw::Window UpdateDlg::Button() const
{
    return GetItem(IDC_UPDATE_BUTTON);
}

void UpdateDlg::OnOK()
{
    if (!IsCopying())
        fw::Dialog::OnOK();
}

void UpdateDlg::OnCancel()
{
    if (!IsCopying())
        fw::Dialog::OnCancel();
}

void UpdateDlg::OnUpdateButton()
{
    fw::WString caption = Button().GetText();
    if (caption == texts::kCloseCaptionChinese || caption == texts::kCloseCaptionEnglish) {
        StartMainProgram();
        EndWithOk();
        return;
    }
    if (m_worker)
        return;  // one run per start of the updater; the button is disabled meanwhile anyway
    if (PrepareRun())
        StartRun();
}

bool UpdateDlg::PrepareRun()
{
    const int32_t language = m_settings.uiLanguage;
    m_log.Open();
    m_logOpen = true;
    m_loggedResult.Empty();
    Log(L"start " + UpdateLog::Now());
    Log(L"source " + UpdateLog::Quoted(m_settings.updateSrcPath));
    Log(L"staging " + UpdateLog::Quoted(m_settings.tempPath));
    Log(L"installation " + UpdateLog::Quoted(m_settings.updateDstPath));
    // A refusal ends the run in the log before its box waits for the user.
    const auto refuse = [this](const fw::WString& text) {
        LogResult(text);
        LogEnd();
        fw::ShowMessage(text, MB_OK, m_hwnd);
        return false;
    };
    if (StopProgram(m_settings.exeFullName, m_found) == 1 || StopProgram(kBatteryProgram, m_found) == 1)
        return refuse(texts::kProgramNotStopped.In(language));
    m_job.files.clear();
    m_job.sizes.clear();
    CollectFiles(m_settings.updateSrcPath, m_job.files, &m_job.sizes);
    Log(fw::WString::Format(L"files %d", static_cast<int>(m_job.files.size())));
    if (m_job.files.empty())
        return refuse(texts::kNoFilesInRelease.In(language));
    return true;
}

void UpdateDlg::StartRun()
{
    Button().Enable(false);
    m_progress.SetRange(0, static_cast<int>(m_job.files.size()));
    Status().Show(SW_SHOW);
    Status().SetText(texts::kPleaseWait.In(m_settings.uiLanguage));

    m_job.window = m_hwnd;
    m_copying = true;
    m_worker = StartUpdateRun(m_job);
    if (!m_worker) {
        m_copying = false;  // no worker: a failed copy
        ShowFailure();
        return;
    }
    ::SetTimer(m_hwnd, kWorkerWatchTimer, kWorkerWatchMilliseconds, nullptr);
}

LRESULT UpdateDlg::OnUpdateProgress(WPARAM position, LPARAM total)
{
    if (position != 0) {
        MoveBar(LOWORD(total), static_cast<int>(position), position == static_cast<WPARAM>(total));
        if (position == static_cast<WPARAM>(total) && m_job.succeeded.load())
            ShowSuccess();  // the final message
    } else {
        // The run's own report ends it; a failed file (lParam 0) is followed by one.
        if (total == kFirstPassIncomplete || total == kSecondPassCopiedNothing || total == kNotEnoughSpace)
            RunOver();
        ShowFailure();
    }
    return 1;
}

void UpdateDlg::MoveBar(int high, int position, bool final)
{
    const bool due = final || !m_copying || ::GetTickCount() - m_barDrawnAt >= kBarMilliseconds;
    if (!due && !m_barHeld) {
        m_barHeld = true;
        m_progress.SetRedraw(false);
        ::SetTimer(m_hwnd, kBarTimer, kBarMilliseconds, nullptr);
    }
    m_progress.SetRange(0, high);
    m_progress.SetPos(position);
    if (due)
        DrawBar();
}

void UpdateDlg::DrawBar()
{
    m_barDrawnAt = ::GetTickCount();
    if (!m_barHeld)
        return;  // it has drawn itself
    m_barHeld = false;
    ::KillTimer(m_hwnd, kBarTimer);
    m_progress.SetRedraw(true);
}

void UpdateDlg::WatchWorker()
{
    if (!m_copying) {
        ::KillTimer(m_hwnd, kWorkerWatchTimer);
        return;
    }
    if (::WaitForSingleObject(m_worker.Get(), 0) != WAIT_OBJECT_0)
        return;
    // Queued behind everything the worker posted before it ended. Should even
    // this not get through, the next tick tries again.
    if (Post(kWorkerEndedMessage))
        ::KillTimer(m_hwnd, kWorkerWatchTimer);
}

void UpdateDlg::OnWorkerEnded()
{
    if (!m_copying)
        return;  // the run's last message has arrived
    // It was lost on the way: the worker's result is shown all the same. The
    // final message of a success would have filled the bar.
    if (m_job.succeeded.load()) {
        int low = 0;
        int high = 0;
        m_progress.GetRange(low, high);
        m_progress.SetPos(high);
        ShowSuccess();
    } else {
        RunOver();
        ShowFailure();
    }
}

void UpdateDlg::RunOver()
{
    m_copying = false;
    DrawBar();
    if (m_worker)
        ::WaitForSingleObject(m_worker.Get(), INFINITE);
    FlushLog();
}

void UpdateDlg::ShowSuccess()
{
    const int32_t language = m_settings.uiLanguage;
    RunOver();
    StopProgram(m_settings.exeFullName, m_found);
    Button().SetText(texts::kCloseFor1Only.In(language));
    Button().Enable(true);
    Status().SetText(texts::kSucceeded.In(language));
    LogResult(texts::kSucceeded.In(language));
    if (m_settings.startExeWhenUpdateOver != 0) {
        StartMainProgram();
        EndWithOk();
    } else {
        Button().SetText(texts::kCloseForAllBut0.In(language));
    }
}

void UpdateDlg::ShowFailure()
{
    const int32_t language = m_settings.uiLanguage;
    fw::WString text = texts::kCopyFailed.In(language);
    if (m_job.neededMegabytes.load() != 0)
        text = fw::WString::Format(texts::kNotEnoughSpace.In(language).c_str(), m_job.neededMegabytes.load(),
                                   m_job.freeMegabytes.load());
    else if (!PathExists(kUDiskFolder))
        text = texts::kUDiskPulledOut.In(language);
    Status().SetText(text);
    LogResult(text);
    Button().Enable(true);
    Button().SetText(texts::kCloseForAllBut0.In(language));
}

void UpdateDlg::StartMainProgram()
{
    if (StartProgram(m_settings.exeFullName)) {
        EndWithOk();
    } else {
        Status().SetText(texts::kProgramNotStarted.In(m_settings.uiLanguage));
        LogResult(texts::kProgramNotStarted.In(m_settings.uiLanguage));
    }
}

void UpdateDlg::Log(const fw::WString& line)
{
    m_pendingLines.push_back(line);
    FlushLog();
}

void UpdateDlg::FlushLog()
{
    if (m_worker && ::WaitForSingleObject(m_worker.Get(), 0) == WAIT_TIMEOUT)
        return;
    for (const fw::WString& line : m_pendingLines)
        m_log.Write(line);
    m_pendingLines.clear();
}

void UpdateDlg::LogResult(const fw::WString& text)
{
    if (text == m_loggedResult)
        return;
    m_loggedResult = text;
    Log(L"result " + UpdateLog::Quoted(text));
}

void UpdateDlg::LogEnd()
{
    if (!m_logOpen)
        return;
    m_logOpen = false;
    Log(L"end " + UpdateLog::Now());
}
