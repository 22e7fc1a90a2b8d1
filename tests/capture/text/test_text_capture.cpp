// The text tool in a real capture under real input: typing (Chinese through the composition
// messages), the picture handed out, dragging by the frame, committing, undo, Esc, and the
// option bar's colour and size.
#include "capture/window/capturetestkit.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "capture/objects/ccmtooltable.h"
#include "capture/text/ccmtexthost.h"
#include "capture/text/ccmtextobj.h"
#include "capture/window/skinprobe.h"
#include "common/util/ntregedit.h"
#include "support/screenbitmap.h"

namespace {

using Wnd = CCMCaptureScreenWnd;
const RECT kArea = {250, 200, 550, 420};
const DWORD kRed = 0xFB3838;  // colour 11 of the option bar

bool Near(DWORD a, DWORD b) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 60)
            return false;
    return true;
}

class CaptureTextTest : public CaptureTest {
protected:
    // A text box started by a click with the text tool in colour 11.
    CCMTextObj* StartText(POINT at) {
        Capture()->GetToolbar().SelectTool(TOOL_TEXT);
        Settle();
        ChooseColor();
        Click(at);
        CCMDrawObj* current = Capture()->GetCurrentObject();
        if (!current || !current->IsKindOf(L"CCMTextObj")) return nullptr;
        return static_cast<CCMTextObj*>(current);
    }
    void ChooseColor() {
        HWND options = Capture()->GetOptionBar().GetHWND();
        Click(SkinProbe::ControlCenter(options, L"optiontoolbar.xml", L"btn_color11"));
    }
    // Characters as the input method delivers them to the focused capture window.
    void Compose(const std::wstring& chars) {
        HWND hWnd = Capture()->GetHWND();
        ::PostMessageW(hWnd, WM_IME_STARTCOMPOSITION, 0, 0);
        for (wchar_t ch : chars) ::PostMessageW(hWnd, WM_IME_CHAR, ch, 1);
        ::PostMessageW(hWnd, WM_IME_ENDCOMPOSITION, 0, 0);
        Settle();
    }
    // Pixels of the screen inside rc (screen coordinates) near rgb.
    static int CountOnScreen(const RECT& rc, DWORD rgb) {
        ScreenBitmap grab(rc);
        int count = 0;
        for (DWORD pixel : BitmapPixels(grab.Get())) count += Near(pixel, rgb);
        return count;
    }
    static int TextHeightTwips(CCMTextObj* text) {
        CHARRANGE saved = {}, all = {0, -1};
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        CCMTextHost* host = text->GetHost();
        host->SendToServices(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved), nullptr);
        host->SendToServices(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all), nullptr);
        host->SendToServices(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format),
                             nullptr);
        host->SendToServices(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved), nullptr);
        return (format.dwMask & CFM_SIZE) ? std::abs(static_cast<int>(format.yHeight)) : -1;
    }
};

TEST_F(CaptureTextTest, TypedAndComposedTextIsInTheCopiedPictureInsideTheBoxOnly) {
    ASSERT_TRUE(SelectArea(kArea));
    CCMTextObj* text = StartText(POINT{300, 240});
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->IsActive());
    EXPECT_TRUE(text->GetHost() != nullptr);
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_EQ(text->GetColor(), 0xFF000000u | kRed);
    RECT layout = text->GetLayoutRect();
    int before = CountOnScreen(layout, kRed);
    TypeText(L"Abc ");
    Compose(L"中文字");
    EXPECT_EQ(text->GetText(), L"Abc 中文字");
    Gdiplus::Rect box = text->GetNormalRect();
    EXPECT_EQ(box.X, 300);
    EXPECT_EQ(box.Y, 240);
    // The overlay on the screen shows it in the box too.
    EXPECT_GT(CountOnScreen(layout, kRed), before + 60);

    // Completing commits the box: the copy has the text but not the dashed frame.
    Capture()->CompleteToClipboard();
    Settle();
    EXPECT_EQ(Capture(), nullptr);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HBITMAP copied = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    std::vector<DWORD> picture = copied ? BitmapPixels(copied) : std::vector<DWORD>();
    ::CloseClipboard();
    const int width = kArea.right - kArea.left;
    ASSERT_EQ(picture.size(), static_cast<size_t>(width * (kArea.bottom - kArea.top)));
    int ink = 0, changed = 0;
    for (int y = kArea.top; y < kArea.bottom; ++y) {
        for (int x = kArea.left; x < kArea.right; ++x) {
            DWORD pixel = picture[static_cast<size_t>(y - kArea.top) * width + (x - kArea.left)];
            if (::PtInRect(&layout, POINT{x, y})) {
                ink += Near(pixel, kRed) && !Near(PatternAtScreen(POINT{x, y}), kRed);
            } else {
                changed += pixel != PatternAtScreen(POINT{x, y});
            }
        }
    }
    EXPECT_GT(ink, 60);
    EXPECT_EQ(changed, 0);
}

