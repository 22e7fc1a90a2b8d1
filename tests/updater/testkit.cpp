#include "updater/testkit.h"

#include <shellapi.h>
#include <wininet.h>

#include <json/json.h>

#include <cstdlib>
#include <memory>

namespace testkit {

namespace {

std::string Base64Decode(const std::string& in) {
    static const std::string chars =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int value = 0, bits = -8;
    for (char c : in) {
        size_t at = chars.find(c);
        if (at == std::string::npos) continue;
        value = (value << 6) + static_cast<int>(at);
        bits += 6;
        if (bits >= 0) {
            out += static_cast<char>((value >> bits) & 0xFF);
            bits -= 8;
        }
    }
    return out;
}

struct NetCloser {
    void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using Net = std::unique_ptr<void, NetCloser>;

}  // namespace

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    std::vector<char> buf(1 << 16);
    DWORD got = 0;
    while (ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0)
        out.append(buf.data(), got);
    CloseHandle(h);
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return WriteFileBytes(path, bytes);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring EnvPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::wstring();
    std::wstring path = L"Z:" + FromUtf8(value);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring BuiltFile(const std::wstring& relative) {
    return EnvPath("NT_BINARY_DIR") + L"\\" + relative;
}

ScratchFolder::ScratchFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    m_path = std::wstring(temp) + L"upd_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
             L"_" + std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
    CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    std::wstring from = m_path.substr(0, m_path.size() - 1) + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

SimLane::SimLane(const std::string& lane) : m_lane(lane) {
    std::string port = ReadFileBytes(EnvPath("NTSIM_PORT_FILE"));
    m_port = std::atoi(port.c_str());
    Reset();
}

std::wstring SimLane::Base() const {
    return L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/_lane/" + FromUtf8(m_lane);
}

bool SimLane::Call(const char* verb, const std::string& path, const std::string& body,
                   std::string* reply, DWORD* status) {
    Net session(InternetOpenW(L"testkit", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return false;
    Net connection(InternetConnectW(session.get(), L"127.0.0.1", static_cast<INTERNET_PORT>(m_port),
                                    nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return false;
    std::wstring object = L"/_lane/" + FromUtf8(m_lane) + FromUtf8(path);
    std::wstring wverb = FromUtf8(verb);
    Net request(HttpOpenRequestW(connection.get(), wverb.c_str(), object.c_str(), nullptr, nullptr,
                                 nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return false;
    const wchar_t* headers = L"Content-Type: application/json\r\n";
    if (!HttpSendRequestW(request.get(), headers, static_cast<DWORD>(-1),
                          const_cast<char*>(body.data()), static_cast<DWORD>(body.size())))
        return false;
    DWORD code = 0, size = sizeof(code);
    HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                   nullptr);
    if (status) *status = code;
    std::string out;
    char buf[8192];
    DWORD got = 0;
    while (InternetReadFile(request.get(), buf, sizeof(buf), &got) && got > 0) out.append(buf, got);
    if (reply) *reply = out;
    return true;
}

bool SimLane::Reset() { return Call("POST", "/_sim/reset", "{}", nullptr); }

bool SimLane::Fault(const std::string& json) {
    DWORD status = 0;
    return Call("POST", "/_sim/fault", json, nullptr, &status) && status == 200;
}

bool SimLane::Fixture(const std::string& json) {
    DWORD status = 0;
    return Call("POST", "/_sim/fixture", json, nullptr, &status) && status == 200;
}

std::vector<SimLane::Request> SimLane::Requests() {
    std::vector<Request> out;
    std::string body;
    if (!Call("GET", "/_sim/requests", "", &body)) return out;
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(body.data(), body.data() + body.size(), &root, &errors)) return out;
    for (const Json::Value& r : root["requests"]) {
        Request req;
        req.method = r["method"].asString();
        req.path = r["path"].asString();
        for (const std::string& name : r["headers"].getMemberNames()) {
            if (_stricmp(name.c_str(), "Range") == 0) req.range = r["headers"][name].asString();
            if (_stricmp(name.c_str(), "Content-Type") == 0)
                req.contentType = r["headers"][name].asString();
        }
        req.body = Base64Decode(r["body_b64"].asString());
        out.push_back(req);
    }
    return out;
}

std::string SimLane::Package(const std::string& name) {
    std::string body;
    Call("GET", "/update/pkg/" + name, "", &body);
    return body;
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
            Sleep(100);  // let the box finish laying out its text
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
                    Sleep(300);
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
