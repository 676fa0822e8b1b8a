#include "Module.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "Path.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace fw {

namespace {

// Fixed tables: registering and shutting down never allocate, so they cannot fail half-way.
constexpr int kMaxClasses = 8;
constexpr int kMaxClassName = 64;
constexpr int kMaxCaches = 8;

struct ModuleState {
    int depth = 0;
    bool commonControls = false;
    wchar_t classes[kMaxClasses][kMaxClassName] = {};
    int classCount = 0;
    void (*caches[kMaxCaches])() = {};
    int cacheCount = 0;
};
ModuleState g_module;

int FindClass(const wchar_t* name)
{
    for (int i = 0; i < g_module.classCount; ++i)
        if (::lstrcmpiW(g_module.classes[i], name) == 0)
            return i;
    return -1;
}

void StartModule()
{
    if (!g_module.commonControls) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        g_module.commonControls = ::InitCommonControlsEx(&controls) != FALSE;
    }
}

void ShutDownModule()
{
    for (int i = 0; i < g_module.cacheCount; ++i)
        g_module.caches[i]();
    int kept = 0;
    for (int i = 0; i < g_module.classCount; ++i) {
        // A class that still has windows stays until a later shut-down.
        if (!::UnregisterClassW(g_module.classes[i], ThisModule()) &&
            ::GetLastError() == ERROR_CLASS_HAS_WINDOWS) {
            if (kept != i)
                std::memcpy(g_module.classes[kept], g_module.classes[i], sizeof g_module.classes[kept]);
            ++kept;
        }
    }
    g_module.classCount = kept;
}

}  // namespace

HMODULE ThisModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

bool RegisterModuleClass(WNDCLASSW windowClass)
{
    const wchar_t* name = windowClass.lpszClassName;
    if (!name || ::lstrlenW(name) >= kMaxClassName)
        return false;
    if (FindClass(name) >= 0)
        return true;
    if (g_module.classCount == kMaxClasses)
        return false;
    HMODULE module = ThisModule();
    WNDCLASSW existing{};
    if (::GetClassInfoW(module, name, &existing))
        ::UnregisterClassW(name, module);  // left by an earlier load at this base
    windowClass.hInstance = module;
    if (!::RegisterClassW(&windowClass))
        return false;
    std::wcscpy(g_module.classes[g_module.classCount++], name);  // shorter than kMaxClassName, tested above
    return true;
}

bool AtModuleShutDown(void (*release)()) noexcept
{
    if (!release)
        return false;
    for (int i = 0; i < g_module.cacheCount; ++i)
        if (g_module.caches[i] == release)
            return true;
    if (g_module.cacheCount == kMaxCaches)
        return false;
    g_module.caches[g_module.cacheCount++] = release;
    return true;
}

ModuleScope::ModuleScope() noexcept
{
    if (g_module.depth++ == 0)
        StartModule();
}

ModuleScope::~ModuleScope()
{
    if (--g_module.depth == 0)
        ShutDownModule();
}

WString ModuleFileName(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return WString();
        if (length < path.size()) {
            path.resize(length);
            return WString(std::move(path));
        }
        path.resize(path.size() * 2);  // truncated: try again with room for a long path
    }
}

WString ModuleFolder(HMODULE module)
{
    return FolderOf(ModuleFileName(module));
}

}  // namespace fw
