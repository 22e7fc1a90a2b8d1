#include "updater/download.h"

#include <windows.h>

#include <cstdint>
#include <memory>

#include <openssl/sha.h>

#include "updater/framework/ccminternetsession.h"
#include "updater/textformat.h"

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

bool FileExists(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring RecordPath(const UpdateItem& item) { return item.localPath + L".$$$.for"; }

std::wstring RecordText(const UpdateItem& item) { return item.version + L"\n" + item.url; }

// Whether the partial file was started for this item's version and address.
bool PartialBelongsTo(const UpdateItem& item) {
    FileHandle file(CreateFileW(RecordPath(item).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    std::wstring expected = RecordText(item);
    std::wstring text(expected.size() + 1, L'\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got,
                  nullptr))
        return false;
    return got == expected.size() * sizeof(wchar_t) &&
           text.compare(0, expected.size(), expected) == 0;
}

void DropPartial(const UpdateItem& item) {
    DeleteFileW((item.localPath + L".$$$").c_str());
    DeleteFileW(RecordPath(item).c_str());
}

// The file's SHA-256 in lower-case hex; empty when it cannot be read.
std::string FileSha256(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::string();
    }
    SHA256_CTX context;
    SHA256_Init(&context);
    std::unique_ptr<unsigned char[]> block(new unsigned char[1 << 16]);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.get(), 1 << 16, &got, nullptr)) return std::string();
        if (got == 0) break;
        SHA256_Update(&context, block.get(), got);
    }
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256_Final(digest, &context);
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : digest) {
        text += hex[b >> 4];
        text += hex[b & 15];
    }
    return text;
}

// Whether the file has the size and digest the reply names (either may be absent).
bool MatchesReply(const UpdateItem& item, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (item.declaredSize != 0 &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow != item.declaredSize))
        return false;
    return item.sha256.empty() || FileSha256(path) == item.sha256;
}

std::wstring Kb(uint32_t bytes) { return std::to_wstring(static_cast<int>(bytes / 1024)) + L"Kb"; }

// Sends the status line and bar only when they change.
class ProgressShown {
public:
    ProgressShown(CCMProgressView& view, const std::wstring& pattern, const std::wstring& name)
        : m_view(view), m_pattern(pattern), m_name(name) {}
    void Show(uint32_t received, uint32_t expected) {
        std::wstring text = FormatText(m_pattern, {m_name, Kb(received) + L"/" + Kb(expected)});
        if (text != m_text) {
            m_text = text;
            m_view.SetStatusLine(text);
        }
        int position =
            expected ? static_cast<int>(static_cast<double>(received) / expected * 100) : 0;
        if (position != m_position) {
            m_position = position;
            m_view.SetProgress(position);
        }
    }

private:
    CCMProgressView& m_view;
    const std::wstring& m_pattern;
    const std::wstring& m_name;
    std::wstring m_text;
    int m_position = -1;
};

// The size N of a 416 answer's "bytes */N"; false for any other form.
bool ParseUnsatisfiedRange(const std::wstring& range, uint32_t& size) {
    const std::wstring prefix = L"bytes */";
    if (range.size() <= prefix.size() ||
        _wcsnicmp(range.c_str(), prefix.c_str(), prefix.size()) != 0)
        return false;
    uint64_t value = 0;
    for (size_t i = prefix.size(); i < range.size(); ++i) {
        if (range[i] < L'0' || range[i] > L'9') return false;
        value = value * 10 + static_cast<uint64_t>(range[i] - L'0');
        if (value > UINT32_MAX) return false;
    }
    size = static_cast<uint32_t>(value);
    return true;
}

