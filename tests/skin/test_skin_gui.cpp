// Real skinned windows under real mouse and keyboard input: building from a folder and from an
// archive, failures and who owns the object then, notifications, hover and pressed looks,
// edits and the keys around them, focus across activation, option groups, slider, combo box,
// pop-up menu, group visibility, the window buttons and the caption.
#include <gtest/gtest.h>

#include <memory>

#include "skin/skintestwindow.h"
#include "support/messagepump.h"
#include "support/pumpuntil.h"
#include "support/realinput.h"

namespace {

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkinFolder(); }

    void TearDown() override {
        if (window && ::IsWindow(window->GetHWND())) ::DestroyWindow(window->GetHWND());
        CPaintManagerUI::SetResourceZip(L"");
    }

    // Creates the window at (100, 100), in front and with the keyboard focus.
    HWND Open(const wchar_t* skin = L"window.xml", DWORD style = WS_POPUP) {
        window = std::make_unique<SkinTestWindow>(skin);
        HWND hWnd = window->Create(nullptr, L"skin test", style, 0, 0, 0, 0, 0);
        if (!hWnd) return nullptr;
        ::SetWindowPos(hWnd, HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
        window->ShowWindow(true, true);
        ::SetForegroundWindow(hWnd);
        ::UpdateWindow(hWnd);
        Settle();
        return hWnd;
    }

    std::unique_ptr<SkinTestWindow> window;
};

TEST_F(SkinWindowTest, BuildsFromFolderAndSendsWindowInitOnce) {
    HWND hWnd = Open();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_FALSE(window->log.events.empty());
    EXPECT_EQ(window->log.events[0], L"windowinit:");
    EXPECT_EQ(window->log.Count(L"windowinit:"), 1);
    RECT client;
    ::GetClientRect(hWnd, &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    CControlUI* ok = window->Find(L"ok_btn");
    ASSERT_NE(ok, nullptr);
    RECT rc = ok->GetPos();
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 35);
    EXPECT_EQ(rc.right, 90);
    EXPECT_EQ(rc.bottom, 65);
    EXPECT_EQ(window->Find(L"inside_mystery"), nullptr);
    EXPECT_EQ(window->Find(L"no_such_control"), nullptr);
    // An image that is not there leaves the background as it is.
    ASSERT_NE(window->Find(L"ghost"), nullptr);
    EXPECT_EQ(ScreenPixel(window->ScreenCenter(L"ghost")), 0xFFFFFFu);
    // The frameless window shows the skin from its very edge.
    EXPECT_EQ(ScreenPixel(POINT{101, 101}), 0x202020u);
}

TEST_F(SkinWindowTest, BuildsFromArchiveWithItsImages) {
    CPaintManagerUI::SetResourcePath((SkinDataDir() + L"zip").c_str());
    CPaintManagerUI::SetResourceZip(L"skins.zip");
    ASSERT_NE(Open(), nullptr);
    // Swatch 10 of the colour strip, read from the archive.
    EXPECT_EQ(ScreenPixel(window->ScreenCenter(L"swatch")), 0xFB3838u);
}

TEST_F(SkinWindowTest, MissingOrBrokenSkinsFailCreation) {
    EXPECT_EQ(Open(L"nothere.xml"), nullptr);
    EXPECT_EQ(window->finalMessages, 1);
    EXPECT_EQ(Open(L"broken.xml"), nullptr);
    EXPECT_EQ(window->finalMessages, 1);
    CPaintManagerUI::SetResourceZip(L"missing.zip");
    EXPECT_EQ(Open(), nullptr);
    std::vector<unsigned char> zip;
    ASSERT_TRUE(ReadBytes(SkinDataDir() + L"zip\\skins.zip", zip));
    std::wstring temp = MakeTempDir(L"ntskin_gui_damaged");
    zip.resize(zip.size() - 30);
    ASSERT_TRUE(WriteBytes(temp + L"skins.zip", zip));
    CPaintManagerUI::SetResourcePath(temp.c_str());
    CPaintManagerUI::SetResourceZip(L"skins.zip");
    EXPECT_EQ(Open(), nullptr);
}

