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

// "%XX": the hexadecimal code of c.
std::wstring CodeOf(wchar_t c) {
    wchar_t code[8];
    std::swprintf(code, 8, L"%%%02X", static_cast<unsigned>(c));
    return code;
}

// "%XX" for control characters and for every character of `escaped`; "%" must be among them
// so that the result can be read back in one way only.
std::wstring Escape(const std::wstring& text, const wchar_t* escaped) {
    std::wstring out;
    for (wchar_t c : text)
        out += c < 0x20 || wcschr(escaped, c) != nullptr ? CodeOf(c) : std::wstring(1, c);
    return out;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Whether Windows takes `name` for a device: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with
// a superscript 1-3), CONIN$ and CONOUT$, in any case, alone or before an extension and with
// spaces before the dot.
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    base.erase(base.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (SameName(base, device)) return true;
    }
    if (base.size() != 4 ||
        std::wstring(L"0123456789\u00B9\u00B2\u00B3").find(base[3]) == std::wstring::npos) {
        return false;
    }
    std::wstring family = base.substr(0, 3);
    return SameName(family, L"COM") || SameName(family, L"LPT");
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
    if (name.empty()) return false;
    // Only characters of the name become "%XX", and "%" always does: every folder name reads
    // back as one name. "-" stays, as it always has in these folder names.
    std::wstring escaped = Escape(name, L"%<>:\"/\\|?*");
    // A device name would reach the device, and Windows drops a final dot or space (so that
    // "g." would share the folder of "g"): their first or last character is written as code.
    if (IsDeviceName(name)) escaped.replace(0, 1, CodeOf(escaped[0]));
    wchar_t last = escaped.back();
    if (last == L'.' || last == L' ') escaped.replace(escaped.size() - 1, 1, CodeOf(last));
    folder = archiveRoot + L"\\" + escaped;
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
