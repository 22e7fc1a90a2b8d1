#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/window/ntmemdc.h"
#include "common/window/ntwindow.h"

namespace {

// Every event of a window's life, in order, so that tests can check sequencing.
std::vector<std::wstring> g_events;

class TestWindow : public CNTWindow {
public:
    int finalCalls = 0;
    HWND finalHandle = nullptr;
    bool handleNullAtFinal = false;

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTWindowTest"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCDESTROY) g_events.push_back(L"handle:ncdestroy");
        return CNTWindow::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND hWnd) override {
        ++finalCalls;
        finalHandle = hWnd;
        handleNullAtFinal = GetHWND() == nullptr;
        g_events.push_back(L"final");
    }
};

class EditWindow : public TestWindow {
protected:
    const wchar_t* GetWindowClassName() const override { return L"NTEditTest"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
};

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) g_events.push_back(L"previous:ncdestroy");
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND CreatePlain(HWND owner, int x, int y, int w, int h) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NTRecordingTest";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, L"NTRecordingTest", L"plain", WS_OVERLAPPEDWINDOW, x, y, w, h,
                             owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CNTWindow::InitInstance(::GetModuleHandleW(nullptr));
        g_events.clear();
    }
};

TEST_F(WindowTest, CreatedWindowGetsItsFinalMessageOnce) {
    TestWindow wnd;
    HWND hWnd = wnd.Create(nullptr, L"test", WS_OVERLAPPEDWINDOW, 0, 10, 10, 200, 100);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(wnd.GetHWND(), hWnd);
    EXPECT_EQ(static_cast<HWND>(wnd), hWnd);
    ASSERT_TRUE(::DestroyWindow(hWnd));
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(wnd.finalHandle, hWnd);
    EXPECT_TRUE(wnd.handleNullAtFinal);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
    // The object no longer answers for the window: calls on it do nothing.
    wnd.ShowWindow();
    wnd.Close(3);
    wnd.Unsubclass();
    Pump();
    EXPECT_EQ(wnd.finalCalls, 1);
}

TEST_F(WindowTest, SubclassedWindowFinalMessageComesAfterThePreviousProcedure) {
    HWND hWnd = CreatePlain(nullptr, 0, 0, 100, 100);
    ASSERT_NE(hWnd, nullptr);
    TestWindow wnd;
    EXPECT_EQ(wnd.Subclass(hWnd), hWnd);
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wnd));
    ::DestroyWindow(hWnd);
    EXPECT_EQ(g_events, (std::vector<std::wstring>{L"previous:ncdestroy", L"final"}));
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(wnd.GetHWND(), nullptr);
}

TEST_F(WindowTest, UnsubclassRestoresTheOldProcedure) {
    HWND hWnd = CreatePlain(nullptr, 0, 0, 100, 100);
    TestWindow wnd;
    ASSERT_EQ(wnd.Subclass(hWnd), hWnd);
    wnd.Unsubclass();
    EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
    ::DestroyWindow(hWnd);
    EXPECT_EQ(wnd.finalCalls, 0);
    EXPECT_EQ(wnd.Subclass(nullptr), nullptr);
}

TEST_F(WindowTest, SuperclassedControlKeepsItsBehaviourAndProperty) {
    EditWindow edit;
    HWND hWnd = edit.Create(nullptr, L"typed text", WS_POPUP, 0, 0, 0, 120, 30);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(::GetPropW(hWnd, L"WndX"), static_cast<HANDLE>(static_cast<CNTWindow*>(&edit)));
    wchar_t text[32] = {};
    ::GetWindowTextW(hWnd, text, 32);
    EXPECT_EQ(std::wstring(text), L"typed text");
    edit.SendMessage(EM_SETSEL, 0, 5);
    DWORD start = 0, end = 0;
    edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end, 5u);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(edit.finalCalls, 1);
    EXPECT_EQ(g_events, (std::vector<std::wstring>{L"final"}));
}

TEST_F(WindowTest, ShowModalReturnsTheCloseCodeAndReenablesTheOwner) {
    HWND owner = CreatePlain(nullptr, 0, 0, 300, 300);
    TestWindow dialog;
    ASSERT_NE(dialog.Create(owner, L"modal", WS_POPUP | WS_CAPTION, 0, 10, 10, 100, 100), nullptr);
    dialog.Close(42);
    EXPECT_EQ(dialog.ShowModal(), 42u);
    EXPECT_EQ(dialog.GetHWND(), nullptr);
    EXPECT_EQ(dialog.finalCalls, 1);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
}

TEST_F(WindowTest, QuitDuringShowModalReachesTheOuterLoop) {
    HWND owner = CreatePlain(nullptr, 0, 0, 300, 300);
    TestWindow dialog;
    ASSERT_NE(dialog.Create(owner, L"modal", WS_POPUP | WS_CAPTION, 0, 10, 10, 100, 100), nullptr);
    ::PostQuitMessage(7);
    EXPECT_EQ(dialog.ShowModal(), 0u);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    ASSERT_TRUE(::IsWindow(dialog.GetHWND()));
    ::DestroyWindow(dialog.GetHWND());
    ::DestroyWindow(owner);
    Pump();
}

