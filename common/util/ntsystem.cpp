#include "common/util/ntsystem.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

ULONGLONG NTGetTime() {
    LARGE_INTEGER frequency, counter;
    if (::QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 &&
        ::QueryPerformanceCounter(&counter))
        return static_cast<ULONGLONG>(static_cast<double>(counter.QuadPart) /
                                      static_cast<double>(frequency.QuadPart) * 1000000.0);
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    ULONGLONG ticks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10 - 11644473600000000ULL;
}

int NTSaveFileDlg(HWND owner, std::wstring& path, std::wstring& fileName, const wchar_t* filter,
                  const wchar_t* initDir, const wchar_t* defExt) {
    std::vector<wchar_t> file(1024, L'\0');
    std::copy_n(fileName.c_str(), std::min<size_t>(fileName.size(), file.size() - 1), file.begin());
    std::vector<wchar_t> title(MAX_PATH, L'\0');
    // '|' becomes NUL; the extra NUL ends the list even without a trailing '|'.
    std::wstring filters = filter ? filter : L"";
    std::replace(filters.begin(), filters.end(), L'|', L'\0');
    filters.push_back(L'\0');

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter && *filter ? filters.c_str() : nullptr;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(title.size());
    ofn.lpstrInitialDir = initDir && *initDir ? initDir : nullptr;
    ofn.lpstrDefExt = defExt && *defExt ? defExt : nullptr;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    BOOL ok = ::GetSaveFileNameW(&ofn);
    path = ok ? file.data() : L"";
    fileName = ok ? title.data() : L"";
    return ok;
}

std::wstring NTGetCmdLineArg(const wchar_t* cmdLine, int n) {
    if (!cmdLine || n < 0) return std::wstring();
    const size_t kMaxUnits = MAX_PATH - 1;
    const wchar_t* p = cmdLine;
    for (int index = 0;; ++index) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) return std::wstring();
        std::wstring arg;
        bool quoted = false;
        for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            if (*p == L'"')
                quoted = !quoted;
            else if (arg.size() < kMaxUnits)
                arg.push_back(*p);
        }
        if (index == n) return arg;
    }
}

std::wstring NTParseCmdLine(int n) { return NTGetCmdLineArg(::GetCommandLineW(), n); }

int NTDeleteFolder(const wchar_t* folder, int removeFolder) {
    if (!folder || !*folder) return FALSE;
    std::wstring dir = folder;
    if (dir.back() != L'\\') dir.push_back(L'\\');
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return FALSE;
    bool ok = true;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring full = dir + name;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A junction or link: remove the link, never the folder it points to.
            ok = ::RemoveDirectoryW(full.c_str()) != FALSE;
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = NTDeleteFolder(full.c_str(), TRUE) != FALSE;
        } else {
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            ok = ::DeleteFileW(full.c_str()) != FALSE;
        }
    } while (ok && ::FindNextFileW(find, &data));
    ::FindClose(find);
    if (!ok) return FALSE;
    if (!removeFolder) return TRUE;
    ::SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::RemoveDirectoryW(dir.c_str());
}
