#pragma once

// Shared pieces of the updater tests: paths from the test environment and a driver that answers
// the updater's message boxes from another thread. Scratch folders and file checks come from
// tests/support.
#include <windows.h>

#include <string>
#include <vector>

namespace testkit {

// A Unix path from the test environment as a Windows path (Z:\...).
std::wstring EnvPath(const char* name);

// What one message box showed and which button answered it.
struct BoxSeen {
    std::wstring text;
    bool hasYes = false, hasNo = false, hasOk = false;
};

// Answers message boxes captioned "Lumaveri升级程序" of one process, in order: answers[i] is
// the button id (IDYES, IDNO, IDOK) for the i-th box. Runs on its own thread until Stop().
class BoxDriver {
public:
    BoxDriver(DWORD processId, std::vector<int> answers);
    ~BoxDriver();
    BoxDriver(const BoxDriver&) = delete;
    BoxDriver& operator=(const BoxDriver&) = delete;
    void Stop();
    std::vector<BoxSeen> Seen();
    // When set, the process's progress dialog is saved there (BMP) before each answer.
    void SetScreenshotPath(const std::wstring& path);

private:
    static DWORD WINAPI Thread(void* self);
    void Run();
    DWORD m_processId;
    std::vector<int> m_answers;
    std::wstring m_screenshot;
    std::vector<BoxSeen> m_seen;
    CRITICAL_SECTION m_lock;
    volatile LONG m_stop = 0;
    HANDLE m_thread = nullptr;
};

// Saves the window's picture as a 24-bit BMP file; false on failure.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

// Every entry below folder with its bytes, attributes and creation and write times (the folder's
// own times included), as one comparable text.
std::string Snapshot(const std::wstring& folder);

// The program-folder copy of a built binary from the build tree (tests/, dist/, tools/).
std::wstring BuiltFile(const std::wstring& relative);

}  // namespace testkit
