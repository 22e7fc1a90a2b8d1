#include "installhelper/processfind.h"

#include <psapi.h>

#include <string>
#include <vector>

namespace {

std::wstring AsciiLower(const wchar_t* text) {
    std::wstring out = text ? text : L"";
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return out;
}

bool MatchesLowered(const std::wstring& name, const std::wstring& base) {
    if (base.empty() || name.size() < base.size()) return false;
    if (name.size() == base.size()) return name == base;
    size_t at = name.size() - base.size();
    return name[at - 1] == L'\\' && name.compare(at, base.size(), base) == 0;
}

// Grows the buffer until the list fits: a full buffer may have cut the list short.
bool ListProcesses(std::vector<DWORD>& ids) {
    ids.assign(1024, 0);
    for (;;) {
        DWORD bytes = 0;
        DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!::EnumProcesses(ids.data(), capacity, &bytes)) return false;
        if (bytes < capacity) {
            ids.resize(bytes / sizeof(DWORD));
            return true;
        }
        ids.assign(ids.size() * 2, 0);
    }
}

}  // namespace

bool ProcessNameMatches(const wchar_t* name, const wchar_t* baseName) {
    return MatchesLowered(AsciiLower(name), AsciiLower(baseName));
}

DWORD FindProcessByName(const wchar_t* name) {
    std::wstring wanted = AsciiLower(name);
    if (wanted.empty()) return 0;
    std::vector<DWORD> ids;
    if (!ListProcesses(ids)) return 0;
    wchar_t base[MAX_PATH] = L"<unknown>";
    for (DWORD id : ids) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (!process) continue;
        HMODULE module = nullptr;
        DWORD needed = 0;
        bool match = false;
        if (::EnumProcessModules(process, &module, sizeof(module), &needed) &&
            ::GetModuleBaseNameW(process, module, base, MAX_PATH))
            match = MatchesLowered(wanted, AsciiLower(base));
        ::CloseHandle(process);
        if (match) return id;
    }
    return 0;
}
