#include "uploader/service/photoarchive.h"

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <cstdio>
#include <memory>

namespace {

struct FindDeleter {
    void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindDeleter>;

// "%XX" for control characters and for every character of `escaped`; "%" must be among them
// so that the result can be read back in one way only.
std::wstring Escape(const std::wstring& text, const wchar_t* escaped) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c < 0x20 || wcschr(escaped, c) != nullptr) {
            wchar_t code[4];
            std::swprintf(code, 4, L"%%%02X", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

bool OnlyDotsAndSpaces(const std::wstring& name) {
    return name.find_first_not_of(L". ") == std::wstring::npos;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
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

// Deletes folder\*-number.* entries other than `keep`. Returns false when the folder cannot be
// listed.
bool DeleteEarlierCopies(const std::wstring& folder, const std::wstring& number,
                         const std::wstring& keep) {
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
        if (SameName(name, keep)) continue;
        if (!NumberOfEntry(name, entryNumber) || !SameName(entryNumber, number)) continue;
        DeleteFileW((folder + L"\\" + name).c_str());
    } while (FindNextFileW(find.get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

// Copies source to folder\name through a temporary file of that folder, so that `name` is
// either the old file or the whole new one.
bool CopyIntoPlace(const std::wstring& source, const std::wstring& folder,
                   const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    if (GetTempFileNameW(folder.c_str(), L"new", 0, temp) == 0) return false;
    std::wstring target = folder + L"\\" + name;
    if (CopyFileW(source.c_str(), temp, FALSE) &&
        MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    DeleteFileW(temp);
    return false;
}

}  // namespace

std::wstring ArchivedNumber(const std::wstring& fileNumber) {
    return Escape(fileNumber, L"%-<>:\"/\\|?*");
}

bool ArchiveFolder(const std::wstring& archiveRoot, const StudentRecord& record,
                   std::wstring& folder) {
    std::wstring name = record.grade_name;
    if (!record.class_name.empty()) name += L"-" + record.class_name;
    if (name.find_first_of(L"\\/:") != std::wstring::npos || OnlyDotsAndSpaces(name)) return false;
    folder = archiveRoot + L"\\" + Escape(name, L"%<>\"|?*");
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

    size_t slash = compressedPath.rfind(L'\\');
    std::wstring name =
        slash == std::wstring::npos ? compressedPath : compressedPath.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return -1;
    std::wstring number = ArchivedNumber(fileNumber);
    std::wstring archived = name.substr(0, dot) + L"-" + number + name.substr(dot);

    if (!CopyIntoPlace(compressedPath, folder, archived)) return -1;
    if (!DeleteEarlierCopies(folder, number, archived)) return -1;
    DeleteFileW(compressedPath.c_str());
    return 0;
}
