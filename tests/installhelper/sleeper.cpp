// Stand-in for the processes the installer looks for. Once it runs it sets the event the test
// named after its process id, then waits until it is terminated.
#include <windows.h>

#include <string>

int main() {
    std::wstring name = L"ostrafel-ready-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (ready) {
        ::SetEvent(ready);
        ::CloseHandle(ready);
    }
    ::Sleep(INFINITE);
    return 0;
}
