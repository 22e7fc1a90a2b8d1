#pragma once

#include <windows.h>

class CCMDialog;

// The application object: start-up runs in InitInstance; when it returns false the process
// ends without a message loop of its own.
class CCMWinApp {
public:
    explicit CCMWinApp(HINSTANCE instance) : m_hInstance(instance) {}
    CCMWinApp(const CCMWinApp&) = delete;
    CCMWinApp& operator=(const CCMWinApp&) = delete;
    virtual ~CCMWinApp() = default;

    // Runs start-up; the process exit code.
    int Run() {
        InitInstance();
        return 0;
    }

protected:
    virtual bool InitInstance() = 0;

    HINSTANCE m_hInstance;
    CCMDialog* m_pMainWnd = nullptr;
};
