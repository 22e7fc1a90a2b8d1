#include "updater/install.h"

#include <shellapi.h>

#include <climits>
#include <cwchar>
#include <vector>

#include "common/xml/ntxmlparse.h"
#include "common/zip/ntziparchive.h"
#include "updater/transaction.h"
#include "updater/versionfile.h"

namespace {

std::wstring WithSlash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

bool GetWriteTime(const std::wstring& path, FILETIME& time) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    time = data.ftLastWriteTime;
    return true;
}

// Leading component of a version text: its leading decimal digits ("16385 (win7_rtm" counts
// 16385; none count 0); rest receives what follows its ".".
long LeadingComponent(const std::wstring& text, std::wstring& rest, bool& hasRest) {
    size_t dot = text.find(L'.');
    hasRest = dot != std::wstring::npos;
    rest = hasRest ? text.substr(dot + 1) : std::wstring();
    long value = 0;
    for (size_t i = 0; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        long digit = text[i] - L'0';
        if (value > (LONG_MAX - digit) / 10) return LONG_MAX;
        value = value * 10 + digit;
    }
    return value;
}

// Puts the current folder back when it ends.
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper() {
        wchar_t folder[MAX_PATH] = {};
        DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
        if (n > 0 && n < MAX_PATH) m_folder.assign(folder, n);
    }
    ~CurrentFolderKeeper() {
        if (!m_folder.empty()) SetCurrentDirectoryW(m_folder.c_str());
    }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    std::wstring m_folder;
};

std::wstring SystemFolder() {
    wchar_t buf[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return WithSlash(std::wstring(buf, n < MAX_PATH ? n : 0));
}

std::wstring BaseFor(const std::wstring& baseDir, const std::wstring& programFolder,
                     const std::wstring& systemFolder) {
    if (baseDir == L"Work") return programFolder;
    if (baseDir == L"System") return systemFolder;
    return std::wstring();
}

// Targets relative to no base resolve against the current folder, which Shell steps move:
// the transaction keeps them as they resolve when their step comes.
std::wstring FullPath(const std::wstring& path) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buf, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : path;
}

}  // namespace

std::wstring GetFileVersionText(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::wstring();
    std::vector<unsigned char> info(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return std::wstring();
    for (const wchar_t* key :
         {L"\\StringFileInfo\\040904b0\\FileVersion", L"\\StringFileInfo\\080404b0\\FileVersion"}) {
        void* value = nullptr;
        UINT len = 0;
        // len counts characters; a damaged resource need not end the text with a NUL.
        if (VerQueryValueW(info.data(), key, &value, &len) && value && len > 0) {
            const auto* text = static_cast<const wchar_t*>(value);
            return std::wstring(text, wcsnlen(text, len));
        }
    }
    return std::wstring();
}

int CompareVersionTexts(const std::wstring& a, const std::wstring& b) {
    std::wstring left = a, right = b;
    for (;;) {
        std::wstring leftRest, rightRest;
        bool leftMore = false, rightMore = false;
        long l = LeadingComponent(left, leftRest, leftMore);
        long r = LeadingComponent(right, rightRest, rightMore);
        if (l != r) return l < r ? -1 : 1;
        if (!leftMore || !rightMore) return 0;
        left.swap(leftRest);
        right.swap(rightRest);
    }
}

bool NeedCopy(const std::wstring& target, const std::wstring& source) {
    int order = CompareVersionTexts(GetFileVersionText(target), GetFileVersionText(source));
    if (order != 0) return order < 0;
    FILETIME targetTime{}, sourceTime{};
    bool haveTarget = GetWriteTime(target, targetTime);
    bool haveSource = GetWriteTime(source, sourceTime);
    if (!haveTarget) return haveSource;
    return haveSource && CompareFileTime(&targetTime, &sourceTime) < 0;
}

bool DeleteTree(const std::wstring& folder) {
    std::wstring base = WithSlash(folder);
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            bool ok;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = DeleteTree(base + name);
            } else {
                SetFileAttributesW((base + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileW((base + name).c_str()) != 0;
            }
            if (!ok) break;
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(base.c_str()) != 0;
}

void MakeDirs(const std::wstring& path) {
    for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at + 1).c_str(), nullptr);
}

bool UnpackPackage(const std::wstring& packagePath) {
    std::wstring folder = packagePath + L".DIR\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    CNTZipArchive archive;
    return archive.Open(packagePath) && archive.ExtractAll(folder);
}

bool RunSetupScript(const std::wstring& unpackFolder, const std::wstring& programFolder,
                    int& reboot, HWND owner, CCMInstallTransaction& transaction) {
    std::wstring text;
    if (!ReadUtf16File(unpackFolder + L"setup.xml", text)) return false;
    CNTXMLParse xml;
    xml.SetDoc(text);
    if (!xml.FindElem(L"Config")) return false;
    // A script that names a source its package does not hold would install part of the
    // package: it installs nothing.
    xml.IntoElem();
    while (xml.FindElem()) {
        std::wstring tag = xml.GetTagName();
        if ((tag == L"File" || tag == L"Dir") &&
            GetFileAttributesW((unpackFolder + xml.GetAttrib(L"Source")).c_str()) ==
                INVALID_FILE_ATTRIBUTES)
            return false;
    }
    xml.OutOfElem();
    xml.ResetChildPos();
    if (reboot == 0)
        reboot = static_cast<int>(std::wcstol(xml.GetAttrib(L"Reboot").c_str(), nullptr, 10));
    std::wstring systemFolder = SystemFolder();
    // Shell steps move the current folder, possibly into the unpack folder, which could then
    // not be removed; the script's caller gets its own folder back.
    CurrentFolderKeeper keeper;
    xml.IntoElem();
    while (xml.FindElem()) {
        std::wstring tag = xml.GetTagName();
        std::wstring base = BaseFor(xml.GetAttrib(L"BaseDir"), programFolder, systemFolder);
        bool ok = true;
        if (tag == L"File") {
            ok = transaction.StageFile(FullPath(unpackFolder + xml.GetAttrib(L"Source")),
                                       FullPath(base + xml.GetAttrib(L"Target")));
        } else if (tag == L"Dir") {
            ok = transaction.StageTree(FullPath(unpackFolder + xml.GetAttrib(L"Source")),
                                       FullPath(base + xml.GetAttrib(L"Target")));
        } else if (tag == L"Shell") {
            // A started program cannot be taken back: what came before it goes in now.
            if (!transaction.CommitPoint(reboot)) return false;
            std::wstring target = base + xml.GetAttrib(L"Target");
            size_t slash = target.rfind(L'\\');
            if (slash != std::wstring::npos) SetCurrentDirectoryW(target.substr(0, slash).c_str());
            std::wstring option = xml.GetAttrib(L"Option");
            HINSTANCE started = ShellExecuteW(owner, L"open", target.c_str(), option.c_str(),
                                              nullptr, SW_SHOWNORMAL);
            ok = reinterpret_cast<INT_PTR>(started) > 32;
        }
        if (!ok) return false;
    }
    return true;
}

void RemovePackage(const std::wstring& packagePath) {
    DeleteTree(packagePath + L".DIR\\");
    DeleteFileW(packagePath.c_str());
}
