#include "updater/versionfile.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "common/xml/ntxmlparse.h"

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace

bool ReadUtf16File(const std::wstring& path, std::wstring& text) {
    text.clear();
    FileHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
         got != bytes.size()))
        return false;
    text.assign(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return true;
}

namespace {

// Loads a UTF-16 XML file and steps into its Config element; false when either fails.
bool OpenConfig(const std::wstring& path, CNTXMLParse& xml) {
    std::wstring text;
    if (!ReadUtf16File(path, text)) return false;
    xml.SetDoc(text);
    if (!xml.FindElem(L"Config")) return false;
    xml.IntoElem();
    return true;
}

}  // namespace

bool ReadVersionFile(const std::wstring& path, std::wstring& version, std::wstring& updateBase) {
    version.clear();
    updateBase.clear();
    CNTXMLParse xml;
    if (!OpenConfig(path, xml)) return false;
    while (xml.FindElem()) {
        std::wstring tag = xml.GetTagName();
        if (tag == L"Version")
            version = xml.GetData();
        else if (tag == L"Update")
            updateBase = xml.GetData();
    }
    return true;
}

bool WriteVersionFile(const std::wstring& path, const std::wstring& newVersion) {
    CNTXMLParse xml;
    if (!OpenConfig(path, xml)) return false;
    // The last Version counts when reading, so that is the one to change; a search that
    // finds no further one leaves the position on it.
    bool found = false;
    while (xml.FindElem(L"Version")) found = true;
    if (!found || !xml.SetData(newVersion)) return false;
    const std::wstring& doc = xml.GetDoc();

    std::vector<unsigned char> bytes{0xFF, 0xFE};
    bytes.reserve(2 + doc.size() * 2);
    for (wchar_t c : doc) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
    std::wstring temp = path + L".new";
    {
        FileHandle file = OpenFile(temp, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file) return false;
        DWORD written = 0;
        bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) &&
                  written == bytes.size() && FlushFileBuffers(file.get());
        if (!ok) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}
