#pragma once
// A stand-in for one of the device's programs outside this system: a small
// window that notes what happens to it in a journal beside the program
// (<name>.log, UTF-8 lines "start ...", "close ...", "close ignored ...",
// "end ..."). It can be told to ignore WM_CLOSE, by the switch /ignore-close
// or by a file <name>.ignore-close beside it (for starts that pass no
// arguments, such as the updater's).
//
// A program that drives it from outside can post kMarkMessage to its window:
// the stand-in writes "mark <wParam>" once it gets there, that is once its
// thread has handled everything posted before (a modal dialog's loop included).

#include <windows.h>

#include "framework/App.h"
#include "framework/Window.h"

namespace sim {

constexpr UINT kMarkMessage = WM_APP + 1;
constexpr wchar_t kStandInWindowClass[] = L"DeviceProgramStandIn";

class StandInApp;

class StandInWindow : public fw::WindowImpl {
public:
    explicit StandInWindow(StandInApp& app) : m_app(app) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    StandInApp& m_app;
};

class StandInApp : public fw::App {
public:
    // name: the program's name without ".exe"; place: where its window shows.
    StandInApp(const wchar_t* name, const RECT& place);

    bool InitInstance() override;
    int ExitInstance() override;

    bool IgnoresClose() const { return m_ignoreClose; }
    // Appends "<event> pid=<id>" and a line end to the journal.
    void Note(const fw::WString& event) const;
    // Appends a line as it stands (UTF-8, CR LF).
    void Write(const fw::WString& line) const;
    // Journal and switch file beside the program.
    fw::WString FileBeside(const wchar_t* suffix) const;

private:
    RECT m_place;
    bool m_ignoreClose = false;
    StandInWindow m_window;
};

}  // namespace sim
