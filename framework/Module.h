#pragma once
// The life of the module that holds this code: a program, or a plug-in DLL
// that links the framework. Each module has its own copy of the framework, so
// each owns what it registers with the system or caches while it runs.
//
// A program runs its module around App::Run. A plug-in runs it around every
// call of an export (ModuleScope at the top of each), never from DllMain: the
// loader lock forbids window and GDI calls there, and Windows does not
// unregister a DLL's window classes when it unloads, so a class left behind
// would be found by a later load at the same base. Between two calls nothing
// of the plug-in stays registered.
//
// Single-threaded: scopes are entered and left on the user-interface thread.

#include <windows.h>

#include "WString.h"

namespace fw {

// The module that holds this code: the program, or the plug-in DLL that links the framework.
HMODULE ThisModule();

// Registers a window class for this module (its hInstance is set here) unless
// this module registered it already; the module unregisters it at shut-down.
// A class of the same name that this module left registered earlier, in a
// load that ended without shutting down, is replaced. True when the class is there.
bool RegisterModuleClass(WNDCLASSW windowClass);

// Something the module caches (a shared GDI object, ...): release runs at
// every shut-down. Registering the same function again changes nothing.
// False when the module's table of them is full: then nothing releases the
// cache, and it must not be kept.
[[nodiscard]] bool AtModuleShutDown(void (*release)()) noexcept;

// Full path of a module's file (null: the program's).
WString ModuleFileName(HMODULE module = nullptr);
// Folder part of that path, up to and including the last "\".
WString ModuleFolder(HMODULE module = nullptr);

// Start-up on the outermost entry (common controls), shut-down on the
// outermost exit (classes unregistered, caches released). Nesting is counted,
// so a call into the plug-in from inside one of its hooks keeps the module up.
class ModuleScope {
public:
    ModuleScope() noexcept;
    ~ModuleScope();
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
};

}  // namespace fw
