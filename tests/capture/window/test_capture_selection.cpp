// The capture window under real input on a known screen: the export and its single instance,
// snapping (windows, the taskbar, nothing), the rubber band and its 4-pixel rule, handles with
// swapping, moving against the screen's edges, cancelling, the right-click menu and a skin
// that cannot be loaded.
#include "capture/window/capturetestkit.h"

#include "capture/capturegeometry.h"
#include "capture/capturemodule.h"
#include "capture/captureresources.h"
#include "capture/glimter.h"
#include "capture/objects/ccmdrawobj.h"
#include "capture/objects/ccmtooltable.h"

namespace {

using Wnd = CCMCaptureScreenWnd;

std::string Text(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
           "," + std::to_string(rc.bottom);
}

std::string Selection() { return Text(Capture()->GetSelectionRect()); }

bool Visible(HWND wnd) { return ::IsWindowVisible(wnd) != FALSE; }

void MenuCommand(const wchar_t* item) {
    size_t length = wcslen(item) + 1;
    auto* copy = new wchar_t[length];
    wcscpy(copy, item);
    ::PostMessageW(Capture()->GetHWND(), WM_CAPTURE_MENUCMD, 1, reinterpret_cast<LPARAM>(copy));
    Settle();
}

// The window's pending update region.
std::unique_ptr<std::remove_pointer_t<HRGN>, CMGdiObjectDeleter> UpdateRegion(HWND window) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ::GetUpdateRgn(window, region, FALSE);
    return std::unique_ptr<std::remove_pointer_t<HRGN>, CMGdiObjectDeleter>(region);
}

class CaptureSelectionTest : public CaptureTest {};

TEST_F(CaptureSelectionTest, ExportStartsOneCaptureOverTheFrozenScreen) {
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    ASSERT_NE(Capture(), nullptr);
    // A second call while the capture runs changes nothing.
    EXPECT_EQ(CaptureScreenToClipboard(client.GetHWND(), NotifyWindow::kMessage), 0);
    HWND window = Capture()->GetHWND();
    RECT rc;
    ::GetWindowRect(window, &rc);
    RECT bounds;
    GetDisplaysBounds(&bounds);
    EXPECT_EQ(Text(rc), Text(bounds));
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTING);
    EXPECT_FALSE(Visible(Capture()->GetToolbar().GetHWND()));
    // The snapshot was taken before the window showed: the pattern is in it, and the overlay
    // shows it dimmed (black at half alpha over the pattern).
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(memory, Capture()->GetSnapshot());
    COLORREF frozen = ::GetPixel(memory, 300, 250);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    DWORD expected = PatternAtScreen(POINT{300, 250});
    EXPECT_EQ((GetRValue(frozen) << 16) | (GetGValue(frozen) << 8) | GetBValue(frozen), expected);
    MoveMouse(POINT{1000, 700});  // nothing there: the whole screen is the selection, not dimmed
    DWORD dimmedElsewhere = ScreenPixel(POINT{300, 250});
    EXPECT_EQ(dimmedElsewhere, expected);
    EXPECT_EQ(Selection(), Text(bounds));
    // Escape ends it without telling the client.
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_FALSE(::FindWindowW(L"CCMCaptureScreenWnd", nullptr));
    EXPECT_EQ(client.count, 0);
    // And the next capture may start.
    EXPECT_EQ(StartCapture(client.GetHWND()), 1);
}

