// The installer's entry points, exported through ostrafel.def. Both are stateless and report
// failure as their result.
#include <windows.h>

#include "installhelper/processfind.h"

extern "C" {

// 1 when a process matched by name runs, else 0.
int WINAPI IsRunProcess(const wchar_t* name) { return FindProcessByName(name) != 0 ? 1 : 0; }

// Terminates matching processes (at most three terminations); 1 when none is left afterwards,
// else 0.
int WINAPI KillProcess(const wchar_t* name) {
    // A terminated process stays listed until it has ended; waiting a moment for that keeps
    // a successful termination from being reported as a failure.
    const DWORD kEndWaitMs = 5000;
    for (int attempts = 0; attempts < 3; ++attempts) {
        DWORD id = FindProcessByName(name);
        if (!id) break;
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) break;
        if (::TerminateProcess(process, 0)) ::WaitForSingleObject(process, kEndWaitMs);
        ::CloseHandle(process);
    }
    return FindProcessByName(name) == 0 ? 1 : 0;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