TEST_F(CaptureTextTest, TheFrameDragsTheBoxInsideTheSelectionAndAPressBesideCommitsIt) {
    ASSERT_TRUE(SelectArea(kArea));
    CCMTextObj* text = StartText(POINT{300, 240});
    ASSERT_NE(text, nullptr);
    TypeText(L"move");
    Drag(POINT{302, 242}, POINT{342, 272});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    Gdiplus::Rect box = text->GetNormalRect();
    EXPECT_EQ(box.X, 340);
    EXPECT_EQ(box.Y, 270);
    RECT layout = text->GetLayoutRect();
    EXPECT_EQ(layout.left, 348);
    EXPECT_EQ(text->GetText(), L"move");

    // Dragged far past the selection's bottom right, it stops at the edges.
    Drag(POINT{box.X + 2, box.Y + 2}, POINT{box.X + 400, box.Y + 400});
    box = text->GetNormalRect();
    EXPECT_EQ(box.GetRight(), kArea.right);
    EXPECT_EQ(box.GetBottom(), kArea.bottom);

    Click(POINT{270, 215});
    EXPECT_EQ(Capture()->GetCurrentObject(), nullptr);
    EXPECT_FALSE(text->IsActive());
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    TypeText(L"x");
    EXPECT_EQ(text->GetText(), L"move");
}

TEST_F(CaptureTextTest, UndoRemovesWholeBoxesRedoBringsThemBackWithTheirTextAndEscCloses) {
    ASSERT_TRUE(SelectArea(kArea));
    CCMTextObj* text = StartText(POINT{300, 240});
    ASSERT_NE(text, nullptr);
    TypeText(L"abc");
    // A newer shape undone hands the editing back to the text box.
    Capture()->GetToolbar().SelectTool(TOOL_RECTANGLE);
    Settle();
    EXPECT_FALSE(text->IsActive());  // another tool commits it
    Drag(POINT{420, 300}, POINT{480, 350});
    ASSERT_EQ(Capture()->GetObjects().size(), 2u);
    KeyCombo(VK_CONTROL, 'Z');
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_EQ(Capture()->GetCurrentObject(), text);
    EXPECT_TRUE(text->IsActive());
    TypeText(L"d");
    EXPECT_EQ(text->GetText(), L"abcd");
    // Undo while typing takes the whole box, not the last character.
    KeyCombo(VK_CONTROL, 'Z');
    EXPECT_TRUE(Capture()->GetObjects().empty());
    EXPECT_EQ(Capture()->GetCurrentObject(), nullptr);
    // Redo brings the whole box back with its text, ready to be typed into again.
    KeyCombo(VK_CONTROL, 'Y');
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_EQ(Capture()->GetCurrentObject(), text);
    EXPECT_TRUE(text->IsActive());
    EXPECT_EQ(text->GetText(), L"abcd");
    KeyCombo(VK_CONTROL, 'Z');

    Capture()->GetToolbar().SelectTool(TOOL_TEXT);
    Settle();

    Click(POINT{320, 260});
    EXPECT_EQ(Capture()->GetRedoCount(), 0u);  // a new box ends what could be brought back
    text = static_cast<CCMTextObj*>(Capture()->GetCurrentObject());
    ASSERT_NE(text, nullptr);
    TypeText(L"e");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(CaptureTextTest, OptionBarColourAndSizeChangeAllTextAndPasteTakesTheSize) {
    ASSERT_TRUE(SelectArea(kArea));
    Capture()->GetToolbar().SelectTool(TOOL_TEXT);
    Settle();
    Click(POINT{300, 240});
    auto* text = static_cast<CCMTextObj*>(Capture()->GetCurrentObject());
    ASSERT_NE(text, nullptr);
    TypeText(L"颜色");
    ChooseColor();  // after typing: the whole text turns red, the box stays in editing
    EXPECT_EQ(CNTRegEdit(kCaptureSettingsKey).ReadDword(L"TextColorIndex", 99), 10u);
    EXPECT_TRUE(text->IsActive());
    std::vector<DWORD> picture = ComposedSelection();
    RECT layout = text->GetLayoutRect();
    int red = 0;
    for (int y = layout.top; y < layout.bottom; ++y)
        for (int x = layout.left; x < layout.right; ++x)
            red += Near(picture[static_cast<size_t>(y - kArea.top) * (kArea.right - kArea.left) +
                                (x - kArea.left)],
                        kRed);
    EXPECT_GT(red, 40);

    // What the option bar asks for when a size is picked from its list (the list itself is
    // tested with the bar).
    Capture()->SetTextFontSize(18);
    EXPECT_EQ(TextHeightTwips(text), 360);
    EXPECT_TRUE(text->IsActive());

    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    const wchar_t pasted[] = L"贴";
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(pasted));
    ::memcpy(::GlobalLock(memory), pasted, sizeof(pasted));
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
    KeyCombo(VK_CONTROL, 'V');
    EXPECT_EQ(text->GetText(), L"颜色贴");
    EXPECT_EQ(TextHeightTwips(text), 20 * Capture()->GetOptionBar().GetOptionFontSize());
}

}  // namespace
