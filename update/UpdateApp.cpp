#include "UpdateApp.h"

#include <windows.h>
#include <commctrl.h>

#include "UpdateDlg.h"
#include "UpdateTexts.h"

UpdateApp::UpdateApp() : fw::App(L"Update") {}

fw::WString UpdateApp::SettingsPath()
{
    return fw::ModuleFolder() + L"update.ini";
}

bool UpdateApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    if (!ReadUpdateSettings(SettingsPath()))
        return false;
    ApplySettingsTable();
    if (!CheckSourceFolder())
        return false;

    UpdateDlg dialog(m_settings);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return false;  // the dialog was the whole program: no message loop follows
}

bool UpdateApp::ReadUpdateSettings(const fw::WString& path)
{
    if (!OpenSettingsFile(path)) {  // a probe, closed at once: the reader opens the file again
        fw::ShowMessage(EnglishForAllBut0(m_settings.UI_LANGUAGE, L"未找到升级程序的配置文件！",
                                          L"The set file for updating is not found！"));
        return false;
    }
    if (!LoadSettingsTable(path, m_settings.table)) {
        fw::ShowMessage(EnglishForAllBut0(m_settings.UI_LANGUAGE, L"读取配置文件失败！",
                                          L"Failed ro read the set file for updating！"));
        return false;
    }
    return true;
}

void UpdateApp::ApplySettingsTable()
{
    const SettingsTable& table = m_settings.table;
    m_settings.UpdateSrcPath = LookupSetting(table, L"UpdateSrcPath");
    m_settings.UpdateDstPath = LookupSetting(table, L"UpdateDstPath");
    m_settings.ExeFullName = LookupSetting(table, L"ExeFullName");
    m_settings.StartExeWhenUpdateOver = ReadSettingInteger(LookupSetting(table, L"StartExeWhenUpdateOver"));
    m_settings.UI_LANGUAGE = ReadSettingInteger(LookupSetting(table, L"UI_LANGUAGE"));
    fw::WString temp = LookupSetting(table, L"TempPath");
    if (!temp.IsEmpty())
        m_settings.TempPath = temp;
}

bool UpdateApp::CheckSourceFolder() const
{
    DWORD attributes = ::GetFileAttributesW(m_settings.UpdateSrcPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    fw::ShowMessage(EnglishForAllBut0(m_settings.UI_LANGUAGE, L"未找到升级文件目录！",
                                      L"The update file's dir is not found！"));
    return false;
}
