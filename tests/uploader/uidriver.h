#pragma once

// Drives the upload tool's real windows as a user does: mouse, keyboard and the file dialog,
// with a message loop that notices when a window ends the program (WM_QUIT).

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class CFeltrineWindow;
class CControlUI;

class CUiDriver {
public:
    // Runs the message loop until done() holds or `ms` have passed; done()'s last result.
    bool PumpUntil(const std::function<bool()>& done, DWORD ms = 8000);
    // Runs the message loop for a short while so that input and paints settle.
    void Settle(DWORD ms = 150);

    void MoveMouse(POINT screen);
    void MouseButton(bool down);
    void Click(POINT screen);
    void DoubleClick(POINT screen);
    void TypeText(const std::wstring& text);
    void PressKey(WORD vk);

    // Whether a WM_QUIT came through the loop since the last Forget().
    bool QuitPosted() const { return m_quit; }
    void Forget() { m_quit = false; }

private:
    bool m_quit = false;
};

// The skinned window object behind a window of this process, or null.
CFeltrineWindow* WindowObject(HWND hWnd);
// The first visible top-level window of that class belonging to process `pid` (0: this one).
HWND FindAppWindow(const wchar_t* className, DWORD pid = 0);
// Centre of a control in screen coordinates; (-1, -1) when the window has no such control.
POINT ControlCenter(CFeltrineWindow* window, const wchar_t* name);
std::wstring ControlText(CFeltrineWindow* window, const wchar_t* name);
// Whether the control is enabled; a missing control fails the test.
bool ControlEnabled(CFeltrineWindow* window, const wchar_t* name);
// The colour on the screen at that point, as 0xRRGGBB.
DWORD ScreenPixel(POINT screen);

// Answers the open-file dialog that a window of this process opens, from its own thread:
// puts `path` into the name box and confirms, or cancels when `path` is empty. Stops looking
// when destroyed.
class CDialogAnswer {
public:
    explicit CDialogAnswer(std::wstring path);
    ~CDialogAnswer();
    CDialogAnswer(const CDialogAnswer&) = delete;
    CDialogAnswer& operator=(const CDialogAnswer&) = delete;

    // Whether a dialog appeared and was answered.
    bool Answered() const { return m_answered.load(); }

private:
    void Run();

    std::wstring m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answered{false};
    std::thread m_thread;
};
