#include <windows.h>

#include "capture/capturemodule.h"

// Nothing is started or stopped here beyond plain bookkeeping: GDI+ and COM must not be touched
// under the loader lock. They start with the first capture or drawing call; once GDI+ runs the
// library stays loaded until the process ends, so there is nothing to stop at detach.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        return CMModuleStartup(instance) ? TRUE : FALSE;
    }
    return TRUE;
}
