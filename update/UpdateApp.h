#pragma once
// The Update program's application object: reads update.ini, checks the
// release folder and runs the update dialog as the program's only window.

#include <cstdint>

#include "Settings.h"
#include "framework/App.h"

// The values the run and the dialog use; read once at start-up, then read-only.
// Each field holds the update.ini key of its name (UI_LANGUAGE, ExeFullName …).
struct UpdateSettings {
    int32_t uiLanguage = 0;  // 1 English, 0 Chinese
    fw::WString exeFullName = L"\\Flash Disk\\Q9Soft\\Q9Main.exe";
    int32_t startExeWhenUpdateOver = 1;
    fw::WString updateSrcPath = L"\\Flash Disk\\Q9Soft\\";
    fw::WString updateDstPath;
    fw::WString tempPath = L"\\Flash Disk\\temp\\";
    SettingsTable table;
};

class UpdateApp : public fw::App {
public:
    UpdateApp();

    bool InitInstance() override;

    // Opens and reads the settings file into the table; a message box and
    // false when it cannot be opened or read.
    bool ReadUpdateSettings(const fw::WString& path);
    // Fills the settings from the table in their fixed order.
    void ApplySettingsTable();
    // True when UpdateSrcPath names an existing folder; otherwise a message box.
    bool CheckSourceFolder() const;

    const UpdateSettings& Settings() const { return m_settings; }
    // update.ini beside the running program.
    static fw::WString SettingsPath();

private:
    UpdateSettings m_settings;
};
