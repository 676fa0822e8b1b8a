#pragma once
// Stopping and starting the device's programs: the main application before
// and after a run, and the battery program before it. All of this runs on the
// user-interface thread.

#include <windows.h>
#include <tlhelp32.h>

#include "framework/WString.h"

// The last process found by its executable's name.
struct FoundProcess {
    PROCESSENTRY32W record{};
    DWORD id = 0;
};

// Results of StopProcess: every value but kNotStopped means the process is gone.
enum class StopResult {
    kNotStopped = 0,
    kClosed = 1,               // ended by itself within the wait after WM_CLOSE
    kTerminatedAfterWait = 2,  // ignored WM_CLOSE and was terminated
    kTerminatedAtOnce = 3,     // systems from 5.0 on: terminated without asking
};

// How long a program asked to close may take before it is terminated.
constexpr DWORD kCloseWaitMilliseconds = 3000;

// Finds a running process whose executable file name equals the file name of
// the path (ASCII letters compared without case). Only the name counts: the
// same program started from another folder is found too.
bool FindProcessByName(const fw::WString& path, FoundProcess& found);

// Stops the process: below system version 5.0 its top-level windows are asked
// to close first.
StopResult StopProcess(DWORD processId);

// 0 when no program of that name runs any more, 1 when one runs and could not be stopped.
int StopProgram(const fw::WString& path, FoundProcess& found);

// The system version from the registry value OSVersion under HKEY_LOCAL_MACHINE\init
// ("Ver" removed, the number before the first "-"); 0.0 when there is none.
float ReadOsVersion();
// The same reading of a value's text.
float ParseOsVersion(const fw::WString& value);

// Starts the program through the shell with the verb "open". True when the shell reports success.
bool StartProgram(const fw::WString& path);
