#include <windows.h>

#include "updater/ccmupdateapp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CCMUpdateApp app(instance);
    return app.Run();
}
