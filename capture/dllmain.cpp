#include <windows.h>

#include "capture/capturemodule.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        return CMModuleStartup(instance) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) CMModuleShutdown();
    return TRUE;
}
