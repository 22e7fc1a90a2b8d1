// Drawing on the selection and the capture's results: every shape drawn and undone, mosaics
// that hide what they cover, the clipboard hand-over with its one notification (also without a
// client window) and a clipboard that fails it, saving by extension with the remembered folder,
// a failed save that keeps the capture, each tool's stored choices, and a failed allocation
// that fails one drawing only.
#include "capture/window/capturetestkit.h"

#include <cmath>
#include <memory>

#include "capture/capturegeometry.h"
#include "capture/glimter.h"
#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"
#include "common/util/ntregedit.h"
#include "support/failingnew.h"
#include "tests/util/testdir.h"

namespace {

using Wnd = CCMCaptureScreenWnd;
const RECT kArea = {250, 200, 550, 420};

bool Dark(DWORD rgb) {
    return ((rgb >> 16) & 0xFF) < 0x60 && ((rgb >> 8) & 0xFF) < 0x60 && (rgb & 0xFF) < 0x60;
}

class CaptureOutputTest : public CaptureTest {
protected:
    // The composed selection's pixel at a screen point.
    DWORD At(const std::vector<DWORD>& picture, int x, int y) {
        return picture[static_cast<size_t>(y - kArea.top) * (kArea.right - kArea.left) +
                       (x - kArea.left)];
    }
    CCMShapeObj* Shape(size_t index) {
        return static_cast<CCMShapeObj*>(Capture()->GetObjects().at(index).get());
    }
    // Picks a tool as the toolbar does.
    void Tool(int tool) {
        Capture()->GetToolbar().SelectTool(tool);
        Settle();
    }
};

TEST_F(CaptureOutputTest, EachShapeIsDrawnWhereTheMouseWentAndUndoneNewestFirst) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_RECTANGLE);
    Drag(POINT{300, 250}, POINT{400, 330});
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_TRUE(Capture()->IsEditing());
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    std::vector<DWORD> picture = ComposedSelection();
    EXPECT_TRUE(Dark(At(picture, 350, 250)));  // top edge, 1 pixel black pen
    EXPECT_TRUE(Dark(At(picture, 300, 290)));
    EXPECT_EQ(At(picture, 350, 290), PatternAtScreen(POINT{350, 290}));  // not filled

    Tool(TOOL_ELLIPSE);
    Drag(POINT{420, 250}, POINT{520, 330});
    picture = ComposedSelection();
    EXPECT_TRUE(Dark(At(picture, 420, 290)));  // leftmost point of the ellipse
    EXPECT_EQ(At(picture, 423, 253), PatternAtScreen(POINT{423, 253}));  // the corner is empty

    Tool(TOOL_ARROW);
    Drag(POINT{280, 370}, POINT{440, 370});
    CCMShapeObj* arrow = Shape(2);
    ASSERT_EQ(arrow->GetPointCount(), 2);
    EXPECT_EQ(arrow->GetPoint(0).x, 280);
    EXPECT_EQ(arrow->GetPoint(1).x, 440);
    EXPECT_EQ(arrow->GetPoint(1).y, 370);
    picture = ComposedSelection();
    EXPECT_TRUE(Dark(At(picture, 435, 370)));  // inside the head
    EXPECT_TRUE(Dark(At(picture, 400, 370)));  // the shaft
    EXPECT_EQ(At(picture, 435, 390), PatternAtScreen(POINT{435, 390}));

    Tool(TOOL_BRUSH);
    Drag(POINT{280, 400}, POINT{500, 400});
    EXPECT_GE(Shape(3)->GetPointCount(), 2);
    picture = ComposedSelection();
    EXPECT_TRUE(Dark(At(picture, 390, 400)));
    ASSERT_EQ(Capture()->GetObjects().size(), 4u);

    // A click without a drag leaves an 8 x 8 rectangle at the click.
    Tool(TOOL_RECTANGLE);
    Click(POINT{270, 220});
    ASSERT_EQ(Capture()->GetObjects().size(), 5u);
    Gdiplus::Rect box = Shape(4)->GetNormalRect();
    EXPECT_EQ(box.X, 270);
    EXPECT_EQ(box.Y, 220);
    EXPECT_EQ(box.Width, 8);
    EXPECT_EQ(box.Height, 8);

    // Undo takes the newest first; the one before becomes current.
    KeyCombo(VK_CONTROL, 'Z');
    ASSERT_EQ(Capture()->GetObjects().size(), 4u);
    EXPECT_EQ(Capture()->GetCurrentObject(), Capture()->GetObjects().back().get());
    for (int i = 0; i < 4; ++i) KeyCombo(VK_CONTROL, 'Z');
    EXPECT_TRUE(Capture()->GetObjects().empty());
    EXPECT_EQ(Capture()->GetCurrentObject(), nullptr);
    picture = ComposedSelection();
    int differing = 0;
    for (int y = kArea.top; y < kArea.bottom; ++y)
        for (int x = kArea.left; x < kArea.right; ++x)
            differing += At(picture, x, y) != PatternAtScreen(POINT{x, y});
    EXPECT_EQ(differing, 0);
}

