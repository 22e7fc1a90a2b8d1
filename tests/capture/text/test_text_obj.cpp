// The text annotation as the capture window drives it: layout, growth within the selection,
// message routing, composition window, drawing with and without its frame.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <memory>
#include <string>

#include "capture/ccmdocument.h"
#include "capture/text/ccmtexthost.h"
#include "capture/text/ccmtextobj.h"
#include "capture/text/texttestkit.h"

namespace {

// The window stands for a virtual screen that starts at (100, 80).
const RECT kScreen = {100, 80, 600, 480};

class TextSite : public ICMDocumentSite {
public:
    explicit TextSite(HWND hWnd) : m_hWnd(hWnd) {}
    HWND GetSiteWindow() const override { return m_hWnd; }
    RECT GetScreenRect() const override { return kScreen; }
    RECT GetSelectionRect() const override { return selection; }
    void InvalidateScreenRect(const RECT&) override {}
    CMBitmapPtr ComposeImage(const RECT&, bool, const CCMDrawObj*) override { return nullptr; }

    RECT selection = {120, 100, 420, 300};

private:
    HWND m_hWnd;
};

LPARAM ClientPoint(int screenX, int screenY) {
    return MAKELPARAM(screenX - kScreen.left, screenY - kScreen.top);
}

class TextObjTest : public ::testing::Test {
protected:
    void SetUp() override {
        hWnd = CreateTextTestWindow(kScreen);
        ASSERT_NE(hWnd, nullptr);
        site = std::make_unique<TextSite>(hWnd);
        document = std::make_unique<CCMDocument>(site.get());
    }
    void TearDown() override {
        text.reset();
        document.reset();
        ::DestroyWindow(hWnd);
        PumpMessages();
    }
    // A box as a press with the text tool makes it.
    void Press(int x, int y, DWORD argb = 0xFFFF0000, int size = 14) {
        text = std::make_unique<CCMTextObj>(document.get(), x, y, 100, 50);
        text->SetColor(argb);
        text->SetFontSize(size);
        ASSERT_TRUE(text->CreateHost());
        text->Activate();
    }
    LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam, bool* handledOut = nullptr) {
        bool handled = false;
        LRESULT result = text->HandleObjectMessage(msg, wParam, lParam, handled);
        if (handledOut) *handledOut = handled;
        return result;
    }
    void Type(const std::wstring& chars) {
        TypeChars(chars,
                  [this](UINT msg, WPARAM wParam, LPARAM lParam) { Route(msg, wParam, lParam); });
    }
    // The object drawn as into a composed picture whose top-left is the screen point origin.
    void DrawAt(TestCanvas& canvas, POINT origin) {
        Gdiplus::Graphics graphics(canvas.GetDC());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-origin.x),
                                    static_cast<Gdiplus::REAL>(-origin.y));
        Gdiplus::Rect clip(origin.x, origin.y, canvas.Width(), canvas.Height());
        text->Draw(graphics, clip, origin);
    }
    static RECT Shift(const RECT& rc, POINT origin) {
        RECT moved = rc;
        ::OffsetRect(&moved, -origin.x, -origin.y);
        return moved;
    }

    HWND hWnd = nullptr;
    std::unique_ptr<TextSite> site;
    std::unique_ptr<CCMDocument> document;
    std::unique_ptr<CCMTextObj> text;
};

