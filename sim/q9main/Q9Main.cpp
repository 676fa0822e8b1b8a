// Stand-in for the device's main application, "\Flash Disk\Q9Soft\Q9Main.exe":
// the program the updater stops before a run and starts again afterwards, and,
// started with "/host", the host of the plug-in (Host.h).
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "common/StandIn.h"
#include "q9main/Host.h"

namespace {

constexpr wchar_t kHostSwitch[] = L"/host";

std::vector<fw::WString> CommandArguments()
{
    std::vector<fw::WString> arguments;
    int count = 0;
    wchar_t** list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!list)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(list[i]);
    ::LocalFree(list);
    return arguments;
}

class Q9MainApp : public sim::StandInApp {
public:
    Q9MainApp() : sim::StandInApp(L"Q9Main", RECT{0, 0, 320, 240}) {}

    bool InitInstance() override
    {
        if (!sim::StandInApp::InitInstance())
            return false;
        std::vector<fw::WString> arguments = CommandArguments();
        if (arguments.empty() || arguments[0] != kHostSwitch)
            return true;  // the stand-in alone, until it is closed
        arguments.erase(arguments.begin());
        m_exitCode = sim::RunHostSession(*this, arguments);
        ::DestroyWindow(MainWindow()->Handle());  // a host session ends the program
        return true;
    }

    int ExitInstance() override
    {
        sim::StandInApp::ExitInstance();
        return m_exitCode;
    }

private:
    int m_exitCode = 0;
};

Q9MainApp theApp;

}  // namespace