TEST_F(CaptureOutputTest, AFailedAllocationFailsThatDrawingOnlyAndTheCaptureGoesOn) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_RECTANGLE);
    FailAllocationsOfSize(sizeof(CCMShapeObj));
    Drag(POINT{300, 250}, POINT{400, 330});
    FailAllocationsOfSize(0);
    ASSERT_NE(Capture(), nullptr);
    EXPECT_TRUE(Capture()->GetObjects().empty());
    Drag(POINT{300, 250}, POINT{400, 330});
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_TRUE(Dark(At(ComposedSelection(), 350, 250)));
}

TEST_F(CaptureOutputTest, DefaultMosaicStrokesLeaveNoCoveredPixelReadable) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_MOSAIC);
    EXPECT_EQ(Capture()->GetOptionBar().GetOptionWidth(), 10);
    EXPECT_EQ(Capture()->GetOptionBar().GetMosaicFuzziness(), 6);
    // Along the bottom and the right edge (the pointer goes past them and is held inside) and
    // across the middle on a diagonal.
    const POINT strokes[][2] = {{{270, 419}, {530, 430}},
                                {{549, 220}, {560, 400}},
                                {{290, 230}, {450, 370}}};
    for (const auto& stroke : strokes) Drag(stroke[0], stroke[1]);
    ASSERT_EQ(Capture()->GetObjects().size(), 3u);
    // The core of each stroke (3 pixels either side of its line, away from its ends) shows
    // blocks: no pixel there keeps the picture's own colour.
    auto readable = [&](const std::vector<DWORD>& picture, int* checked) {
        int raw = 0;
        *checked = 0;
        for (const auto& stroke : strokes) {
            const POINT from = CMClampPoint(stroke[0], kArea), to = CMClampPoint(stroke[1], kArea);
            const double dx = to.x - from.x, dy = to.y - from.y;
            const double length = std::sqrt(dx * dx + dy * dy);
            for (int y = kArea.top; y < kArea.bottom; ++y)
                for (int x = kArea.left; x < kArea.right; ++x) {
                    const double along = ((x - from.x) * dx + (y - from.y) * dy) / length;
                    const double across = ((x - from.x) * dy - (y - from.y) * dx) / length;
                    if (along < 6 || along > length - 6 || std::abs(across) > 3) continue;
                    ++*checked;
                    raw += At(picture, x, y) == PatternAtScreen(POINT{x, y});
                }
        }
        return raw;
    };
    int checked = 0;
    EXPECT_EQ(readable(ComposedSelection(), &checked), 0) << "of " << checked;
    EXPECT_GT(checked, 2000);
    // Away from the strokes nothing changed.
    EXPECT_EQ(At(ComposedSelection(), 500, 250), PatternAtScreen(POINT{500, 250}));

    // The slider restyles every mosaic already drawn, and the coarser blocks hide as well.
    Capture()->ApplyMosaicBlock(12);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Shape(i)->GetBlockSize(), 12);
        EXPECT_TRUE(Shape(i)->HasCachedImage());
    }
    EXPECT_EQ(readable(ComposedSelection(), &checked), 0) << "of " << checked;
}

