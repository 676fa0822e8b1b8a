#pragma once
// The one no-throw guard of every place where code is entered from outside:
// window procedures, dialog procedures, thread entries and exports. Nothing
// may unwind through the platform's frames or out of a DLL; a failure that
// got this far (a failed allocation, mostly) is reported to the user and the
// entry returns a defined result instead.

#include <windows.h>

#include <exception>

#include "App.h"

namespace fw {

// Runs body and returns its result; when it throws, reports the failure
// (ReportException, owned by `owner`) and returns `failed`.
template <class Result, class Body>
Result NoThrow(Result failed, Body&& body, HWND owner = nullptr) noexcept
{
    try {
        return body();
    } catch (const std::exception& error) {
        ReportException(error, owner);
    } catch (...) {
        ReportUnknownException(owner);
    }
    return failed;
}

}  // namespace fw
