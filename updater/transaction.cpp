#include "updater/transaction.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "updater/install.h"

const wchar_t CCMInstallTransaction::kJournalName[] = L"install.journal";

namespace {

// Journal records, one a line: kind, tab, path, tab, second field. A line cut short by a crash
// has no end of line and is ignored: its step was never taken.
constexpr wchar_t kFolderTimes = L'T';  // folder, its creation/access/write times
constexpr wchar_t kMadeFolder = L'M';   // folder created
constexpr wchar_t kDraft = L'D';        // draft written
constexpr wchar_t kAside = L'A';        // target renamed to the second path
constexpr wchar_t kPlaced = L'N';       // draft renamed to the second path (its target)
constexpr wchar_t kCommitPoint = L'C';  // nothing before this is undone

struct JournalLine {
    wchar_t kind = 0;
    std::wstring first, second;
};

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A name beside base that nothing holds yet: base + suffix, then base + suffix + 1, 2, ...
std::wstring FreeName(const std::wstring& base, const wchar_t* suffix) {
    std::wstring name = base + suffix;
    for (int n = 1; Exists(name); ++n) name = base + suffix + std::to_wstring(n);
    return name;
}

uint64_t TimeValue(const FILETIME& t) {
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME TimeFrom(uint64_t v) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    t.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return t;
}

HANDLE OpenFolder(const std::wstring& folder, DWORD access) {
    return CreateFileW(folder.c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The folder's three times as "creation access write" in hex.
bool FolderTimesText(const std::wstring& folder, std::wstring& text) {
    HANDLE handle = OpenFolder(folder, FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FILETIME created{}, accessed{}, written{};
    bool ok = GetFileTime(handle, &created, &accessed, &written) != 0;
    CloseHandle(handle);
    if (!ok) return false;
    wchar_t buf[64];
    swprintf(buf, 64, L"%llx %llx %llx", static_cast<unsigned long long>(TimeValue(created)),
             static_cast<unsigned long long>(TimeValue(accessed)),
             static_cast<unsigned long long>(TimeValue(written)));
    text = buf;
    return true;
}

void RestoreFolderTimes(const std::wstring& folder, const std::wstring& text) {
    unsigned long long created = 0, accessed = 0, written = 0;
    if (swscanf(text.c_str(), L"%llx %llx %llx", &created, &accessed, &written) != 3) return;
    HANDLE handle = OpenFolder(folder, FILE_WRITE_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) return;
    FILETIME c = TimeFrom(created), a = TimeFrom(accessed), w = TimeFrom(written);
    SetFileTime(handle, &c, &a, &w);
    CloseHandle(handle);
}

bool ReadJournal(const std::wstring& path, std::vector<JournalLine>& lines) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    std::wstring text;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        text.resize(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t));
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        ok = want == 0 || (ReadFile(file, &text[0], want, &got, nullptr) && got == want);
    }
    CloseHandle(file);
    if (!ok) return false;
    size_t start = 0;
    for (size_t end = text.find(L'\n'); end != std::wstring::npos;
         start = end + 1, end = text.find(L'\n', start)) {
        std::wstring line = text.substr(start, end - start);
        size_t tab1 = line.find(L'\t');
        if (line.size() < 2 || tab1 != 1) continue;
        size_t tab2 = line.find(L'\t', 2);
        JournalLine entry;
        entry.kind = line[0];
        entry.first = line.substr(2, tab2 == std::wstring::npos ? std::wstring::npos : tab2 - 2);
        if (tab2 != std::wstring::npos) entry.second = line.substr(tab2 + 1);
        lines.push_back(entry);
    }
    return true;
}

// Undoes the records after the last commit point, last first; false when a file could not be
// put back.
bool UndoRecords(const std::vector<JournalLine>& lines) {
    bool all = true;
    for (size_t i = lines.size(); i-- > 0;) {
        const JournalLine& line = lines[i];
        if (line.kind == kCommitPoint) break;
        switch (line.kind) {
            case kPlaced:
                // Taken back to the draft's name, which the draft record then deletes.
                if (!Exists(line.first) && Exists(line.second) &&
                    !MoveFileExW(line.second.c_str(), line.first.c_str(), MOVEFILE_WRITE_THROUGH))
                    all = false;
                break;
            case kAside:
                if (Exists(line.second) &&
                    !MoveFileExW(line.second.c_str(), line.first.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                    all = false;
                break;
            case kDraft:
                if (Exists(line.first)) {
                    SetFileAttributesW(line.first.c_str(), FILE_ATTRIBUTE_NORMAL);
                    if (!DeleteFileW(line.first.c_str())) all = false;
                }
                break;
            case kMadeFolder:
                RemoveDirectoryW(line.first.c_str());
                break;
            case kFolderTimes:
                RestoreFolderTimes(line.first, line.second);
                break;
            default:
                break;
        }
    }
    return all;
}

// Set-aside files of committed steps: deleted now, or at the next start of Windows when they
// are in use; true when one had to wait for that.
bool DeleteAside(const std::wstring& aside) {
    if (!Exists(aside)) return false;
    SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(aside.c_str())) return false;
    return MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

}  // namespace

CCMInstallTransaction::CCMInstallTransaction(const std::wstring& updateFolder)
    : m_journalPath(updateFolder + kJournalName) {}

CCMInstallTransaction::~CCMInstallTransaction() { CloseJournal(false); }

bool CCMInstallTransaction::OpenJournal() {
    if (m_journal) return true;
    MakeDirs(m_journalPath);
    HANDLE file =
        CreateFileW(m_journalPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    m_journal = file;
    return true;
}

bool CCMInstallTransaction::Record(wchar_t kind, const std::wstring& first,
                                   const std::wstring& second) {
    if (!OpenJournal()) return false;
    std::wstring line;
    line += kind;
    line += L'\t';
    line += first;
    line += L'\t';
    line += second;
    line += L'\n';
    DWORD want = static_cast<DWORD>(line.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(m_journal, line.data(), want, &written, nullptr) && written == want;
}

bool CCMInstallTransaction::KeepFolderTimes(const std::wstring& folder) {
    for (const auto& kept : m_timesKept)
        if (CompareStringOrdinal(kept.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL)
            return true;
    std::wstring times;
    if (!FolderTimesText(folder, times)) return false;
    m_timesKept.push_back(folder);
    return Record(kFolderTimes, folder, times);
}

bool CCMInstallTransaction::MakeFolders(const std::wstring& folder) {
    DWORD attrs = GetFileAttributesW(folder.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring parent = FolderOf(folder);
    if (parent.empty() || parent == folder || !MakeFolders(parent)) return false;
    if (!KeepFolderTimes(parent) || !Record(kMadeFolder, folder)) return false;
    return CreateDirectoryW(folder.c_str(), nullptr) != 0;
}

bool CCMInstallTransaction::StageFile(const std::wstring& source, const std::wstring& target) {
    for (auto& staged : m_staged) {
        if (CompareStringOrdinal(staged.target.c_str(), -1, target.c_str(), -1, TRUE) != CSTR_EQUAL)
            continue;
        // A later package replaces an earlier one's draft by the same rule as a target.
        if (!NeedCopy(staged.draft, source)) return true;
        SetFileAttributesW(staged.draft.c_str(), FILE_ATTRIBUTE_NORMAL);
        return CopyFileW(source.c_str(), staged.draft.c_str(), FALSE) != 0;
    }
    // A folder where the file should go is never set aside for it.
    DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!NeedCopy(target, source)) return true;
    std::wstring folder = FolderOf(target);
    if (!MakeFolders(folder) || !KeepFolderTimes(folder)) return false;
    Staged staged{target, FreeName(target, L".trvnew"), std::wstring()};
    if (!Record(kDraft, staged.draft)) return false;
    if (!CopyFileW(source.c_str(), staged.draft.c_str(), TRUE)) return false;
    m_staged.push_back(staged);
    return true;
}

bool CCMInstallTransaction::StageTree(const std::wstring& source, const std::wstring& target) {
    std::wstring from = source, to = target;
    if (!from.empty() && from.back() == L'\\') from.pop_back();
    if (!to.empty() && to.back() == L'\\') to.pop_back();
    if (!MakeFolders(to)) return false;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = StageTree(from + L"\\" + name, to + L"\\" + name);
        else
            ok = StageFile(from + L"\\" + name, to + L"\\" + name);
    } while (ok && FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

bool CCMInstallTransaction::Commit() {
    // The common failure, a file in use, is found before anything changes.
    for (const auto& staged : m_staged) {
        if (!Exists(staged.target)) continue;
        HANDLE probe = CreateFileW(staged.target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            // A loaded library or a read-only file cannot be written but can be renamed aside,
            // which is all the commit does to it.
            probe = CreateFileW(staged.target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (probe == INVALID_HANDLE_VALUE) {
            OutputDebugStringW((L"trevasko: in use, cannot be replaced: " + staged.target).c_str());
            return false;
        }
        CloseHandle(probe);
    }
    for (auto& staged : m_staged) {
        if (Exists(staged.target)) {
            staged.aside = FreeName(staged.target, L".trvold");
            if (!Record(kAside, staged.target, staged.aside) ||
                !MoveFileExW(staged.target.c_str(), staged.aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                OutputDebugStringW((L"trevasko: cannot set aside: " + staged.target).c_str());
                return false;
            }
        }
        if (!Record(kPlaced, staged.draft, staged.target) ||
            !MoveFileExW(staged.draft.c_str(), staged.target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            OutputDebugStringW((L"trevasko: cannot put in place: " + staged.target).c_str());
            return false;
        }
        if (!staged.aside.empty()) m_asides.push_back(staged.aside);
    }
    m_staged.clear();
    return true;
}

bool CCMInstallTransaction::StageCopy(const std::wstring& target, std::wstring& draft) {
    std::wstring folder = FolderOf(target);
    if (!KeepFolderTimes(folder)) return false;
    Staged staged{target, FreeName(target, L".trvnew"), std::wstring()};
    if (!Record(kDraft, staged.draft)) return false;
    if (!CopyFileW(target.c_str(), staged.draft.c_str(), TRUE)) return false;
    m_staged.push_back(staged);
    draft = staged.draft;
    return true;
}

bool CCMInstallTransaction::MarkCommitted(int& reboot) {
    // Once marked, a crash while the set-aside files go leaves nothing to undo; when the mark
    // cannot be written the journal goes first for the same reason.
    bool marked = Record(kCommitPoint, std::wstring());
    m_committed = true;
    if (!marked) CloseJournal(true);
    m_timesKept.clear();
    for (const auto& aside : m_asides)
        if (DeleteAside(aside) && reboot == 0) reboot = 1;
    m_asides.clear();
    return marked;
}

bool CCMInstallTransaction::CommitPoint(int& reboot) { return Commit() && MarkCommitted(reboot); }

void CCMInstallTransaction::CloseJournal(bool remove) {
    if (m_journal) {
        CloseHandle(m_journal);
        m_journal = nullptr;
    }
    if (remove) DeleteFileW(m_journalPath.c_str());
}

void CCMInstallTransaction::Rollback() {
    CloseJournal(false);
    RecoverInterruptedInstall(FolderOf(m_journalPath) + L"\\");
    m_staged.clear();
    m_asides.clear();
    m_timesKept.clear();
}

void CCMInstallTransaction::Finish(int& reboot) {
    MarkCommitted(reboot);
    CloseJournal(true);
}

bool RecoverInterruptedInstall(const std::wstring& updateFolder) {
    const std::wstring path = updateFolder + CCMInstallTransaction::kJournalName;
    std::vector<JournalLine> lines;
    if (!ReadJournal(path, lines)) return !Exists(path);
    bool all = UndoRecords(lines);
    // Committed steps only wait for their set-aside files to go.
    size_t lastCommit = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == kCommitPoint) lastCommit = i;
    for (size_t i = 0; i < lastCommit; ++i)
        if (lines[i].kind == kAside) DeleteAside(lines[i].second);
    // A journal that could not be fully undone is kept for the next start.
    if (all) DeleteFileW(path.c_str());
    return all;
}
