#include "updater/imeclient.h"

#include <tlhelp32.h>

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using Snapshot = std::unique_ptr<void, HandleCloser>;

bool SameText(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool IsProgramRunning(const std::wstring& exePath) {
    Snapshot processes(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (processes.get() == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(processes.get(), &process); more;
         more = Process32NextW(processes.get(), &process)) {
        Snapshot modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.th32ProcessID));
        if (modules.get() == INVALID_HANDLE_VALUE) continue;
        MODULEENTRY32W module{};
        module.dwSize = sizeof(module);
        if (Module32FirstW(modules.get(), &module) && SameText(exePath, module.szExePath))
            return true;
    }
    return false;
}

bool AskImeClientToExit() {
    static const UINT exitMessage = RegisterWindowMessageW(L"IME_EXIT_MSG");
    HWND client = FindWindowW(L"QUORBEL_MAIN_WINDOW", nullptr);
    return client && PostMessageW(client, exitMessage, 0, 0);
}
