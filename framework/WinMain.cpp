// Entry point of a framework program: hands control to its application object.
#include "App.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    fw::App* app = fw::App::Current();
    return app ? app->Run() : 1;
}
