#include "updater/download.h"

#include <windows.h>

#include <cstdint>
#include <memory>

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

bool DownloadPackage(UpdateItem& item, const DownloadTexts& texts, const std::atomic<int>& cancel,
                     CCMProgressView& view) {
    if (FileExists(item.localPath)) return true;
    std::wstring partial = item.localPath + L".$$$";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    bool partialExists = GetFileAttributesExW(partial.c_str(), GetFileExInfoStandard, &data) &&
                         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    uint32_t existing = partialExists ? data.nFileSizeLow : 0;
    bool complete = item.size != 0 && item.size == existing;
    if (!complete) complete = Fetch(item, partial, existing, partialExists, texts, cancel, view);
    if (!complete) return false;
    DeleteFileW(item.localPath.c_str());
    return MoveFileW(partial.c_str(), item.localPath.c_str()) != 0;
}
