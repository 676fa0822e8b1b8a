#include "PluginApp.h"

namespace {
PluginApp theApp;
}

PluginApp::PluginApp() : fw::App(L"Corvane") {}

PluginApp& ThePluginApp()
{
    return theApp;
}
