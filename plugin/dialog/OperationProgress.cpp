#include "OperationProgress.h"

#include "CorvaneDlg.h"

namespace {

// Often enough to be seen moving, seldom enough to cost nothing beside the files.
constexpr DWORD kRepaintMilliseconds = 100;

}  // namespace

OperationProgress::OperationProgress(CCorvaneDlg& dialog, const TwoLanguageText& format, int total)
    : m_dialog(dialog), m_format(format), m_total(total)
{
    m_dialog.m_progress = this;
    Show();
}

OperationProgress::~OperationProgress()
{
    m_dialog.m_progress = nullptr;
    if (m_dialog.IndicatorShowsProgress())
        m_dialog.DrawFreeSpace();
}

void OperationProgress::Step()
{
    ++m_done;
    if (::GetTickCount() - m_shownAt >= kRepaintMilliseconds)
        Show();
}

void OperationProgress::Show()
{
    if (m_done == m_shownDone && m_total == m_shownTotal)
        return;
    // The operation may still explain a failure from the last error.
    const DWORD error = ::GetLastError();
    m_dialog.DrawProgress(m_format.For(m_dialog.Language()), m_done, m_total);
    ::SetLastError(error);
    m_shownDone = m_done;
    m_shownTotal = m_total;
    m_shownAt = ::GetTickCount();
}