TEST_F(SkinWindowTest, ButtonShowsHoverAndPressedAndClicksOnRelease) {
    ASSERT_NE(Open(), nullptr);
    POINT ok = window->ScreenCenter(L"ok_btn");
    POINT left{ok.x - 30, ok.y};
    MoveMouse(POINT{ok.x, ok.y + 80});
    EXPECT_EQ(ScreenPixel(left), 0x102030u);
    MoveMouse(ok);
    EXPECT_EQ(ScreenPixel(left), 0x405060u);
    MouseButton(true);
    EXPECT_EQ(ScreenPixel(left), 0x708090u);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 0);
    MouseButton(false);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 1);
    EXPECT_EQ(ScreenPixel(left), 0x405060u);

    // Pressed, dragged off and released elsewhere: no click.
    MouseButton(true);
    MoveMouse(POINT{ok.x, ok.y + 80});
    EXPECT_EQ(ScreenPixel(left), 0x102030u);
    MouseButton(false);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 1);

    Click(window->ScreenCenter(L"off_btn"));
    EXPECT_EQ(window->log.Count(L"click:off_btn"), 0);
    EXPECT_EQ(ScreenPixel(window->ScreenCenter(L"off_btn")), 0xCCCCCCu);
}

TEST_F(SkinWindowTest, EditsTakeTypingTabEnterAndEscape) {
    HWND hWnd = Open();
    ASSERT_NE(hWnd, nullptr);
    auto* first = dynamic_cast<CEditUI*>(window->Find(L"first_edt"));
    auto* second = dynamic_cast<CEditUI*>(window->Find(L"second_edt"));
    ASSERT_TRUE(first && second);
    Click(window->ScreenCenter(L"first_edt"));
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == first->GetNativeWindow(); }));
    TypeText(L"ab中");
    EXPECT_EQ(first->GetText(), L"ab中");
    EXPECT_EQ(window->log.Count(L"textchanged:first_edt"), 3);

    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), second->GetNativeWindow());
    EXPECT_EQ(window->Find(L"second_edt")->IsFocused(), true);
    TypeText(L"pw");
    EXPECT_EQ(second->GetText(), L"pw");
    EXPECT_TRUE(second->IsPasswordMode());
    EXPECT_EQ(first->GetText(), L"ab中");

    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(),
              window->Find(L"group_edt")
                  ? dynamic_cast<CEditUI*>(window->Find(L"group_edt"))->GetNativeWindow()
                  : nullptr);
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), first->GetNativeWindow());

    // Enter activates the default button; Escape closes through the default key handling.
    PressKey(VK_RETURN);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 1);
    EXPECT_EQ(first->GetText(), L"ab中");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hWnd); }));
    EXPECT_EQ(window->finalMessages, 1);
}

TEST_F(SkinWindowTest, SetTextReportsTextChanged) {
    ASSERT_NE(Open(), nullptr);
    window->Find(L"first_edt")->SetText(L"张老师");
    EXPECT_EQ(window->Find(L"first_edt")->GetText(), L"张老师");
    EXPECT_EQ(window->log.Count(L"textchanged:first_edt"), 1);
}

TEST_F(SkinWindowTest, OptionGroupKeepsOneSelected) {
    ASSERT_NE(Open(), nullptr);
    auto* a = dynamic_cast<COptionUI*>(window->Find(L"a_opt"));
    auto* b = dynamic_cast<COptionUI*>(window->Find(L"b_opt"));
    auto* c = dynamic_cast<COptionUI*>(window->Find(L"c_opt"));
    auto* t = dynamic_cast<COptionUI*>(window->Find(L"t_opt"));
    Click(window->ScreenCenter(L"b_opt"));
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(c->IsSelected());
    Click(window->ScreenCenter(L"b_opt"));
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(window->log.Count(L"selectchanged:b_opt"), 1);
    EXPECT_EQ(window->log.Count(L"selectchanged:a_opt"), 0);
    Click(window->ScreenCenter(L"c_opt"));
    EXPECT_FALSE(b->IsSelected());
    EXPECT_TRUE(c->IsSelected());
    // The selected look: the skin's selectedbkcolor.
    POINT cPt = window->ScreenCenter(L"c_opt");
    MoveMouse(POINT{cPt.x, cPt.y + 100});
    EXPECT_EQ(ScreenPixel(POINT{cPt.x - 20, cPt.y}), 0x0000FFu);
    EXPECT_EQ(ScreenPixel(POINT{window->ScreenCenter(L"b_opt").x - 20, cPt.y}), 0xEEEEEEu);

    Click(window->ScreenCenter(L"t_opt"));
    EXPECT_TRUE(t->IsSelected());
    Click(window->ScreenCenter(L"t_opt"));
    EXPECT_FALSE(t->IsSelected());
    EXPECT_EQ(window->log.Count(L"selectchanged:t_opt"), 2);
    EXPECT_TRUE(c->IsSelected());
}

