// The windowless text host on the system's text services: typing, drawing, formats and the
// conversion between the screen coordinates of annotations and the window's client coordinates.
#include <gtest/gtest.h>

#include <string>

#include "capture/text/ccmtexthost.h"
#include "capture/text/texttestkit.h"

namespace {

// The window sits at (100, 80) on the screen, so screen and client coordinates differ, as on a
// virtual screen that does not start at (0, 0).
const RECT kWindow = {100, 80, 500, 380};
const RECT kLayout = {160, 120, 360, 220};  // screen coordinates
const RECT kClientLayout = {60, 40, 260, 140};

class HostOwner : public CCMTextHostOwner {
public:
    HWND GetTextWindow() const override { return hWnd; }
    POINT GetTextOrigin() const override { return POINT{kWindow.left, kWindow.top}; }
    void InvalidateText(const RECT& client) override { ::InvalidateRect(hWnd, &client, FALSE); }
    void OnTextNotify(DWORD, void*) override {}

    HWND hWnd = nullptr;
};

class TextHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.hWnd = CreateTextTestWindow(kWindow);
        ASSERT_NE(owner.hWnd, nullptr);
        hdc = ::GetDC(owner.hWnd);
    }
    void TearDown() override {
        if (host) host->Release();
        ::ReleaseDC(owner.hWnd, hdc);
        ::DestroyWindow(owner.hWnd);
        PumpMessages();
    }

    // A host as a text object starts it: transparent, in-place active, focused.
    void Start(const CCMTextDefaults& defaults) {
        host = new CCMTextHost(&owner);
        host->SetTransparent(true);
        ASSERT_TRUE(host->Init(hdc, defaults));
        host->SetClientRect(kLayout);
        ASSERT_EQ(host->InPlaceActivate(), S_OK);
        Send(WM_SETFOCUS, 0, 0);
    }
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        LRESULT result = 0;
        host->SendToServices(msg, wParam, lParam, &result);
        return result;
    }
    void Type(const std::wstring& text) {
        TypeChars(text,
                  [this](UINT msg, WPARAM wParam, LPARAM lParam) { Send(msg, wParam, lParam); });
    }
    std::wstring Text() {
        GETTEXTLENGTHEX length = {GTL_DEFAULT, 1200};
        LRESULT count = Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
        std::wstring text(static_cast<size_t>(count) + 1, L'\0');
        GETTEXTEX get = {};
        get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        get.flags = GT_DEFAULT;
        get.codepage = 1200;
        Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(::wcslen(text.c_str()));
        return text;
    }
    // Draws the text the way the window paints it: client coordinates on a window-sized canvas.
    void Draw(TestCanvas& canvas) {
        RECTL bounds = {kClientLayout.left, kClientLayout.top, kClientLayout.right,
                        kClientLayout.bottom};
        RECT update = kClientLayout;
        ASSERT_EQ(host->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr,
                                                  canvas.GetDC(), nullptr, &bounds, nullptr,
                                                  &update, nullptr, 0, TXTVIEW_ACTIVE),
                  S_OK);
    }
    CHARFORMAT2W SelectionFormat() {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }

    HostOwner owner;
    HDC hdc = nullptr;
    CCMTextHost* host = nullptr;
};

TEST_F(TextHostTest, TypedLatinAndChineseTextIsDrawnInTheTextColourInsideTheLayoutOnly) {
    CCMTextDefaults defaults;
    defaults.argb = 0xFFFF0000;
    Start(defaults);
    Type(L"Abc 中文");
    EXPECT_EQ(Text(), L"Abc 中文");

    TestCanvas canvas(400, 300);
    Draw(canvas);
    EXPECT_GT(canvas.CountNear(kClientLayout, 0xFF0000), 40);
    EXPECT_EQ(canvas.CountNearOutside(kClientLayout, 0xFF0000), 0);
    // Transparent: the white canvas shows between the letters.
    EXPECT_EQ(canvas.Pixel(kClientLayout.right - 2, kClientLayout.bottom - 2), 0xFFFFFFu);
}

TEST_F(TextHostTest, ServicesSeeClientCoordinatesOfTheScreenLayout) {
    Start(CCMTextDefaults());
    RECT rc = {};
    host->TxGetClientRect(&rc);
    EXPECT_TRUE(::EqualRect(&rc, &kClientLayout));
    Type(L"x");
    POINT caret = {};
    ::GetCaretPos(&caret);
    EXPECT_GE(caret.x, kClientLayout.left);
    EXPECT_LT(caret.x, kClientLayout.right);
    EXPECT_GE(caret.y, kClientLayout.top);
    EXPECT_LT(caret.y, kClientLayout.bottom);

    // A press inside the client layout rectangle takes the mouse until the release.
    LPARAM at = MAKELPARAM(kClientLayout.left + 2, kClientLayout.top + 4);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_TRUE(host->HasMouseCapture());
    EXPECT_EQ(::GetCapture(), owner.hWnd);
    Send(WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(host->HasMouseCapture());
}

TEST_F(TextHostTest, ColourAndSizeChangesApplyToTheWholeTextKeepingTheSelection) {
    CCMTextDefaults defaults;
    defaults.argb = 0xFFFF0000;
    Start(defaults);
    Type(L"红色 text");
    CHARRANGE part = {1, 3};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&part));
    // A run with its own format, as pasted rich text brings.
    CHARFORMAT2W own = {};
    own.cbSize = sizeof(own);
    own.dwMask = CFM_COLOR | CFM_SIZE;
    own.crTextColor = RGB(0, 0xFF, 0);
    own.yHeight = 400;
    Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&own));

    host->SetTextColor(0xFF0000FF);
    host->SetTextFontSize(20);

    CHARRANGE kept = {};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    EXPECT_EQ(kept.cpMin, 1);
    EXPECT_EQ(kept.cpMax, 3);

    CHARRANGE caret = {0, 0};  // no highlight in the picture
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    TestCanvas canvas(400, 300);
    Draw(canvas);
    EXPECT_GT(canvas.CountNear(kClientLayout, 0x0000FF), 40);
    EXPECT_EQ(canvas.CountNear(kClientLayout, 0xFF0000), 0);
    EXPECT_EQ(canvas.CountNear(kClientLayout, 0x00FF00), 0);

    CHARRANGE all = {0, -1};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARFORMAT2W format = SelectionFormat();
    EXPECT_TRUE(format.dwMask & CFM_COLOR);  // one colour over all the text
    EXPECT_EQ(format.crTextColor, RGB(0, 0, 0xFF));
    EXPECT_TRUE(format.dwMask & CFM_SIZE);
    EXPECT_EQ(std::abs(format.yHeight), 400);
}

TEST_F(TextHostTest, TextStopsAtTheMaximumLength) {
    CCMTextDefaults defaults;
    // Ordinary lines, so that laying the text out stays quick.
    while (defaults.initialText.size() + 16 <= 0x7FFF - 1)
        defaults.initialText += L"fifteen chars.\r";
    defaults.initialText.append(0x7FFF - 1 - defaults.initialText.size(), L'w');
    Start(defaults);
    CHARRANGE end = {-1, -1};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    Type(L"xyz");
    std::wstring text = Text();
    EXPECT_EQ(text.size(), 0x7FFFu);
    EXPECT_EQ(text.back(), L'x');
}

}  // namespace