TEST_F(CaptureSelectionTest, TheCaptureRunsItsThreadPerMonitorAwareAndGivesTheContextBack) {
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using SameContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto get = reinterpret_cast<GetContext>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto same = reinterpret_cast<SameContext>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    if (!get || !same || !set) GTEST_SKIP() << "no thread DPI contexts on this system";
    // A host that declared nothing: the capture must not leave its thread otherwise.
    const DPI_AWARENESS_CONTEXT original = set(DPI_AWARENESS_CONTEXT_UNAWARE);
    const DPI_AWARENESS_CONTEXT before = get();
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    const DPI_AWARENESS_CONTEXT during = get();
    EXPECT_TRUE(same(during, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                same(during, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE));
    EndCapture();
    EXPECT_TRUE(PumpUntil([&] { return same(get(), before) != FALSE; }));
    if (original) set(original);
}

TEST_F(CaptureSelectionTest, PointerSnapsToTheWindowUnderItAndAClickSelectsIt) {
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    MoveMouse(POINT{400, 300});
    EXPECT_EQ(Selection(), Text(kPattern));
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTING);
    // Outside the selection the overlay is dimmed: half of the snapshot's colour.
    DWORD outside = ScreenPixel(POINT{100, 100});
    EXPECT_LE(outside & 0xFF, 0x80u);
    EXPECT_EQ(ScreenPixel(POINT{400, 300}), PatternAtScreen(POINT{400, 300}));
    Click(POINT{400, 300});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_EQ(Selection(), Text(kPattern));
    // The toolbar shows below the selection, right-aligned; no tool, so no option bar.
    HWND toolbar = Capture()->GetToolbar().GetHWND();
    EXPECT_TRUE(Visible(toolbar));
    RECT bar;
    ::GetWindowRect(toolbar, &bar);
    EXPECT_EQ(bar.right, kPattern.right);
    EXPECT_EQ(bar.top, kPattern.bottom + 10);
    EXPECT_FALSE(Visible(Capture()->GetOptionBar().GetHWND()));
    // The border is drawn in the accent blue.
    EXPECT_EQ(ScreenPixel(POINT{300, kPattern.top}), 0x0099FFu);
}

TEST_F(CaptureSelectionTest, TheTaskbarWinsWhereverItIsUnderThePointer) {
    PatternWindow taskbar(RECT{0, 984, 1280, 1024}, L"Shell_TrayWnd");
    PatternWindow above(RECT{100, 950, 300, 1010}, L"CaptureTestAbove");
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    MoveMouse(POINT{150, 1000});
    EXPECT_EQ(Selection(), "0,984,1280,1024");
    MoveMouse(POINT{150, 960});
    EXPECT_EQ(Selection(), "100,950,300,1010");
}

TEST_F(CaptureSelectionTest, RubberBandNeedsFourPixelsAndKeepsFollowingUntilThen) {
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    Drag(POINT{300, 200}, POINT{302, 202});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_RESIZING);
    EXPECT_EQ(Selection(), "300,200,302,202");
    EXPECT_FALSE(Visible(Capture()->GetToolbar().GetHWND()));
    // With the button up the band still follows; the next release settles it.
    MoveMouse(POINT{500, 400});
    EXPECT_EQ(Selection(), "300,200,500,400");
    Click(POINT{500, 400});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_EQ(Selection(), "300,200,500,400");
    EXPECT_TRUE(Visible(Capture()->GetToolbar().GetHWND()));
    // A move of the band leaves only the swept strips and the label to repaint, not the
    // selection's inside.
    EndCapture();
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    MoveMouse(POINT{300, 200});
    MouseButton(true);
    MoveMouse(POINT{600, 500});
    HWND window = Capture()->GetHWND();
    ::ValidateRect(window, nullptr);
    ::SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(610, 505));
    RECT inside = {400, 300, 500, 400}, edge = {605, 350, 606, 351};
    EXPECT_FALSE(::RectInRegion(UpdateRegion(window).get(), &inside));
    EXPECT_TRUE(::RectInRegion(UpdateRegion(window).get(), &edge));
    MouseButton(false);
    EXPECT_EQ(Selection(), "300,200,610,505");
    // Dragged up and left of the press point the band turns around the press point.
    EndCapture();
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    Drag(POINT{500, 400}, POINT{320, 250});
    EXPECT_EQ(Selection(), "320,250,500,400");
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
}