RECT WorkArea(HWND hWnd) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

TEST_F(WindowTest, CenterWindowOnOwnerAtTheLeftEdgeStaysInsideTheWorkArea) {
    RECT work = WorkArea(nullptr);
    HWND owner = CreatePlain(nullptr, work.left, work.top + 200, 100, 300);
    TestWindow wnd;
    ASSERT_NE(wnd.Create(owner, L"c", WS_POPUP, 0, 500, 500, 400, 200), nullptr);
    wnd.CenterWindow();
    RECT rc;
    ::GetWindowRect(wnd, &rc);
    EXPECT_EQ(rc.left, work.left);
    EXPECT_EQ(rc.top, work.top + 200 + 150 - 100);
    EXPECT_EQ(rc.right - rc.left, 400);
    ::DestroyWindow(wnd);
    ::DestroyWindow(owner);
}

TEST_F(WindowTest, CenterWindowWithoutOwnerUsesTheWorkArea) {
    TestWindow wnd;
    ASSERT_NE(wnd.Create(nullptr, L"c", WS_POPUP, 0, 0, 0, 301, 201), nullptr);
    wnd.CenterWindow();
    RECT work = WorkArea(wnd), rc;
    ::GetWindowRect(wnd, &rc);
    EXPECT_EQ(rc.left, (work.left + work.right) / 2 - 301 / 2);
    EXPECT_EQ(rc.top, (work.top + work.bottom) / 2 - 201 / 2);
    ::DestroyWindow(wnd);
}

TEST_F(WindowTest, CenterWindowClampsAtTheBottomRight) {
    RECT work = WorkArea(nullptr);
    HWND owner = CreatePlain(nullptr, work.right - 50, work.bottom - 40, 100, 80);
    TestWindow wnd;
    ASSERT_NE(wnd.Create(owner, L"c", WS_POPUP, 0, 0, 0, 300, 200), nullptr);
    wnd.CenterWindow();
    RECT rc;
    ::GetWindowRect(wnd, &rc);
    EXPECT_EQ(rc.right, work.right);
    EXPECT_EQ(rc.bottom, work.bottom);
    ::DestroyWindow(wnd);
    ::DestroyWindow(owner);
}

TEST_F(WindowTest, ResizeClientKeepsTheOtherDimension) {
    TestWindow wnd;
    ASSERT_NE(wnd.Create(nullptr, L"r", WS_OVERLAPPEDWINDOW, 0, 50, 60, 400, 300), nullptr);
    RECT before, after, pos;
    ::GetClientRect(wnd, &before);
    wnd.ResizeClient(-1, 300);
    ::GetClientRect(wnd, &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, 300);
    wnd.ResizeClient(250, -1);
    ::GetClientRect(wnd, &after);
    EXPECT_EQ(after.right, 250);
    EXPECT_EQ(after.bottom, 300);
    ::GetWindowRect(wnd, &pos);
    EXPECT_EQ(pos.left, 50);
    EXPECT_EQ(pos.top, 60);
    ::DestroyWindow(wnd);
}

// A 50x40 memory target whose pixels the surface is drawn onto.
class MemTarget {
public:
    MemTarget() : m_dc(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = 50;
        bi.bmiHeader.biHeight = -40;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, 50, 40};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ~MemTarget() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    MemTarget(const MemTarget&) = delete;
    MemTarget& operator=(const MemTarget&) = delete;
    HDC dc() const { return m_dc; }
    COLORREF at(int x, int y) const { return ::GetPixel(m_dc, x, y); }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

TEST(MemDCTest, EmptyRectangleCoversTheClipBox) {
    MemTarget target;
    {
        CNTMemDC mem(target.dc(), RECT{0, 0, 0, 0}, RGB(1, 2, 3));
        ASSERT_TRUE(mem.IsValid());
        EXPECT_EQ(mem.GetRect().right, 50);
        EXPECT_EQ(mem.GetRect().bottom, 40);
        EXPECT_EQ(target.at(0, 0), RGB(0, 0, 0));
    }
    EXPECT_EQ(target.at(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(target.at(49, 39), RGB(1, 2, 3));
}

TEST(MemDCTest, DrawsRelativeToTheRectangleAndCopiesOnlyIt) {
    MemTarget target;
    {
        CNTMemDC mem(target.dc(), RECT{10, 20, 30, 30}, RGB(200, 100, 50));
        ::SetPixel(mem, 0, 0, RGB(9, 9, 9));
        ::SetPixel(mem, 19, 9, RGB(8, 8, 8));
    }
    EXPECT_EQ(target.at(10, 20), RGB(9, 9, 9));
    EXPECT_EQ(target.at(29, 29), RGB(8, 8, 8));
    EXPECT_EQ(target.at(11, 20), RGB(200, 100, 50));
    EXPECT_EQ(target.at(9, 20), RGB(0, 0, 0));
    EXPECT_EQ(target.at(30, 29), RGB(0, 0, 0));
    EXPECT_EQ(target.at(10, 30), RGB(0, 0, 0));
}

}  // namespace
