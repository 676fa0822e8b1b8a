#pragma once
// The plug-in's application object: owns the text returned to the host and
// maps the device's function keys while the file manager's modal loop runs.

#include "framework/App.h"

class PluginApp : public fw::App {
public:
    PluginApp();
};

PluginApp& ThePluginApp();