// One request; true when the partial file now holds the whole package.
bool Fetch(UpdateItem& item, const std::wstring& partial, uint32_t existing, bool partialExists,
           const DownloadTexts& texts, const std::atomic<int>& cancel, CCMProgressView& view) {
    CCMInternetSession session;
    if (!session.IsOpen()) return false;
    std::wstring headers =
        L"Accept: */*\r\nUser-Agent:  Mozilla/4.0 (compatible)\r\nRange: bytes=" +
        std::to_wstring(existing) + L"-\r\n";
    CCMHttpFile reply = session.OpenUrl(item.url,
                                        INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                            INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD,
                                        headers);
    if (!reply.IsOpen()) return false;
    DWORD status = reply.QueryStatusCode();
    if (status == 416 && partialExists) {
        // Nothing lies past the partial file: when the server names the package's size and the
        // file holds exactly that many bytes, an earlier attempt received it all but did not get
        // to the rename.
        uint32_t size = 0;
        if (existing > 0 && ParseUnsatisfiedRange(reply.QueryContentRange(), size) &&
            size == existing) {
            item.size = size;
            return true;
        }
        // The partial file reaches past the end of the package (it changed on the server, or
        // an earlier reply lied about its length): resuming can never succeed, so start over
        // next time.
        reply.Close();
        DeleteFileW(partial.c_str());
        return false;
    }
    // An error page is not package bytes; the partial file stays as it was.
    if (status < 200 || status > 299) return false;
    item.size = reply.QueryContentLength() + existing;

    bool append = partialExists && status == 206;
    // What the partial file belongs to is on disk before its first byte.
    if (!append && !RecordPartialDownload(item)) return false;
    FileHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr,
                                append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    if (append && SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    if (cancel.load()) return false;

    view.SetVersionLabel(texts.versionLabel);
    ProgressShown shown(view, texts.statusPattern, item.name);
    shown.Show(0, item.size);
    uint32_t received = existing;
    uint32_t stored = append ? existing : 0;  // what the partial file holds
    char block[1024];
    for (;;) {
        long got = reply.Read(block, sizeof(block));
        if (got < 0) return false;
        if (got == 0) break;
        if (cancel.load()) return false;
        DWORD written = 0;
        if (!WriteFile(file.get(), block, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            return false;
        received += static_cast<uint32_t>(got);
        stored += static_cast<uint32_t>(got);
        // More than announced can never complete; stop before the bar passes 100.
        if (received > item.size) return false;
        shown.Show(received, item.size);
    }
    // A reply without length and body "completes" a package of 0 bytes, which is never one.
    return received == item.size && stored > 0;
}

}  // namespace

bool RecordPartialDownload(const UpdateItem& item) {
    FileHandle file(CreateFileW(RecordPath(item).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    std::wstring text = RecordText(item);
    DWORD want = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), want, &written, nullptr) && written == want;
}

bool DownloadPackage(UpdateItem& item, const DownloadTexts& texts, const std::atomic<int>& cancel,
                     CCMProgressView& view) {
    // A package left by an earlier run is today's only when the reply's digest says so; the
    // same name may well hold other bytes now.
    if (FileExists(item.localPath)) {
        if (!item.sha256.empty() && MatchesReply(item, item.localPath)) return true;
        SetFileAttributesW(item.localPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(item.localPath.c_str());
    }
    std::wstring partial = item.localPath + L".$$$";
    if (!PartialBelongsTo(item)) DropPartial(item);
    if (item.size == 0) item.size = item.declaredSize;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    bool partialExists = GetFileAttributesExW(partial.c_str(), GetFileExInfoStandard, &data) &&
                         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    uint32_t existing = partialExists ? data.nFileSizeLow : 0;
    bool complete = item.size != 0 && item.size == existing;
    if (!complete) complete = Fetch(item, partial, existing, partialExists, texts, cancel, view);
    if (!complete) return false;
    // Bytes that are not what the reply names are never used, nor resumed from.
    if (!MatchesReply(item, partial)) {
        DropPartial(item);
        return false;
    }
    if (!MoveFileW(partial.c_str(), item.localPath.c_str())) return false;
    DeleteFileW(RecordPath(item).c_str());
    return true;
}
