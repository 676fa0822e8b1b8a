#pragma once
// The main application as the plug-in's host, as on the device: it loads
// Corvane.dll from beside itself, builds the record from its settings, calls
// the exports and notes every hook call, with its arguments and its answer,
// in the stand-in's journal (the conventions are in README.md, "The host").

#include <vector>

#include "common/StandIn.h"
#include "framework/WString.h"

namespace sim {

// One session with the arguments that followed "/host": settings as
// key=value, or the path of a UTF-8 file of such lines. The exit code of the
// program: 0, or 2 when the settings or the plug-in could not be used.
int RunHostSession(StandInApp& app, const std::vector<fw::WString>& arguments);

}  // namespace sim
