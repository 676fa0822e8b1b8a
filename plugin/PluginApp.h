#pragma once
// The plug-in's application object: owns the text returned to the host and
// maps the device's function keys while the file manager's modal loop runs.
//
// Its life is that of a plug-in (fw::App::StartLibrary / EndLibrary): the
// exports start it on their first call of a load; the unload ends it.

#include <windows.h>

#include "framework/App.h"
#include "framework/Module.h"
#include "framework/WString.h"
#include "plugin/Corvane.h"

class PluginApp : public fw::App {
public:
    PluginApp();
    // The unload: releases the result buffer (memory only, as the loader lock allows).
    ~PluginApp() override;

    bool InitInstance() override;
    // Releases the result buffer, then the base exit.
    int ExitInstance() override;
    // Every key-down has its device key mapped (F2 Tab, F5 Down, F6 Right,
    // F7 Up, F8 Left, F9 Enter) before the dialog sees it.
    bool PreTranslateMessage(MSG* message) override;

    // Replaces the result buffer with text in the ANSI code page and returns it.
    // Never null: without memory for it, or when the code page cannot write
    // the text exactly, the result is an empty text.
    const char* SetResult(const fw::WString& text) noexcept;

private:
    void ReleaseResult() noexcept;
    char* m_result = nullptr;
};

// The device's function keys as the dialog knows them; other codes unchanged.
WPARAM MapDeviceKey(WPARAM virtualKey);

// The plug-in's one application object (the DLL's).
PluginApp& ThePluginApp();

// The scope of one call of an export: the plug-in's module runs (its window
// classes are there), and every message of the framework (a caught failure)
// goes to the host's messageBox hook, with the type's button bits only; with
// no hook it is dropped and a question counts as No. Everything is restored
// on leaving, on every path; calls may nest.
class PluginCall {
public:
    explicit PluginCall(CorvaneMessageBox messageBox) noexcept;
    ~PluginCall();
    PluginCall(const PluginCall&) = delete;
    PluginCall& operator=(const PluginCall&) = delete;

private:
    fw::ModuleScope m_module;
    CorvaneMessageBox m_previousBox;
    fw::MessageBoxFunction m_previousFunction;
};