TEST_F(TextObjTest, NewBoxHasItsFrameBodyAndLayout) {
    Press(150, 120);
    EXPECT_TRUE(text->IsKindOf(L"CCMTextObj"));
    EXPECT_TRUE(text->IsKindOf(L"CCMDrawObj"));
    EXPECT_TRUE(text->IsActive());
    RECT layout = text->GetLayoutRect();
    RECT expected = {158, 128, 242, 162};
    EXPECT_TRUE(::EqualRect(&layout, &expected));

    EXPECT_EQ(text->HitTest(POINT{150, 120}), -2);  // corner: frame
    EXPECT_EQ(text->HitTest(POINT{157, 140}), -2);
    EXPECT_EQ(text->HitTest(POINT{158, 140}), -1);  // first body column
    EXPECT_EQ(text->HitTest(POINT{241, 161}), -1);
    EXPECT_EQ(text->HitTest(POINT{242, 161}), -2);
    EXPECT_EQ(text->HitTest(POINT{249, 169}), -2);
    EXPECT_EQ(text->HitTest(POINT{250, 140}), 0);  // right and bottom edges are outside
    EXPECT_EQ(text->HitTest(POINT{200, 170}), 0);
    EXPECT_EQ(text->GetCursorAt(POINT{151, 121}), ::LoadCursorW(nullptr, IDC_SIZEALL));
    EXPECT_EQ(text->GetCursorAt(POINT{200, 140}), ::LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(text->GetCursorAt(POINT{300, 300}), nullptr);

    RECT dot = {249, 169, 250, 170};
    EXPECT_TRUE(text->Intersects(dot));
    RECT beside = {250, 120, 260, 130};
    EXPECT_FALSE(text->Intersects(beside));
}

TEST_F(TextObjTest, ALongLineWidensTheBoxUpToTheSelectionThenWraps) {
    Press(150, 120);
    Type(L"abc");
    EXPECT_EQ(text->GetNormalRect().Width, 100);  // a short word keeps the least width
    EXPECT_EQ(text->GetNormalRect().Height, 50);

    Type(L" a longer line of text");
    Gdiplus::Rect wide = text->GetNormalRect();
    EXPECT_GT(wide.Width, 100);
    EXPECT_LE(wide.GetRight(), site->selection.right);
    EXPECT_EQ(wide.Height, 50);  // still one line: the services wrap at the new width

    for (int i = 0; i < 6; ++i) Type(L" and it goes on and on");
    Gdiplus::Rect full = text->GetNormalRect();
    EXPECT_EQ(full.GetRight(), site->selection.right);  // stopped at the selection
    EXPECT_GT(full.Height, 50);                         // and wrapped into more lines
    EXPECT_LE(full.GetBottom(), site->selection.bottom);
    EXPECT_EQ(full.X, 150);
    EXPECT_EQ(full.Y, 120);
}

TEST_F(TextObjTest, SeveralLinesHeightenTheBoxButNeverPastTheSelection) {
    Press(150, 120);
    Type(L"一\r二");
    int twoLines = text->GetNormalRect().Height;
    Type(L"\r三\r四");
    int fourLines = text->GetNormalRect().Height;
    EXPECT_GT(fourLines, twoLines);
    int lineHeight = (fourLines - 16) / 4;
    EXPECT_GT(lineHeight, 8);
    EXPECT_EQ(fourLines, lineHeight * 4 + 16);

    for (int i = 0; i < 20; ++i) Type(L"\r行");
    Gdiplus::Rect rc = text->GetNormalRect();
    EXPECT_EQ(rc.GetBottom(), site->selection.bottom);
    EXPECT_EQ(text->GetText().size(), 7u + 40u);
}

TEST_F(TextObjTest, ALargerSizeGrowsTheBoxSoNoTextIsCutOff) {
    Press(150, 120, 0xFF0000FF, 14);
    Type(L"大字");
    text->ApplyFontSize(36);
    EXPECT_EQ(text->GetFontSize(), 36);
    POINT origin = {site->selection.left, site->selection.top};
    TestCanvas canvas(300, 200);
    DrawAt(canvas, origin);
    RECT layout = Shift(text->GetLayoutRect(), origin);
    // 36 points is 48 pixels: the glyphs' lowest ink sits inside the box, above its bottom.
    int lowest = -1;
    for (int y = 0; y < canvas.Height(); ++y)
        if (canvas.CountNear(RECT{0, y, canvas.Width(), y + 1}, 0x0000FF) > 0) lowest = y;
    EXPECT_GT(lowest, layout.top + 30);
    EXPECT_LT(lowest, layout.bottom - 1);
    EXPECT_GE(text->GetNormalRect().Height, 48 + 16);
}

TEST_F(TextObjTest, KeysReachTheTextOnlyWhileActiveAndComposedCharactersGoToTheWindow) {
    Press(150, 120);
    bool handled = false;
    Route(WM_CHAR, L'甲', 1, &handled);
    EXPECT_TRUE(handled);
    Route(WM_IME_CHAR, L'乙', 1, &handled);
    EXPECT_FALSE(handled);  // the default handling turns it into WM_CHAR
    EXPECT_EQ(text->GetText(), L"甲");

    text->Deactivate();
    EXPECT_FALSE(text->IsActive());
    Route(WM_CHAR, L'丙', 1, &handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(text->GetText(), L"甲");  // kept, and still drawn

    // A press on the body activates it again; one beside it is left to the window.
    Route(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(300, 140), &handled);
    EXPECT_FALSE(handled);
    EXPECT_FALSE(text->IsActive());
    Route(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(170, 140), &handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(text->IsActive());
    Route(WM_LBUTTONUP, 0, ClientPoint(170, 140), &handled);
    Route(WM_CHAR, L'丁', 1, &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(text->GetText().size(), 2u);
}

TEST_F(TextObjTest, CompositionWindowOpensAtTheCaret) {
    Press(150, 120);
    Type(L"ab");
    POINT caret = {};
    ASSERT_TRUE(::GetCaretPos(&caret));
    bool handled = true;
    Route(WM_IME_STARTCOMPOSITION, 0, 0, &handled);
    EXPECT_FALSE(handled);  // the system's composition still starts

    HIMC context = ::ImmGetContext(hWnd);
    ASSERT_NE(context, nullptr);
    COMPOSITIONFORM form = {};
    ASSERT_TRUE(::ImmGetCompositionWindow(context, &form));
    ::ImmReleaseContext(hWnd, context);
    EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_POINT));
    EXPECT_EQ(form.ptCurrentPos.x, caret.x);
    EXPECT_EQ(form.ptCurrentPos.y, caret.y);
    // The caret is in client coordinates inside the box.
    RECT layout = Shift(text->GetLayoutRect(), POINT{kScreen.left, kScreen.top});
    EXPECT_TRUE(::PtInRect(&layout, caret));
}

TEST_F(TextObjTest, DrawsTheTextWhereTheScreenPutsItWithTheFrameOnlyWhileEditing) {
    Press(150, 120, 0xFF0000FF, 16);
    Type(L"文字 ok");
    // A composed picture of the selection: its top-left is the selection's.
    POINT origin = {site->selection.left, site->selection.top};
    RECT layout = Shift(text->GetLayoutRect(), origin);
    {
        TestCanvas canvas(300, 200);
        DrawAt(canvas, origin);
        EXPECT_GT(canvas.CountNear(layout, 0x0000FF), 40);
        EXPECT_EQ(canvas.CountNearOutside(layout, 0x0000FF), 0);
        // The dashed frame (half-transparent black) lies on the box's outline.
        RECT box = Shift(RECT{150, 120, 250, 170}, origin);
        RECT top = {box.left, box.top - 1, box.right, box.top + 2};
        EXPECT_GT(canvas.CountNear(top, 0x808080), 10);
    }
    text->Deactivate();
    {
        TestCanvas canvas(300, 200);
        DrawAt(canvas, origin);
        EXPECT_GT(canvas.CountNear(layout, 0x0000FF), 40);
        EXPECT_EQ(canvas.CountNear(RECT{0, 0, 300, 200}, 0x808080), 0);
    }
    // Moved by its frame: text and layout follow.
    text->Offset(40, 30);
    RECT moved = Shift(text->GetLayoutRect(), origin);
    EXPECT_EQ(moved.left, layout.left + 40);
    TestCanvas canvas(300, 200);
    DrawAt(canvas, origin);
    EXPECT_GT(canvas.CountNear(moved, 0x0000FF), 40);
    EXPECT_EQ(canvas.CountNearOutside(moved, 0x0000FF), 0);
}

TEST_F(TextObjTest, WithoutTextServicesEveryMessageIsLeftToTheWindow) {
    text = std::make_unique<CCMTextObj>(document.get(), 150, 120, 100, 50);
    text->Activate();
    bool handled = true;
    Route(WM_CHAR, L'a', 1, &handled);
    EXPECT_FALSE(handled);
    Route(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(170, 140), &handled);
    EXPECT_FALSE(handled);
    TestCanvas canvas(300, 200);
    DrawAt(canvas, POINT{100, 80});  // the frame only
    EXPECT_EQ(text->GetText(), L"");
}

}  // namespace