TEST_F(CaptureSelectionTest, HandlesResizeAndSwapEdgesWhenDraggedAcross) {
    ASSERT_TRUE(SelectArea(RECT{300, 200, 500, 400}));
    // Handle 5 dragged left of the left edge and below: it continues as handle 7.
    MoveMouse(POINT{500, 400});
    MouseButton(true);
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_RESIZING);
    EXPECT_EQ(Capture()->GetActiveHandle(), 5);
    EXPECT_FALSE(Visible(Capture()->GetToolbar().GetHWND()));
    MoveMouse(POINT{250, 450});
    EXPECT_EQ(Capture()->GetActiveHandle(), 7);
    EXPECT_EQ(Selection(), "250,200,300,450");
    MoveMouse(POINT{260, 470});
    MouseButton(false);
    EXPECT_EQ(Selection(), "260,200,300,470");
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    // Inside the selection the move cursor shows even over a handle's inner half, while a
    // press there would still resize; outside, the handle's own cursor.
    MoveMouse(POINT{298, 468});
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEALL));
    MoveMouse(POINT{301, 471});
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZENWSE));
    // The top edge's handle moves only the top.
    Drag(POINT{280, 200}, POINT{200, 150});
    EXPECT_EQ(Selection(), "260,150,300,470");
    EXPECT_TRUE(Visible(Capture()->GetToolbar().GetHWND()));
}

TEST_F(CaptureSelectionTest, MovingAgainstTheScreenEdgeShrinksToNoLessThan32Pixels) {
    ASSERT_TRUE(SelectArea(RECT{300, 200, 500, 400}));
    Drag(POINT{400, 300}, POINT{40, 300});
    EXPECT_EQ(Selection(), "0,200,140,400");
    Drag(POINT{130, 300}, POINT{0, 300});
    EXPECT_EQ(Selection(), "0,200,32,400");
    // Away from the edge it keeps its size again.
    Drag(POINT{20, 300}, POINT{120, 350});
    EXPECT_EQ(Selection(), "100,250,132,450");
}

TEST_F(CaptureSelectionTest, RightClickCancelsReselectsOrOpensTheMenu) {
    // Nothing selected yet: cancel.
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    RightClick(POINT{400, 300});
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(client.count, 0);
    // Outside a selection before annotating: back to snapping, annotations gone.
    ASSERT_TRUE(SelectArea(RECT{300, 200, 500, 400}));
    RightClick(POINT{700, 600});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTING);
    EXPECT_FALSE(Visible(Capture()->GetToolbar().GetHWND()));
    MoveMouse(POINT{400, 300});
    EXPECT_EQ(Selection(), Text(kPattern));
    Click(POINT{400, 300});
    // While annotating a right click outside does nothing.
    Capture()->GetToolbar().SelectTool(TOOL_RECTANGLE);
    Drag(POINT{300, 200}, POINT{350, 250});
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    RightClick(POINT{700, 600});
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_EQ(Capture()->GetObjects().size(), 1u);
    // Inside, the menu opens; closing the capture closes its menu too.
    RightClick(POINT{400, 300});
    HWND menu = ::FindWindowW(L"NTSkinMenu", nullptr);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Visible(menu));
    EXPECT_EQ(::GetWindow(menu, GW_OWNER), Capture()->GetHWND());
    PressKey(VK_ESCAPE);
    Settle();
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_FALSE(::IsWindow(menu));
    EXPECT_EQ(client.count, 0);
}

// Clicks an entry of the open right-click menu, laid out without the entry it hides.
bool ClickMenu(const wchar_t* item, const wchar_t* hiddenItem) {
    HWND menu = ::FindWindowW(L"NTSkinMenu", nullptr);
    if (!menu) return false;
    POINT at = SkinProbe::ControlCenter(menu, L"popmenu.xml", item, {hiddenItem});
    if (at.x < 0) return false;
    Click(at);
    return true;
}