TEST_F(SkinWindowTest, SliderFollowsTheDrag) {
    ASSERT_NE(Open(), nullptr);
    auto* slider = dynamic_cast<CSliderUI*>(window->Find(L"s_sld"));
    ASSERT_NE(slider, nullptr);
    RECT rc = slider->GetPos();
    POINT origin{0, 0};
    ::ClientToScreen(window->GetHWND(), &origin);
    int y = origin.y + (rc.top + rc.bottom) / 2;
    // The track starts half a thumb in; value 10 sits 20 pixels along it.
    int track = origin.x + rc.left + 8;
    MoveMouse(POINT{track + 20, y});
    MouseButton(true);
    EXPECT_EQ(slider->GetValue(), 10);
    MoveMouse(POINT{track + 100, y});
    EXPECT_EQ(slider->GetValue(), 50);
    MoveMouse(POINT{track + 150, y});
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(window->log.Count(L"valuechanged:s_sld"), 0);
    EXPECT_GE(window->log.Count(L"valuechanged_move:s_sld"), 2);
    MouseButton(false);
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_EQ(window->log.Count(L"valuechanged:s_sld"), 1);
    // A click on the track jumps there.
    Click(POINT{track + 40, y});
    EXPECT_EQ(slider->GetValue(), 20);
    EXPECT_EQ(window->log.Count(L"valuechanged:s_sld"), 2);
}

TEST_F(SkinWindowTest, ComboDropsDownAndSelects) {
    ASSERT_NE(Open(), nullptr);
    auto* combo = dynamic_cast<CComboUI*>(window->Find(L"c_cbx"));
    ASSERT_NE(combo, nullptr);
    Click(window->ScreenCenter(L"c_cbx"));
    ASSERT_TRUE(combo->IsDropped());
    HWND list = ::FindWindowW(L"NTSkinComboList", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(::IsWindowVisible(list));
    // The window keeps the activation while the list is open.
    EXPECT_EQ(::GetActiveWindow(), window->GetHWND());
    RECT lr;
    ::GetWindowRect(list, &lr);
    Click(POINT{lr.left + 20, lr.top + 1 + 2 * combo->GetItemHeight() + 5});
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), L"c");
    EXPECT_EQ(window->log.Count(L"itemselect:c_cbx"), 1);

    // A click outside the list closes it and changes nothing.
    Click(window->ScreenCenter(L"c_cbx"));
    ASSERT_TRUE(combo->IsDropped());
    Click(POINT{110, 390});
    EXPECT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(window->log.Count(L"itemselect:c_cbx"), 1);
}

TEST_F(SkinWindowTest, MenuReportsToItsOwnerThroughItsMessage) {
    ASSERT_NE(Open(), nullptr);
    window->onMenuInit = [](CPaintManagerUI& menu) {
        if (CControlUI* item = menu.FindControl(L"hide_item")) item->SetVisible(false);
    };
    auto* menu = new CMenuWnd(window->GetHWND());
    ASSERT_TRUE(
        menu->Init(nullptr, SkinTestWindow::kMenuMessage, L"menu.xml", L"xml", POINT{300, 200}));
    HWND menuWnd = ::FindWindowW(L"NTSkinMenu", nullptr);
    ASSERT_NE(menuWnd, nullptr);
    ASSERT_EQ(window->menuEvents.size(), 1u);
    EXPECT_EQ(window->menuEvents[0], L"windowinit:");
    RECT mr;
    ::GetWindowRect(menuWnd, &mr);
    EXPECT_EQ(mr.left, 300);
    EXPECT_EQ(mr.top, 200);
    EXPECT_EQ(mr.right - mr.left, 120);
    // Two entries of 30 pixels are left, plus the 2-pixel inset above and below.
    EXPECT_EQ(mr.bottom - mr.top, 64);
    Settle();
    // The border is whole, right and bottom edges included.
    EXPECT_EQ(ScreenPixel(POINT{mr.left, mr.top + 10}), 0x804020u);
    EXPECT_EQ(ScreenPixel(POINT{mr.right - 1, mr.top + 10}), 0x804020u);
    EXPECT_EQ(ScreenPixel(POINT{mr.left + 10, mr.bottom - 1}), 0x804020u);
    EXPECT_EQ(ScreenPixel(POINT{mr.left + 10, mr.top + 2 + 15}), 0xFFFFFFu);
    Click(POINT{320, 200 + 2 + 30 + 15});
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(menuWnd); }));
    ASSERT_EQ(window->menuEvents.size(), 2u);
    EXPECT_EQ(window->menuEvents[1], L"itemclick:pick_item");

    // A click elsewhere closes the menu without a report.
    menu = new CMenuWnd(window->GetHWND());
    ASSERT_TRUE(
        menu->Init(nullptr, SkinTestWindow::kMenuMessage, L"menu.xml", L"xml", POINT{300, 200}));
    menuWnd = ::FindWindowW(L"NTSkinMenu", nullptr);
    Click(POINT{150, 380});
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(menuWnd); }));
    EXPECT_EQ(window->menuEvents.size(), 3u);

    // A menu whose skin is missing is not opened (and frees itself).
    menu = new CMenuWnd(window->GetHWND());
    EXPECT_FALSE(
        menu->Init(nullptr, SkinTestWindow::kMenuMessage, L"nothere.xml", L"xml", POINT{300, 200}));
}

