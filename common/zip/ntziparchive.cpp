#include "common/zip/ntziparchive.h"

#include <memory>

#include "common/zip/ntzipformat.h"
#include "common/zip/ntzipmemorysource.h"

namespace {

class HandleOwner {
public:
    explicit HandleOwner(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~HandleOwner() { Reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    void Reset() {
        if (valid()) CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

class FileSource : public CNTZipSource {
public:
    explicit FileSource(HANDLE h) : m_file(h) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(h, &size)) m_size = static_cast<uint64_t>(size.QuadPart);
    }
    uint64_t Size() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t len) override {
        if (offset > m_size || len > m_size - offset) return false;
        unsigned char* p = static_cast<unsigned char*>(buffer);
        while (len > 0) {
            OVERLAPPED ov{};
            ov.Offset = static_cast<DWORD>(offset);
            ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD want = static_cast<DWORD>(len > 0x10000000 ? 0x10000000 : len), got = 0;
            if (!ReadFile(m_file.get(), p, want, &got, &ov) || got == 0) return false;
            p += got;
            offset += got;
            len -= got;
        }
        return true;
    }

private:
    HandleOwner m_file;
    uint64_t m_size = 0;
};

class FileSink : public CNTZipSink {
public:
    explicit FileSink(HANDLE h) : m_h(h) {}
    bool Write(const void* data, size_t len) override {
        DWORD written = 0;
        return WriteFile(m_h, data, static_cast<DWORD>(len), &written, nullptr) && written == len;
    }

private:
    HANDLE m_h;
};

// Creates the folder and any missing parents.
void CreateFolders(const std::wstring& folder) {
    if (folder.empty() || CreateDirectoryW(folder.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_PATH_NOT_FOUND) return;
    size_t cut = folder.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0) return;
    CreateFolders(folder.substr(0, cut));
    CreateDirectoryW(folder.c_str(), nullptr);
}

void CreateParentFolders(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 0) CreateFolders(path.substr(0, cut));
}

FILETIME FromUnix(int64_t seconds) {
    // 100-ns ticks between 1601-01-01 and 1970-01-01.
    uint64_t ticks = static_cast<uint64_t>(seconds * 10000000LL + 116444736000000000LL);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// The DOS time is local time; the file system wants UTC.
bool FromDos(uint16_t date, uint16_t time, FILETIME& out) {
    FILETIME local;
    return DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &out);
}

std::wstring ToWide(const std::string& raw) {
    if (raw.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), &w[0], n);
    return w;
}

std::wstring Normalised(std::wstring s) {
    for (wchar_t& c : s) {
        if (c == L'/') c = L'\\';
    }
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    return s;
}

}  // namespace

bool CNTZipArchive::Open(const std::wstring& path) {
    Close();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    return m_reader.Open(std::make_unique<FileSource>(h));
}

bool CNTZipArchive::OpenMemory(const void* data, size_t len) {
    Close();
    return m_reader.Open(std::make_unique<CNTZipMemorySource>(data, len));
}

void CNTZipArchive::Close() { m_reader.Close(); }

int CNTZipArchive::GetCount() const { return static_cast<int>(m_reader.GetCount()); }

std::wstring CNTZipArchive::GetItemName(int index) const {
    const NTZipEntry* entry = index >= 0 ? m_reader.GetEntry(static_cast<size_t>(index)) : nullptr;
    if (!entry) return std::wstring();
    return NTZipCleanName(ToWide(entry->rawName).substr(0, NT_ZIP_MAX_NAME));
}

bool CNTZipArchive::IsDirectory(int index) const {
    const NTZipEntry* entry = index >= 0 ? m_reader.GetEntry(static_cast<size_t>(index)) : nullptr;
    return entry && NTZipIsDirectory(*entry);
}

int CNTZipArchive::FindItem(const std::wstring& name) const {
    std::wstring want = Normalised(name);
    for (int i = 0; i < GetCount(); ++i) {
        std::wstring have = Normalised(GetItemName(i));
        if (!have.empty() &&
            CompareStringOrdinal(have.c_str(), static_cast<int>(have.size()), want.c_str(),
                                 static_cast<int>(want.size()), TRUE) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

bool CNTZipArchive::ExtractItem(int index, const std::wstring& path) {
    const NTZipEntry* entry = index >= 0 ? m_reader.GetEntry(static_cast<size_t>(index)) : nullptr;
    if (!entry || path.empty()) return false;
    DWORD attrs = NTZipDosAttributes(*entry);
    if (NTZipIsDirectory(*entry)) {
        std::wstring folder = Normalised(path);
        CreateFolders(folder);
        DWORD have = GetFileAttributesW(folder.c_str());
        if (have == INVALID_FILE_ATTRIBUTES || !(have & FILE_ATTRIBUTE_DIRECTORY)) return false;
        SetFileAttributesW(folder.c_str(), (attrs & ~FILE_ATTRIBUTE_DIRECTORY)
                                               ? (attrs & ~FILE_ATTRIBUTE_DIRECTORY)
                                               : FILE_ATTRIBUTE_NORMAL);
        return true;
    }
    if (entry->IsEncrypted()) return false;

    // Times: the DOS stamp, replaced by the Unix times of an "UT" field when present.
    FILETIME write{}, access{}, create{};
    bool haveTimes = FromDos(entry->dosDate, entry->dosTime, write);
    access = create = write;
    std::vector<unsigned char> extra;
    NTZipUnixTimes ut;
    if (m_reader.ReadLocalExtra(static_cast<size_t>(index), extra) &&
        NTZipParseUnixTimes(extra.data(), extra.size(), ut)) {
        if (ut.hasModify) write = FromUnix(ut.modify);
        if (ut.hasAccess) access = FromUnix(ut.access);
        if (ut.hasCreate) create = FromUnix(ut.create);
        haveTimes = true;
    }

    CreateParentFolders(path);
    // A read-only or hidden file of the same name would refuse the replacement.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HandleOwner file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    FileSink sink(file.get());
    if (!m_reader.Extract(static_cast<size_t>(index), sink)) {
        file.Reset();
        DeleteFileW(path.c_str());
        return false;
    }
    if (haveTimes) SetFileTime(file.get(), &create, &access, &write);
    file.Reset();
    SetFileAttributesW(path.c_str(), attrs ? attrs : FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool CNTZipArchive::ExtractToMemory(int index, std::vector<unsigned char>& out) {
    return index >= 0 && m_reader.ExtractToMemory(static_cast<size_t>(index), out);
}

bool CNTZipArchive::ExtractAll(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    CreateFolders(Normalised(base));
    bool all = true;
    for (int i = 0; i < GetCount(); ++i) {
        std::wstring name = GetItemName(i);
        if (name.empty()) continue;
        if (!ExtractItem(i, base + name)) all = false;
    }
    return all;
}