TEST_F(CaptureOutputTest, CompletionPutsExactlyTheSelectionOnTheClipboardAndNotifiesOnce) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_RECTANGLE);
    Drag(POINT{300, 250}, POINT{400, 330});
    Tool(TOOL_NONE);
    // A double click inside the selection completes.
    MoveMouse(POINT{450, 300});
    MouseButton(true);
    MouseButton(false);
    MouseButton(true);
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return Capture() == nullptr && client.count > 0; }));
    PumpPending();  // a second notification would be queued by now
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(client.count, 1);
    EXPECT_EQ(client.clipboardClosed, 1);
    ASSERT_TRUE(::OpenClipboard(client.GetHWND()));
    auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    ASSERT_NE(bitmap, nullptr);
    SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(size.cx, kArea.right - kArea.left);
    EXPECT_EQ(size.cy, kArea.bottom - kArea.top);
    std::vector<DWORD> pixels = BitmapPixels(bitmap);
    ::CloseClipboard();
    int differing = 0;
    for (int y = kArea.top; y < kArea.bottom; ++y)
        for (int x = kArea.left; x < kArea.right; ++x) {
            bool onRectangle = (x >= 299 && x <= 401 && y >= 249 && y <= 331) &&
                               !(x >= 302 && x <= 398 && y >= 252 && y <= 328);
            if (!onRectangle) differing += At(pixels, x, y) != PatternAtScreen(POINT{x, y});
        }
    EXPECT_EQ(differing, 0);  // no border, handles, dimming or label in the picture
    EXPECT_TRUE(Dark(At(pixels, 350, 250)));
}

// A clipboard owner that shuts the clipboard when asked to give it up, so the next owner's
// SetClipboardData finds it closed and fails.
LRESULT CALLBACK ClosingOwnerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROYCLIPBOARD) ::CloseClipboard();
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

TEST_F(CaptureOutputTest, AClipboardThatIsBusyOrRefusesThePictureKeepsTheCaptureAndTellsNobody) {
    ASSERT_TRUE(SelectArea(kArea));
    // Busy: another window holds it open.
    ASSERT_TRUE(::OpenClipboard(client.GetHWND()));
    Capture()->CompleteToClipboard();
    EXPECT_NE(Capture(), nullptr);
    ::CloseClipboard();

    // Refused: the picture does not get onto it; the user is told, the capture stays.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ClosingOwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CaptureTestClosingOwner";
    ::RegisterClassW(&wc);
    HWND owner = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    ::CloseClipboard();
    std::vector<std::wstring> messages;
    {
        DialogAnswer answer({});
        Capture()->CompleteToClipboard();
        messages = answer.MessageTexts();
    }
    ::DestroyWindow(owner);
    ASSERT_NE(Capture(), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(L"截图未能复制到剪贴板"), std::wstring::npos);
    Settle();
    EXPECT_EQ(client.count, 0);

    // Once the clipboard takes it, the capture completes.
    ::PostMessageW(Capture()->GetHWND(), WM_CAPTURE_ACTION, 1, 0);
    ASSERT_TRUE(PumpUntil([this] { return client.count > 0; }));
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(client.count, 1);
}

TEST_F(CaptureOutputTest, WithoutAClientWindowTheNotificationReachesTheCallingThread) {
    ASSERT_EQ(CaptureScreenToClipboard(nullptr, NotifyWindow::kMessage), 1);
    Drag(POINT{kArea.left, kArea.top}, POINT{kArea.right, kArea.bottom});
    ASSERT_EQ(Capture()->GetMode(), CCMCaptureScreenWnd::MODE_SELECTED);
    Capture()->CompleteToClipboard();
    EXPECT_EQ(Capture(), nullptr);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, NotifyWindow::kMessage, NotifyWindow::kMessage,
                               PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
}

std::string Head(const std::wstring& path, size_t n) { return ReadFileBytes(path).substr(0, n); }

