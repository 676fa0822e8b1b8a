#include "UpdateApp.h"

#include <windows.h>

#include "FileTree.h"
#include "UpdateDlg.h"
#include "UpdateTexts.h"

UpdateApp::UpdateApp() : fw::App(L"Update") {}

fw::WString UpdateApp::SettingsPath()
{
    return fw::ModuleFolder() + L"update.ini";
}

bool UpdateApp::InitInstance()
{
    if (!ReadUpdateSettings(SettingsPath()))
        return false;
    ApplySettingsTable();
    if (!CheckSourceFolder())
        return false;

    UpdateDlg dialog(m_settings, fw::ModuleFolder() + L"update.log");
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return false;  // the dialog was the whole program: no message loop follows
}

bool UpdateApp::ReadUpdateSettings(const fw::WString& path)
{
    if (!OpenSettingsFile(path)) {  // a probe, closed at once: the reader opens the file again
        fw::ShowMessage(texts::kSettingsNotFound.In(m_settings.uiLanguage));
        return false;
    }
    if (!LoadSettingsTable(path, m_settings.table)) {
        fw::ShowMessage(texts::kSettingsNotRead.In(m_settings.uiLanguage));
        return false;
    }
    return true;
}

void UpdateApp::ApplySettingsTable()
{
    const SettingsTable& table = m_settings.table;
    m_settings.updateSrcPath = LookupSetting(table, L"UpdateSrcPath");
    m_settings.updateDstPath = LookupSetting(table, L"UpdateDstPath");
    m_settings.exeFullName = LookupSetting(table, L"ExeFullName");
    m_settings.startExeWhenUpdateOver = ReadSettingInteger(LookupSetting(table, L"StartExeWhenUpdateOver"));
    m_settings.uiLanguage = ReadSettingInteger(LookupSetting(table, L"UI_LANGUAGE"));
    fw::WString temp = LookupSetting(table, L"TempPath");
    if (!temp.IsEmpty())
        m_settings.tempPath = temp;
}

bool UpdateApp::CheckSourceFolder() const
{
    if (IsExistingFolder(m_settings.updateSrcPath))
        return true;
    fw::ShowMessage(texts::kSourceFolderNotFound.In(m_settings.uiLanguage));
    return false;
}
