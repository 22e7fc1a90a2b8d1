#include "common/util/ntdebug.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

CNTDebug* g_pDebug = nullptr;

}  // namespace

CNTDebug* NTGetDebug() { return g_pDebug; }

std::wstring NTFormatDebugLine(const SYSTEMTIME& t, const wchar_t* text) {
    wchar_t stamp[40];
    ::_snwprintf(stamp, 40, L"[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", t.wYear, t.wMonth, t.wDay,
                 t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    stamp[39] = L'\0';
    std::wstring line = stamp;
    if (text) line += text;
    line += L'\n';
    return line;
}

CNTDebug::CNTDebug(const wchar_t* logPath)
    : m_strFile(logPath ? logPath : L""),
      m_pMutex(std::make_shared<CNTMutex>()),
      m_bDebug(!m_strFile.empty()) {
    g_pDebug = this;
}

CNTDebug::CNTDebug(const CNTDebug& other) = default;

CNTDebug& CNTDebug::operator=(const CNTDebug& other) = default;

CNTDebug::~CNTDebug() {
    if (g_pDebug == this) g_pDebug = nullptr;
}

void CNTDebug::SetDebugFile(const wchar_t* logPath) { m_strFile = logPath ? logPath : L""; }

void CNTDebug::OutputString(const wchar_t* text) {
    if (!m_bDebug) return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring line = NTFormatDebugLine(now, text);
    m_pMutex->Lock();
    HANDLE hFile = ::CreateFileW(m_strFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::SetFilePointer(hFile, 0, nullptr, FILE_END);
        ::WriteFile(hFile, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                    nullptr);
        ::CloseHandle(hFile);
    }
    m_pMutex->Unlock();
}

void CNTDebug::Output(CNTDebug* writer, const wchar_t* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    va_list count;
    va_copy(count, args);
    int len = ::_vscwprintf(format, count);
    va_end(count);
    std::vector<wchar_t> text(len > 0 ? len + 1 : 1, L'\0');
    if (len > 0) ::_vsnwprintf(text.data(), len, format, args);
    va_end(args);
    if (writer && writer->IsDebug())
        writer->OutputString(text.data());
    else
        ::OutputDebugStringW(text.data());
}
