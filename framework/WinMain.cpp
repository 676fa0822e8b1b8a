// Entry point of a framework program: hands control to its application object.
#include "App.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    fw::App* app = fw::App::Current();
    return app ? app->Run(instance) : 1;
}
