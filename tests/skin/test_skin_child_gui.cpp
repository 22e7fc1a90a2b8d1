// Skinned windows living with other windows, under real input: toolbars created as children of
// a plain Win32 window (their size, dragging by the background, a second bar following), closes
// queued for a window and its child, and pop-up menus owned by the window they open for.
#include <gtest/gtest.h>

#include <memory>

#include "skin/skintestwindow.h"
#include "support/messagepump.h"
#include "support/pumpuntil.h"
#include "support/realinput.h"

namespace {

// A plain Win32 top-level window with no framework in it, at (50, 50), 600 x 400.
class PlainParent {
public:
    PlainParent() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = L"NTSkinPlainParent";
        ::RegisterClassExW(&wc);
        m_hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"parent",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 50, 50, 600, 400,
                                   nullptr, nullptr, wc.hInstance, nullptr);
        ::SetForegroundWindow(m_hWnd);
    }
    ~PlainParent() {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    }
    PlainParent(const PlainParent&) = delete;
    PlainParent& operator=(const PlainParent&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hWnd) {
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class SkinChildTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkinFolder(); }

    // A skinned bar created the way the capture toolbars are: a hidden-size child, shown.
    std::unique_ptr<SkinTestWindow> Bar(const wchar_t* skin, int x, int y) {
        auto bar = std::make_unique<SkinTestWindow>(skin);
        bar->Create(parent.Get(), L"", WS_CHILD | WS_VISIBLE, 0, x, y, 1, 1);
        return bar;
    }

    PlainParent parent;
};

TEST_F(SkinChildTest, ChildBarTakesItsSkinSizeBeforeCreateReturns) {
    auto toolbar = Bar(L"toolbar.xml", 10, 20);
    ASSERT_NE(toolbar->GetHWND(), nullptr);
    RECT rc = RectInParent(toolbar->GetHWND());
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 20);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(rc.bottom - rc.top, 40);
    // Laid out over the skin's width: the last button sits at the right end.
    EXPECT_EQ(toolbar->Find(L"done_btn")->GetPos().right, 196);
    Settle();
    EXPECT_EQ(ScreenPixel(toolbar->ScreenCenter(L"done_btn")), 0x00AA00u);
}

TEST_F(SkinChildTest, BarDraggedByItsBackgroundCarriesTheOtherBar) {
    auto toolbar = Bar(L"toolbar.xml", 10, 20);
    auto options = Bar(L"optionbar.xml", 10, 62);
    ASSERT_TRUE(toolbar->GetHWND() && options->GetHWND());
    HWND optionWnd = options->GetHWND();
    toolbar->onMove = [&] {
        RECT rc = RectInParent(toolbar->GetHWND());
        ::SetWindowPos(optionWnd, nullptr, rc.left, rc.bottom + 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    Settle();
    // The spacer between the buttons is background; a button is not.
    POINT background{50 + 10 + 100, 50 + 20 + 20};
    EXPECT_EQ(
        ::SendMessageW(toolbar->GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(background.x, background.y)),
        HTCAPTION);
    POINT undo = toolbar->ScreenCenter(L"undo_btn");
    EXPECT_EQ(::SendMessageW(toolbar->GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(undo.x, undo.y)),
              HTCLIENT);

    DragThroughMoveLoop(background, POINT{background.x + 80, background.y + 120});
    RECT bar = RectInParent(toolbar->GetHWND());
    EXPECT_EQ(bar.left, 90);
    EXPECT_EQ(bar.top, 140);
    RECT opt = RectInParent(optionWnd);
    EXPECT_EQ(opt.left, 90);
    EXPECT_EQ(opt.top, 182);
    // Its buttons still click where they now are.
    Click(toolbar->ScreenCenter(L"undo_btn"));
    EXPECT_EQ(toolbar->log.Count(L"click:undo_btn"), 1);
    EXPECT_EQ(RectInParent(toolbar->GetHWND()).left, 90);
}

TEST_F(SkinChildTest, QueuedClosesOfAWindowAreOneAndItsChildKeepsItsOwn) {
    SkinTestWindow frame(L"window.xml");
    ASSERT_NE(frame.Create(nullptr, L"frame", WS_POPUP | WS_VISIBLE, 0, 100, 100, 0, 0), nullptr);
    SkinTestWindow bar(L"toolbar.xml");
    ASSERT_NE(bar.Create(frame.GetHWND(), L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 1, 1), nullptr);
    frame.keepOpenOnClose = bar.keepOpenOnClose = true;
    frame.PostMessage(WM_CLOSE);
    bar.PostMessage(WM_CLOSE);
    frame.PostMessage(WM_CLOSE);
    Settle();
    EXPECT_EQ(frame.closeRequests, 1);
    EXPECT_EQ(bar.closeRequests, 1);
}

// A menu that counts its end, to prove it deleted itself.
class CountedMenu : public CMenuWnd {
public:
    explicit CountedMenu(int* destroyed) : m_destroyed(destroyed) {}
    ~CountedMenu() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

TEST_F(SkinChildTest, MenuWithoutOwnerReportsToItsWindowAndClosesWithIt) {
    SkinTestWindow owner(L"window.xml");
    ASSERT_NE(owner.Create(nullptr, L"owner", WS_POPUP | WS_VISIBLE, 0, 100, 100, 0, 0), nullptr);
    ::SetForegroundWindow(owner.GetHWND());
    Settle();
    int destroyed = 0;
    ASSERT_TRUE(
        (new CountedMenu(&destroyed))
            ->Init(nullptr, SkinTestWindow::kMenuMessage, L"menu.xml", L"xml", POINT{300, 200}));
    HWND menu = ::FindWindowW(L"NTSkinMenu", nullptr);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(::GetWindow(menu, GW_OWNER), owner.GetHWND());
    ASSERT_EQ(owner.menuEvents.size(), 1u);
    EXPECT_EQ(owner.menuEvents[0], L"windowinit:");
    Click(POINT{320, 200 + 2 + 15});
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(menu); }));
    ASSERT_EQ(owner.menuEvents.size(), 2u);
    EXPECT_EQ(owner.menuEvents[1], L"itemclick:first_item");
    EXPECT_EQ(destroyed, 1);

    // The window closes while its menu is open: the menu goes with it.
    ASSERT_TRUE(
        (new CountedMenu(&destroyed))
            ->Init(nullptr, SkinTestWindow::kMenuMessage, L"menu.xml", L"xml", POINT{300, 200}));
    menu = ::FindWindowW(L"NTSkinMenu", nullptr);
    ASSERT_NE(menu, nullptr);
    owner.PostMessage(WM_CLOSE);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(owner.GetHWND()); }));
    EXPECT_FALSE(::IsWindow(menu));
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(owner.menuEvents.size(), 3u);
}

}  // namespace