TEST_F(SkinWindowTest, HidingAGroupHidesItsEditAndMovesTheRestUp) {
    ASSERT_NE(Open(), nullptr);
    auto* edit = dynamic_cast<CEditUI*>(window->Find(L"group_edt"));
    CControlUI* after = window->Find(L"after_btn");
    EXPECT_TRUE(::IsWindowVisible(edit->GetNativeWindow()));
    LONG top = after->GetPos().top;
    window->Find(L"group_box")->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(edit->GetNativeWindow()));
    EXPECT_EQ(after->GetPos().top, top - 30);
    Settle();
    POINT pt = window->ScreenCenter(L"after_btn");
    EXPECT_EQ(ScreenPixel(pt), 0x00AA00u);
    window->Find(L"group_box")->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(edit->GetNativeWindow()));
    EXPECT_EQ(after->GetPos().top, top);
}

TEST_F(SkinWindowTest, CaptionDragsTheWindowButNotFromItsButtons) {
    HWND hWnd = Open();
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(150, 110)), HTCAPTION);
    POINT close = window->ScreenCenter(L"closebtn");
    EXPECT_EQ(::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLIENT);
    EXPECT_EQ(::SendMessageW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(150, 200)), HTCLIENT);
    DragThroughMoveLoop(POINT{150, 110}, POINT{190, 130});
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, 140);
    EXPECT_EQ(rc.top, 120);
    // The close button closes the window.
    Click(window->ScreenCenter(L"closebtn"));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hWnd); }));
}

// A window of the product's kind: it deletes itself when it ends and counts that.
class SelfDeletingWindow : public SkinTestWindow {
public:
    SelfDeletingWindow(const wchar_t* skin, int* finals, int* destroyed)
        : SkinTestWindow(skin), m_finals(finals), m_destroyed(destroyed) {}
    ~SelfDeletingWindow() override { ++*m_destroyed; }
    void OnFinalMessage(HWND hWnd) override {
        SkinTestWindow::OnFinalMessage(hWnd);
        ++*m_finals;
        delete this;
    }

private:
    int* m_finals;
    int* m_destroyed;
};

TEST_F(SkinWindowTest, FailedCreationEndsASelfDeletingWindowOnceWhateverTheCause) {
    struct Case {
        const wchar_t* skin;
        DWORD style;
        bool failAfterBuild;
    };
    // A missing skin, a child without a parent (refused before the window exists), and a skin
    // built before the window's own set-up fails.
    for (const Case& c :
         {Case{L"nothere.xml", WS_POPUP, false}, Case{L"window.xml", WS_CHILD, false},
          Case{L"window.xml", WS_POPUP, true}}) {
        int finals = 0, destroyed = 0;
        auto* w = new SelfDeletingWindow(c.skin, &finals, &destroyed);
        w->failAfterBuild = c.failAfterBuild;
        EXPECT_EQ(w->Create(nullptr, L"", c.style, 0, 0, 0, 0, 0), nullptr);
        EXPECT_EQ(finals, 1);
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(::FindWindowW(L"NTSkinTestWindow", nullptr), nullptr);
    }
    // A window that does not delete itself can be created again after a failure.
    window = std::make_unique<SkinTestWindow>(L"window.xml");
    window->failAfterBuild = true;
    EXPECT_EQ(window->Create(nullptr, L"", WS_POPUP, 0, 0, 0, 0, 0), nullptr);
    window->failAfterBuild = false;
    EXPECT_NE(window->Create(nullptr, L"", WS_POPUP, 0, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(window->finalMessages, 1);
}

TEST_F(SkinWindowTest, ConsumedEscapeKeepsEnterAndTab) {
    HWND hWnd = Open();
    ASSERT_NE(hWnd, nullptr);
    window->consumeEscape = true;
    auto* first = dynamic_cast<CEditUI*>(window->Find(L"first_edt"));
    auto* second = dynamic_cast<CEditUI*>(window->Find(L"second_edt"));
    Click(window->ScreenCenter(L"first_edt"));
    TypeText(L"ab");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(::IsWindow(hWnd));
    EXPECT_EQ(first->GetText(), L"ab");
    PressKey(VK_RETURN);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 1);
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), second->GetNativeWindow());
    // The same with the window itself holding the keyboard focus.
    ::SetFocus(hWnd);
    ASSERT_EQ(::GetFocus(), hWnd);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(::IsWindow(hWnd));
    PressKey(VK_RETURN);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 2);
    PressKey(VK_TAB);
    EXPECT_EQ(::GetFocus(), first->GetNativeWindow());
    EXPECT_EQ(window->closeRequests, 0);
}