TEST_F(CaptureSelectionTest, TheMenuOffersHideOrShowAndItsClicksReachTheCapture) {
    ASSERT_TRUE(SelectArea(RECT{300, 200, 500, 400}));
    HWND toolbar = Capture()->GetToolbar().GetHWND();
    RightClick(POINT{400, 300});
    ASSERT_TRUE(ClickMenu(L"hidetool_btn", L"showtool_btn"));
    EXPECT_FALSE(Visible(toolbar));
    EXPECT_FALSE(::FindWindowW(L"NTSkinMenu", nullptr));
    // With the toolbar hidden the menu offers to show it.
    RightClick(POINT{400, 300});
    ASSERT_TRUE(ClickMenu(L"showtool_btn", L"hidetool_btn"));
    EXPECT_TRUE(Visible(toolbar));
    RightClick(POINT{400, 300});
    ASSERT_TRUE(ClickMenu(L"mosaic_btn", L"showtool_btn"));
    EXPECT_EQ(Capture()->GetToolbar().GetCurrentTool(), TOOL_MOSAIC);
    RightClick(POINT{400, 300});
    ASSERT_TRUE(ClickMenu(L"exit_btn", L"showtool_btn"));
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_EQ(client.count, 0);
}

TEST_F(CaptureSelectionTest, MenuCommandsHideShowToggleAndReselect) {
    ASSERT_TRUE(SelectArea(RECT{300, 200, 500, 400}));
    HWND toolbar = Capture()->GetToolbar().GetHWND();
    HWND options = Capture()->GetOptionBar().GetHWND();
    MenuCommand(L"ellipse_btn");
    EXPECT_EQ(Capture()->GetToolbar().GetCurrentTool(), TOOL_ELLIPSE);
    EXPECT_TRUE(Visible(options));
    MenuCommand(L"hidetool_btn");
    EXPECT_FALSE(Visible(toolbar));
    EXPECT_FALSE(Visible(options));
    MenuCommand(L"showtool_btn");
    EXPECT_TRUE(Visible(toolbar));
    EXPECT_TRUE(Visible(options));
    MenuCommand(L"ellipse_btn");  // toggles off
    EXPECT_EQ(Capture()->GetToolbar().GetCurrentTool(), TOOL_NONE);
    EXPECT_FALSE(Visible(options));
    MenuCommand(L"reselect_btn");
    EXPECT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTING);
    MenuCommand(L"exit_btn");
    EXPECT_EQ(Capture(), nullptr);
}

TEST_F(CaptureSelectionTest, ACaptureThatCannotCoverTheScreenFailsAndLeavesNothingBehind) {
    CPaintManagerUI::SetResourcePath((BinaryDir() + L"tests\\capture\\window\\noskin").c_str());
    EXPECT_EQ(CaptureScreenToClipboard(client.GetHWND(), NotifyWindow::kMessage), 0);
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_FALSE(::FindWindowW(L"CCMCaptureScreenWnd", nullptr));
    CPaintManagerUI::SetResourcePath(DistSkinDir().c_str());
    // No display found: no 0 x 0 window that would block every later capture.
    EXPECT_EQ(CMStartCapture(RECT{}, client.GetHWND(), NotifyWindow::kMessage), 0);
    EXPECT_EQ(Capture(), nullptr);
    EXPECT_FALSE(::FindWindowW(L"CCMCaptureScreenWnd", nullptr));
    EXPECT_EQ(StartCapture(client.GetHWND()), 1);
}

