#include "support/scratchfolder.h"

#include <windows.h>

#include <memory>

namespace {

struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};

// Tries a few names: folders of an earlier run with the same process id may still be there.
constexpr int kAttempts = 100;

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (first != INVALID_HANDLE_VALUE) {
        std::unique_ptr<void, FindCloser> find(first);
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find.get(), &entry));
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

CScratchFolder::CScratchFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    const std::wstring stem =
        std::wstring(temp) + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_";
    for (int n = 1; n <= kAttempts; ++n) {
        const std::wstring path = stem + std::to_wstring(n);
        if (CreateDirectoryW(path.c_str(), nullptr)) {
            m_path = path;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

CScratchFolder::~CScratchFolder() {
    if (!m_path.empty()) RemoveTree(m_path);
}