TEST_F(CaptureOutputTest, SavingChoosesTheFormatByExtensionAndRemembersTheFolder) {
    TestDir dir(L"capturesave");
    ASSERT_TRUE(SelectArea(kArea));
    const struct {
        const wchar_t* name;
        std::string magic;
    } cases[] = {{L"a.png", "\x89PNG"},
                 {L"b.JPG", "\xFF\xD8\xFF"},
                 {L"c.jpeg", "\xFF\xD8\xFF"},
                 {L"d.bmp", "BM"},
                 {L"e.gif", "BM"}};
    for (const auto& c : cases) {
        DialogAnswer answer({dir / c.name});
        EXPECT_TRUE(Capture()->SaveToFile());
        EXPECT_EQ(Head(dir / c.name, c.magic.size()), c.magic) << std::string(c.name, c.name + 5);
    }
    EXPECT_EQ(CNTRegEdit(kCaptureSettingsKey).ReadString(L"SavePicPath", L""), dir.Path() + L"\\");
    // The PNG holds exactly the selection's pixels.
    {
        Gdiplus::Bitmap png((dir / L"a.png").c_str());
        ASSERT_EQ(png.GetWidth(), static_cast<UINT>(kArea.right - kArea.left));
        ASSERT_EQ(png.GetHeight(), static_cast<UINT>(kArea.bottom - kArea.top));
        Gdiplus::Color c;
        png.GetPixel(123, 45, &c);
        EXPECT_EQ(c.GetValue() & 0xFFFFFF,
                  PatternAtScreen(POINT{kArea.left + 123, kArea.top + 45}));
    }
    // A cancelled dialog keeps the capture and writes nothing.
    {
        DialogAnswer answer({L""});
        EXPECT_FALSE(Capture()->SaveToFile());
    }
    EXPECT_NE(Capture(), nullptr);
    // Ctrl+S in a later capture proposes the remembered folder: a bare name lands there, and
    // the capture closes without telling the client.
    EndCapture();
    ASSERT_TRUE(SelectArea(kArea));
    {
        DialogAnswer answer({L"again.png"});
        KeyCombo(VK_CONTROL, 'S');
        PumpUntil([] { return Capture() == nullptr; });
    }
    EXPECT_EQ(Head(dir / L"again.png", 4), "\x89PNG");
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(client.count, 0);
}

TEST_F(CaptureOutputTest, AFileThatCannotBeWrittenKeepsTheCaptureAndSaysSo) {
    TestDir dir(L"capturelocked");
    std::wstring target = dir / L"locked.png";
    ASSERT_TRUE(WriteFileBytes(target, "old"));
    HANDLE lock =
        ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SelectArea(kArea));
    std::vector<std::wstring> messages;
    {
        DialogAnswer answer({target});  // the overwrite question is answered yes
        EXPECT_FALSE(Capture()->SaveToFile());
        messages = answer.MessageTexts();
    }
    ::CloseHandle(lock);
    EXPECT_NE(Capture(), nullptr);
    bool told = false;
    for (const std::wstring& m : messages)
        told = told || m.find(L"截图未能保存") != std::wstring::npos;
    EXPECT_TRUE(told);
    EXPECT_EQ(ReadFileBytes(target), "old");
}

TEST_F(CaptureOutputTest, EachToolsChoicesAreStoredAndComeBackInTheNextCapture) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_RECTANGLE);
    HWND options = Capture()->GetOptionBar().GetHWND();
    ASSERT_TRUE(::IsWindowVisible(options));
    Click(SkinProbe::ControlCenter(options, L"optiontoolbar.xml", L"btn_color11"));
    Click(SkinProbe::ControlCenter(options, L"optiontoolbar.xml", L"btn_brush3"));
    CNTRegEdit key(kCaptureSettingsKey);
    EXPECT_EQ(key.ReadDword(L"RectangleColorIndex", 99), 10u);
    EXPECT_EQ(key.ReadDword(L"RectangleSizeIndex", 99), 2u);
    EXPECT_EQ(key.ReadDword(L"EllipseColorIndex", 99), 99u);
    EndCapture();

    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_ELLIPSE);  // another tool keeps its own (default) choice
    EXPECT_EQ(Capture()->GetOptionBar().GetOptionColor(), 0xFF000000u);
    Tool(TOOL_RECTANGLE);
    EXPECT_EQ(Capture()->GetOptionBar().GetOptionColor(), 0xFFFB3838u);
    EXPECT_EQ(Capture()->GetOptionBar().GetOptionWidth(), 4);
    Drag(POINT{300, 250}, POINT{400, 330});
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_EQ(Shape(0)->GetColor(), 0xFFFB3838u);
    EXPECT_EQ(Shape(0)->GetWidth(), 4);
    std::vector<DWORD> picture = ComposedSelection();
    EXPECT_EQ(At(picture, 350, 250), 0xFB3838u);
}

}  // namespace
