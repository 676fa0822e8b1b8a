// Stand-in for the device's main application, "\Flash Disk\Q9Soft\Q9Main.exe":
// the program the updater stops before a run and starts again afterwards.
#include "common/StandIn.h"

namespace {

class Q9MainApp : public sim::StandInApp {
public:
    Q9MainApp() : sim::StandInApp(L"Q9Main", RECT{0, 0, 320, 240}) {}
};

Q9MainApp theApp;

}  // namespace
