#include "UpdateDlg.h"

#include "UpdateTexts.h"
#include "framework/App.h"
#include "resource.h"

UpdateDlg::UpdateDlg(const UpdateSettings& settings)
    : fw::Dialog(IDD_UPDATE), m_settings(settings),
      m_icon(::LoadIconW(fw::ThisModule(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
    OnMessage(WM_UPDATE_QUERY, [](WPARAM, LPARAM) -> LRESULT { return 1; });
}

UpdateDlg::~UpdateDlg() = default;

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

    fw::Window status = GetItem(IDC_UPDATE_TEXT);
    status.Show(SW_HIDE);
    if (m_settings.UI_LANGUAGE == 1) {
        status.SetText(L"Please wait for updating...");
        GetItem(IDC_UPDATE_BUTTON).SetText(L"Update");
    } else {
        status.SetText(L"升级中，请稍后...");
    }
    return true;
}
