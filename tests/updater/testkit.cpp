#include "updater/testkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/util/ntstringconvert.h"
#include "support/filebytes.h"
#include "support/windowsearch.h"

namespace testkit {

std::wstring EnvPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::wstring();
    std::wstring path = L"Z:" + CNTStringConvert::UTF8ToUnicode(value);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring BuiltFile(const std::wstring& relative) {
    return EnvPath("NT_BINARY_DIR") + L"\\" + relative;
}

BoxDriver::BoxDriver(DWORD processId, std::vector<int> answers)
    : m_processId(processId), m_answers(std::move(answers)) {
    InitializeCriticalSection(&m_lock);
    m_thread = CreateThread(nullptr, 0, Thread, this, 0, nullptr);
}

BoxDriver::~BoxDriver() {
    Stop();
    DeleteCriticalSection(&m_lock);
}

void BoxDriver::Stop() {
    InterlockedExchange(&m_stop, 1);
    if (m_thread) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
}

void BoxDriver::SetScreenshotPath(const std::wstring& path) {
    EnterCriticalSection(&m_lock);
    m_screenshot = path;
    LeaveCriticalSection(&m_lock);
}

std::vector<BoxSeen> BoxDriver::Seen() {
    EnterCriticalSection(&m_lock);
    std::vector<BoxSeen> copy = m_seen;
    LeaveCriticalSection(&m_lock);
    return copy;
}

DWORD WINAPI BoxDriver::Thread(void* self) {
    static_cast<BoxDriver*>(self)->Run();
    return 0;
}

namespace {

// How long a box or the dialog may take to settle before the driver goes on regardless.
constexpr DWORD kSetUpLimitMs = 5000;

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != search->processId || !IsWindowVisible(wnd)) return TRUE;
    wchar_t cls[64] = {}, title[128] = {};
    GetClassNameW(wnd, cls, 64);
    GetWindowTextW(wnd, title, 128);
    if (wcscmp(cls, L"#32770") == 0 && wcscmp(title, L"Lumaveri升级程序") == 0) {
        search->found = wnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring BoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    wchar_t buf[1024] = {};
    if (text) GetWindowTextW(text, buf, 1024);
    return buf;
}

}  // namespace

void BoxDriver::Run() {
    size_t next = 0;
    HWND last = nullptr;
    while (!m_stop) {
        BoxSearch search{m_processId, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && search.found != last) {
            // The box has laid out its text once its thread is back in its loop.
            WindowThreadCaughtUp(search.found, kSetUpLimitMs);
            BoxSeen seen;
            seen.text = BoxText(search.found);
            seen.hasYes = GetDlgItem(search.found, IDYES) != nullptr;
            seen.hasNo = GetDlgItem(search.found, IDNO) != nullptr;
            seen.hasOk = GetDlgItem(search.found, IDOK) != nullptr;
            EnterCriticalSection(&m_lock);
            m_seen.push_back(seen);
            std::wstring shot = m_screenshot;
            LeaveCriticalSection(&m_lock);
            if (!shot.empty()) {
                HWND dialog = FindWindowW(nullptr, L"Lumaveri在线升级程序");
                if (dialog) {
                    // Move the box off the dialog so the picture shows the dialog alone.
                    RECT box{};
                    GetWindowRect(search.found, &box);
                    SetWindowPos(search.found, nullptr,
                                 GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left),
                                 GetSystemMetrics(SM_CYSCREEN) - (box.bottom - box.top), 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                    // What the box uncovered is painted again before the picture is taken.
                    WindowThreadCaughtUp(dialog, kSetUpLimitMs);
                    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                    SaveWindowBitmap(dialog, shot);
                }
            }
            int answer = next < m_answers.size() ? m_answers[next] : (seen.hasNo ? IDNO : IDOK);
            ++next;
            last = search.found;
            PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.found, answer)));
        } else if (!search.found) {
            last = nullptr;
        }
        Sleep(50);
    }
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rc{};
    if (!GetWindowRect(window, &rc)) return false;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    SelectObject(mem, old);
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(h);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), stride * static_cast<DWORD>(h));
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return WriteFileBytes(path, bytes);
}

}  // namespace testkit

namespace testkit {

namespace {

void AddEntry(const std::wstring& path, const std::wstring& name, std::string& out) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    char line[128];
    snprintf(line, sizeof(line), " attrs=%lx created=%lx:%lx written=%lx:%lx size=%lu\n",
             static_cast<unsigned long>(data.dwFileAttributes),
             static_cast<unsigned long>(data.ftCreationTime.dwHighDateTime),
             static_cast<unsigned long>(data.ftCreationTime.dwLowDateTime),
             static_cast<unsigned long>(data.ftLastWriteTime.dwHighDateTime),
             static_cast<unsigned long>(data.ftLastWriteTime.dwLowDateTime),
             static_cast<unsigned long>(data.nFileSizeLow));
    for (wchar_t c : name) out += c < 0x80 ? static_cast<char>(c) : '?';
    out += line;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return;
        std::vector<std::wstring> names;
        do {
            std::wstring child = found.cFileName;
            if (child != L"." && child != L"..") names.push_back(child);
        } while (FindNextFileW(find, &found));
        FindClose(find);
        std::sort(names.begin(), names.end());
        for (const auto& child : names) AddEntry(path + L"\\" + child, name + L"\\" + child, out);
        return;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string bytes(data.nFileSizeLow, '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    out += bytes.substr(0, got) + "\n";
}

}  // namespace

std::string Snapshot(const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    std::string out;
    AddEntry(path, L".", out);
    return out;
}

}  // namespace testkit
