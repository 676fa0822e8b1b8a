// Stand-in for the device's battery program, "\Flash Disk\Q9Soft\battery\Battery.exe",
// which the updater stops before a run.
#include "common/StandIn.h"

namespace {

class BatteryApp : public sim::StandInApp {
public:
    BatteryApp() : sim::StandInApp(L"Battery", RECT{200, 200, 320, 240}) {}
};

BatteryApp theApp;

}  // namespace