TEST(CaptureModule, CrosshairCursorDecoratedExportAndStartUpOnFirstCapture) {
    HCURSOR cross = static_cast<HCURSOR>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_CAPTURE_CROSS), IMAGE_CURSOR, 32, 32, 0));
    ASSERT_NE(cross, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(cross, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 14u);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    ::DestroyCursor(cross);
    // The client resolves the Visual C++ name; the plain alias is the same function.
    const std::wstring path = BinaryDir() + L"dist\\glimter.dll";
    HMODULE dll = ::LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr);
    FARPROC decorated = ::GetProcAddress(dll, "?CaptureScreenToClipboard@@YAHPEAUHWND__@@I@Z");
    EXPECT_NE(decorated, nullptr);
    EXPECT_EQ(decorated, ::GetProcAddress(dll, "CaptureScreenToClipboard"));
    // Loading starts nothing (no GDI+ under the loader lock), so the library unloads whole.
    ::FreeLibrary(dll);
    EXPECT_EQ(::GetModuleHandleW(L"glimter.dll"), nullptr);
    // The first capture starts GDI+; from then on the library stays, so GDI+ is never stopped
    // by an unload.
    dll = ::LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr);
    auto start = reinterpret_cast<int(__cdecl*)(HWND, UINT)>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "CaptureScreenToClipboard")));
    ASSERT_NE(start, nullptr);
    ASSERT_EQ(start(nullptr, 0), 1);
    const HWND window = ::FindWindowW(L"CCMCaptureScreenWnd", nullptr);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CAPTURE_ACTION, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); }));
    ::FreeLibrary(dll);
    EXPECT_EQ(::GetModuleHandleW(L"glimter.dll"), dll);
}

}  // namespace

namespace {

// Wine shows a single display here (Xvfb's Xinerama heads all start at 0,0), so a virtual
// screen reaching left of and above the primary display is made by placing the capture window
// there, as the export does for such a layout: every conversion then runs with a non-zero
// origin.
TEST_F(CaptureSelectionTest, AWindowOriginLeftOfAndAboveTheScreenKeepsEverythingAligned) {
    ASSERT_EQ(CMStartCapture(RECT{-200, -100, 1280, 1024}, client.GetHWND(),
                             NotifyWindow::kMessage),
              1);
    const HWND window = Capture()->GetHWND();
    EXPECT_EQ(Text(Capture()->GetScreenRect()), "-200,-100,1280,1024");
    // Input reaches the capture only once it is in front, and the checks below read the screen.
    ASSERT_TRUE(PumpUntil([window] {
        return ::GetForegroundWindow() == window && !::GetUpdateRect(window, nullptr, FALSE);
    }));
    Drag(POINT{300, 200}, POINT{500, 400});
    ASSERT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_EQ(Selection(), "300,200,500,400");
    // The overlay lines up with the screen: border where the selection is, the frozen pattern
    // unshaded inside it.
    EXPECT_EQ(ScreenPixel(POINT{350, 200}), 0x0099FFu);
    EXPECT_EQ(ScreenPixel(POINT{420, 330}), PatternAtScreen(POINT{420, 330}));
    Capture()->GetToolbar().SelectTool(TOOL_RECTANGLE);
    Drag(POINT{320, 220}, POINT{420, 320});
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    Gdiplus::Rect box = Capture()->GetObjects()[0]->GetNormalRect();
    EXPECT_EQ(box.X, 320);
    EXPECT_EQ(box.Y, 220);
    // Drawn where it was dragged, on the screen and in the composed picture.
    EXPECT_LT(ScreenPixel(POINT{370, 220}) & 0xFF, 0x60u);
    CMBitmapPtr picture = Capture()->ComposeImage(Capture()->GetSelectionRect(), true, nullptr);
    ASSERT_TRUE(picture);
    EXPECT_LT(BitmapPixel(picture.get(), 70, 20) & 0xFF, 0x60u);
    EXPECT_EQ(BitmapPixel(picture.get(), 150, 150), PatternAtScreen(POINT{450, 350}));
    // The toolbar sits below the selection in screen terms.
    RECT bar;
    ::GetWindowRect(Capture()->GetToolbar().GetHWND(), &bar);
    EXPECT_EQ(bar.right, 500);
    EXPECT_EQ(bar.top, 410);
}

}  // namespace
