// The capture's keys outside a text box: Enter and Ctrl+C finish as a double click does, arrows
// move the pointer or the settled selection (Shift: its far edges), redo brings undone
// annotations back in order until a new one is drawn, and Shift constrains the drawn shapes.
#include "capture/window/capturetestkit.h"

#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"

namespace {

using Wnd = CCMCaptureScreenWnd;
const RECT kArea = {250, 200, 550, 420};

class CaptureKeysTest : public CaptureTest {
protected:
    void Tool(int tool) {
        Capture()->GetToolbar().SelectTool(tool);
        Settle();
    }
    CCMShapeObj* Shape(size_t index) {
        return static_cast<CCMShapeObj*>(Capture()->GetObjects().at(index).get());
    }
    // Waits for the capture to close with one notification and returns the clipboard picture's
    // size and its top-left pixel.
    void ExpectFinishedWith(const RECT& rc, int notifications) {
        ASSERT_TRUE(PumpUntil([&] { return Capture() == nullptr && client.count > 0; }));
        PumpPending();
        EXPECT_EQ(client.count, notifications);
        ASSERT_TRUE(::OpenClipboard(client.GetHWND()));
        auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
        SIZE size = bitmap ? BitmapSize(bitmap) : SIZE{};
        DWORD corner = bitmap ? BitmapPixel(bitmap, 0, 0) : 0;
        ::CloseClipboard();
        EXPECT_EQ(size.cx, rc.right - rc.left);
        EXPECT_EQ(size.cy, rc.bottom - rc.top);
        EXPECT_EQ(corner, PatternAtScreen(POINT{rc.left, rc.top}));
    }
    // A drag whose last move has Shift held. The move is handed to the window as the system
    // would: under Wine the pointer's own X events report the modifiers up again.
    void ShiftDrag(POINT from, POINT to) {
        MoveMouse(from);
        MouseButton(true);
        const RECT screen = Capture()->GetScreenRect();
        ::SendMessageW(Capture()->GetHWND(), WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT,
                       MAKELPARAM(to.x - screen.left, to.y - screen.top));
        MouseButton(false);
    }
    static std::string Text(const RECT& rc) {
        return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
               std::to_string(rc.right) + "," + std::to_string(rc.bottom);
    }
};

TEST_F(CaptureKeysTest, EnterAndCtrlCFinishAsADoubleClickDoes) {
    ASSERT_TRUE(SelectArea(kArea));
    PressKey(VK_RETURN);
    ExpectFinishedWith(kArea, 1);

    // While snapping, the window under the pointer is what a double click would take.
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    MoveMouse(POINT{400, 300});
    KeyCombo(VK_CONTROL, 'C');
    ExpectFinishedWith(kPattern, 2);
}

TEST_F(CaptureKeysTest, ArrowsMoveThePointerThenTheSelectionAndShiftMovesItsFarEdges) {
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    MoveMouse(POINT{400, 300});
    PressKey(VK_RIGHT);
    PressKey(VK_UP);
    POINT pointer = {};
    ::GetCursorPos(&pointer);
    EXPECT_EQ(pointer.x, 401);
    EXPECT_EQ(pointer.y, 299);
    EndCapture();

    ASSERT_TRUE(SelectArea(kArea));
    RECT barBefore, barAfter;
    ::GetWindowRect(Capture()->GetToolbar().GetHWND(), &barBefore);
    PressKey(VK_LEFT);
    PressKey(VK_DOWN);
    RECT moved = kArea;
    ::OffsetRect(&moved, -1, 1);
    RECT selection = Capture()->GetSelectionRect();
    EXPECT_TRUE(::EqualRect(&selection, &moved)) << Text(selection);
    ::GetWindowRect(Capture()->GetToolbar().GetHWND(), &barAfter);
    EXPECT_EQ(barAfter.left, barBefore.left - 1);
    EXPECT_EQ(barAfter.top, barBefore.top + 1);
    EXPECT_EQ(ComposedSelection().at(0), PatternAtScreen(POINT{moved.left, moved.top}));

    KeyCombo(VK_SHIFT, VK_LEFT);
    KeyCombo(VK_SHIFT, VK_DOWN);
    selection = Capture()->GetSelectionRect();
    EXPECT_EQ(Text(selection),
              Text(RECT{moved.left, moved.top, moved.right - 1, moved.bottom + 1}));
    std::vector<DWORD> picture = ComposedSelection();
    EXPECT_EQ(picture.size(), static_cast<size_t>(299 * 221));

    // Once annotations are drawn the selection stays where they were drawn, as for a drag.
    Tool(TOOL_RECTANGLE);
    Drag(POINT{300, 250}, POINT{400, 330});
    PressKey(VK_RIGHT);
    RECT still = Capture()->GetSelectionRect();
    EXPECT_TRUE(::EqualRect(&still, &selection)) << Text(still);
}

TEST_F(CaptureKeysTest, RedoBringsBackUndoneShapesInOrderUntilANewOneIsDrawn) {
    ASSERT_TRUE(SelectArea(kArea));
    Tool(TOOL_RECTANGLE);
    Drag(POINT{300, 250}, POINT{400, 330});
    Tool(TOOL_ELLIPSE);
    Drag(POINT{420, 250}, POINT{520, 330});
    const CCMDrawObj* rectangle = Shape(0);
    const CCMDrawObj* ellipse = Shape(1);
    const std::vector<DWORD> drawn = ComposedSelection();

    KeyCombo(VK_CONTROL, 'Z');
    Capture()->UndoLast();  // the toolbar's undo
    ASSERT_TRUE(Capture()->GetObjects().empty());
    KeyCombo(VK_CONTROL, 'Y');
    ASSERT_EQ(Capture()->GetObjects().size(), 1u);
    EXPECT_EQ(Capture()->GetObjects()[0].get(), rectangle);
    HoldKey(VK_CONTROL, true);
    KeyCombo(VK_SHIFT, 'Z');
    HoldKey(VK_CONTROL, false);
    ASSERT_EQ(Capture()->GetObjects().size(), 2u);
    EXPECT_EQ(Capture()->GetObjects()[1].get(), ellipse);
    EXPECT_EQ(Capture()->GetCurrentObject(), ellipse);
    EXPECT_TRUE(ComposedSelection() == drawn);
    KeyCombo(VK_CONTROL, 'Y');  // nothing left to bring back
    EXPECT_EQ(Capture()->GetObjects().size(), 2u);

    // A new shape ends what could be brought back.
    KeyCombo(VK_CONTROL, 'Z');
    EXPECT_EQ(Capture()->GetRedoCount(), 1u);
    Tool(TOOL_ARROW);
    Drag(POINT{280, 370}, POINT{440, 370});
    EXPECT_EQ(Capture()->GetRedoCount(), 0u);
    KeyCombo(VK_CONTROL, 'Y');
    ASSERT_EQ(Capture()->GetObjects().size(), 2u);
    EXPECT_EQ(Capture()->GetObjects()[0].get(), rectangle);
}

TEST_F(CaptureKeysTest, ShiftKeepsRectanglesSquareEllipsesRoundAndArrowsOn45Degrees) {
    ASSERT_TRUE(SelectArea(kArea));
    const struct {
        int tool;
        POINT from, to;
    } drags[] = {{TOOL_RECTANGLE, {300, 250}, {400, 300}},
                 {TOOL_ELLIPSE, {450, 400}, {420, 330}},
                 {TOOL_ARROW, {280, 370}, {440, 390}},
                 {TOOL_ARROW, {300, 300}, {360, 350}}};
    for (const auto& drag : drags) {
        Tool(drag.tool);
        ShiftDrag(drag.from, drag.to);
    }
    ASSERT_EQ(Capture()->GetObjects().size(), 4u);
    Gdiplus::Rect square = Shape(0)->GetNormalRect();
    EXPECT_EQ(square.X, 300);
    EXPECT_EQ(square.Y, 250);
    EXPECT_EQ(square.Width, 50);
    EXPECT_EQ(square.Height, 50);
    Gdiplus::Rect circle = Shape(1)->GetNormalRect();
    EXPECT_EQ(circle.X, 420);
    EXPECT_EQ(circle.Y, 370);
    EXPECT_EQ(circle.Width, 30);
    EXPECT_EQ(circle.Height, 30);
    EXPECT_EQ(Shape(2)->GetPoint(1).x, 440);
    EXPECT_EQ(Shape(2)->GetPoint(1).y, 370);
    EXPECT_EQ(Shape(3)->GetPoint(1).x, 350);
    EXPECT_EQ(Shape(3)->GetPoint(1).y, 350);
}

}  // namespace
