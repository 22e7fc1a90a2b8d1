#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "capture/ccmcapturescreenwnd.h"
#include "capture/window/skinprobe.h"
#include "support/dialoganswer.h"
#include "support/messagepump.h"
#include "support/pumpuntil.h"
#include "support/realinput.h"
#include "support/screenbitmap.h"

// A top-level window showing a known pattern, so the frozen screen has pixels to check.
class PatternWindow {
public:
    // Shows the pattern window at that screen rectangle, on top.
    explicit PatternWindow(const RECT& rc, const wchar_t* className = L"CaptureTestPattern");
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    // The pattern's colour (0xRRGGBB) at a client point.
    static DWORD ColorAt(int x, int y);

private:
    HWND m_hWnd = nullptr;
};

// A window of the client's kind: counts the capture notifications and records whether the
// clipboard was already closed when each arrived.
class NotifyWindow {
public:
    static constexpr UINT kMessage = WM_APP + 5;
    NotifyWindow();
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    int count = 0;
    int clipboardClosed = 0;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd = nullptr;
};

// The running capture (null when none) and helpers on it.
CCMCaptureScreenWnd* Capture();
// Starts a capture for notify; the export's result.
int StartCapture(HWND notify);
// Closes a capture that is still open and lets the closing settle.
void EndCapture();
// The skin folder of the build (dist\skin, with glimter.zip), Windows form with a backslash.
std::wstring DistSkinDir();
// The build's binary folder in Windows form with a trailing backslash.
std::wstring BinaryDir();

// A bitmap's pixel as 0xRRGGBB (top-down coordinates); 0xFFFFFFFF outside.
DWORD BitmapPixel(HBITMAP bitmap, int x, int y);

#include <gtest/gtest.h>

#include <memory>

// Every capture test: the module started once with the build's skin, a pattern window on the
// screen, a client window for the notifications and clean stored settings.
class CaptureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts a capture and drags a selection from one corner to the other (screen points);
    // false when the capture did not reach MODE_SELECTED with exactly that rectangle.
    bool SelectArea(const RECT& rc);
    // The composed selection (with every annotation), as top-down 0xRRGGBB rows.
    std::vector<DWORD> ComposedSelection();
    // The pattern's colour at a screen point.
    static DWORD PatternAtScreen(POINT pt);

    static constexpr RECT kPattern = {200, 150, 600, 450};
    std::unique_ptr<PatternWindow> pattern;
    NotifyWindow client;
};