TEST_F(SkinWindowTest, CaretReturnsToItsEditWhenTheWindowIsActivatedAgain) {
    HWND hWnd = Open();
    ASSERT_NE(hWnd, nullptr);
    auto* second = dynamic_cast<CEditUI*>(window->Find(L"second_edt"));
    Click(window->ScreenCenter(L"second_edt"));
    TypeText(L"ab");
    // Another window comes to the front and goes again, as with Alt+Tab.
    SkinTestWindow other(L"menu.xml");
    ASSERT_NE(other.Create(nullptr, L"other", WS_POPUP | WS_VISIBLE, 0, 600, 500, 0, 0), nullptr);
    ::SetForegroundWindow(other.GetHWND());
    Settle();
    ASSERT_NE(::GetFocus(), second->GetNativeWindow());
    ::SetForegroundWindow(hWnd);
    Settle();
    EXPECT_EQ(::GetFocus(), second->GetNativeWindow());
    TypeText(L"c");
    EXPECT_EQ(second->GetText(), L"abc");
    ::DestroyWindow(other.GetHWND());
}

TEST_F(SkinWindowTest, WindowButtonsHandledByTheWindowAndTheBaseActOnce) {
    HWND hWnd = Open(L"window.xml", WS_POPUP | WS_MINIMIZEBOX);
    ASSERT_NE(hWnd, nullptr);
    window->handleWindowButtons = true;
    // The window's own close keeps it: the base must not close it behind its back.
    Click(window->ScreenCenter(L"closebtn"));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(hWnd); }));
    EXPECT_EQ(window->closeRequests, 0);
    ASSERT_TRUE(::IsWindow(hWnd));
    window->ShowWindow(true, true);
    ::SetForegroundWindow(hWnd);
    Settle();
    Click(window->ScreenCenter(L"minbtn"));
    EXPECT_TRUE(PumpUntil([&] { return ::IsIconic(hWnd) != FALSE; }));
    EXPECT_EQ(window->minimizeCommands, 1);
}

TEST_F(SkinWindowTest, ButtonEnabledAgainUnderAStillPointerShowsItsHover) {
    ASSERT_NE(Open(), nullptr);
    CControlUI* ok = window->Find(L"ok_btn");
    POINT center = window->ScreenCenter(L"ok_btn");
    POINT left{center.x - 30, center.y};
    MoveMouse(center);
    EXPECT_EQ(ScreenPixel(left), 0x405060u);
    ok->SetEnabled(false);
    Settle();
    EXPECT_EQ(ScreenPixel(left), 0x102030u);
    ok->SetEnabled(true);
    Settle();
    EXPECT_EQ(ScreenPixel(left), 0x405060u);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(window->log.Count(L"click:ok_btn"), 1);
}

TEST_F(SkinWindowTest, CaptionDoubleClickCanBeMadeToDoNothing) {
    // A window with the system's maximize box, as the product's are created.
    HWND hWnd = Open(L"window.xml", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(hWnd, nullptr);
    DoubleClick(POINT{150, 110});
    EXPECT_TRUE(::IsZoomed(hWnd));
    ::ShowWindow(hWnd, SW_RESTORE);
    Settle();
    window->ignoreCaptionDoubleClick = true;
    DoubleClick(POINT{150, 110});
    EXPECT_FALSE(::IsZoomed(hWnd));
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.right - rc.left, 400);
}

}  // namespace
