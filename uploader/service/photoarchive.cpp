#include "uploader/service/photoarchive.h"

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <memory>

namespace {

struct FindDeleter {
    void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindDeleter>;

bool OnlyDotsAndSpaces(const std::wstring& name) {
    return name.find_first_not_of(L". ") == std::wstring::npos;
}

bool SameNumber(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The number an archived file was saved for: its name after the last "-", cut at the last ".".
bool NumberOfEntry(const std::wstring& name, std::wstring& number) {
    size_t dash = name.rfind(L'-');
    if (dash == std::wstring::npos) return false;
    number = name.substr(dash + 1);
    size_t dot = number.rfind(L'.');
    if (dot != std::wstring::npos) number.erase(dot);
    return true;
}

// Deletes folder\*-number.* entries. Returns false when the folder cannot be listed.
bool DeleteEarlierCopies(const std::wstring& folder, const std::wstring& number) {
    WIN32_FIND_DATAW entry;
    std::wstring pattern = folder + L"\\*.*";
    FindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        return false;
    }
    do {
        std::wstring name = entry.cFileName;
        std::wstring entryNumber;
        if (name.size() <= 2 && name.find(L'.') != std::wstring::npos) continue;
        if (!NumberOfEntry(name, entryNumber) || !SameNumber(entryNumber, number)) continue;
        DeleteFileW((folder + L"\\" + name).c_str());
    } while (FindNextFileW(find.get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

std::wstring SafeFileName(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) {
        if (c < 0x20 || wcschr(L"<>:\"/\\|?*", c) != nullptr) c = L'_';
    }
    return out;
}

bool ArchiveFolder(const std::wstring& archiveRoot, const StudentRecord& record,
                   std::wstring& folder) {
    std::wstring grade = SafeFileName(record.grade_name);
    std::wstring className = SafeFileName(record.class_name);
    if (OnlyDotsAndSpaces(grade)) return false;
    if (!className.empty() && OnlyDotsAndSpaces(className)) return false;
    folder = archiveRoot + L"\\" + grade;
    if (!className.empty()) folder += L"-" + className;
    return true;
}

int ArchiveUploadedPhoto(const std::wstring& archiveRoot, const StudentRecord& record,
                         const std::wstring& compressedPath, const std::wstring& fileNumber) {
    std::wstring folder;
    if (!ArchiveFolder(archiveRoot, record, folder)) return -1;
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CreateDirectoryW(folder.c_str(), nullptr)) {
        return -1;
    }
    // The number becomes part of a file name; a separator in it must not lead elsewhere.
    std::wstring number = SafeFileName(fileNumber);
    if (!DeleteEarlierCopies(folder, number)) return -1;

    size_t slash = compressedPath.rfind(L'\\');
    std::wstring name =
        slash == std::wstring::npos ? compressedPath : compressedPath.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return -1;
    std::wstring target = folder + L"\\" + name.substr(0, dot) + L"-" + number + name.substr(dot);
    if (!CopyFileW(compressedPath.c_str(), target.c_str(), FALSE)) return -1;
    DeleteFileW(compressedPath.c_str());
    return 0;
}
