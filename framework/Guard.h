#pragma once
// The error policy, and the one no-throw guard that ends it.
//
// Code reports a failure by its return value (false, null, -1, an empty
// owner) wherever that value can tell it apart from a result. A failure it
// cannot tell so is thrown as a std::exception: memory or a container's size
// running out (std::bad_alloc, std::length_error; a run-time class's new
// object included) and the framework's own cases that have no such value (a
// text conversion that fails). It unwinds to the nearest code that can answer it
// (the grid's resizing operations turn it into false or -1) and at the
// latest to this guard, which every place where code is entered from outside
// has: window procedures, dialog procedures, thread entries and exports.
// Nothing may unwind through the platform's frames or out of a DLL: the
// guard reports the failure to the user and the entry returns a defined
// result instead.

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
