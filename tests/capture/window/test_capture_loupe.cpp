// The loupe while the selection is chosen: beside the pointer and turned away from the screen's
// edges, showing the frozen screen's pixels enlarged with the pointer's position and colour, and
// gone once the selection settles; never part of the picture handed out.
#include "capture/window/capturetestkit.h"

namespace {

using Wnd = CCMCaptureScreenWnd;

class CaptureLoupeTest : public CaptureTest {
protected:
    static bool NoLoupe() {
        const RECT loupe = Capture()->GetLoupeRect();
        return ::IsRectEmpty(&loupe) != FALSE;
    }
    // The loupe's enlarged square of the screen pixel that far from the pointer's pixel.
    static POINT Cell(const RECT& loupe, int dx, int dy) {
        const int centre = Wnd::kLoupeCells / 2 * Wnd::kLoupeZoom + Wnd::kLoupeZoom / 2;
        return POINT{loupe.left + 1 + centre + dx * Wnd::kLoupeZoom + 2,
                     loupe.top + 1 + centre + dy * Wnd::kLoupeZoom + 2};
    }
};

TEST_F(CaptureLoupeTest, FollowsThePointerOnTheScreenAndLeavesOnceTheSelectionSettles) {
    ASSERT_EQ(StartCapture(client.GetHWND()), 1);
    const POINT pointer = {300, 200};
    MoveMouse(pointer);
    RECT loupe = Capture()->GetLoupeRect();
    EXPECT_GT(loupe.left, pointer.x);
    EXPECT_GT(loupe.top, pointer.y);
    // The pattern's pixels appear enlarged, each neighbour in its own square.
    ASSERT_TRUE(
        PumpUntil([&] { return ScreenPixel(Cell(loupe, 0, 0)) == PatternAtScreen(pointer); }));
    EXPECT_EQ(ScreenPixel(Cell(loupe, 3, -2)),
              PatternAtScreen(POINT{pointer.x + 3, pointer.y - 2}));
    EXPECT_EQ(ScreenPixel(Cell(loupe, -7, 7)),
              PatternAtScreen(POINT{pointer.x - 7, pointer.y + 7}));

    // Near the bottom-right corner it moves to the pointer's other side and stays on the screen.
    const RECT screen = Capture()->GetScreenRect();
    const POINT corner = {screen.right - 5, screen.bottom - 5};
    MoveMouse(corner);
    loupe = Capture()->GetLoupeRect();
    EXPECT_LT(loupe.right, corner.x);
    EXPECT_LT(loupe.bottom, corner.y);
    EXPECT_GE(loupe.left, screen.left);
    EXPECT_GE(loupe.top, screen.top);

    // It goes with the rubber band and comes back for a handle, but never into the picture.
    Drag(POINT{250, 200}, POINT{550, 420});
    ASSERT_EQ(Capture()->GetMode(), Wnd::MODE_SELECTED);
    EXPECT_TRUE(NoLoupe());
    MoveMouse(POINT{250, 200});
    MouseButton(true);
    MoveMouse(POINT{300, 240});
    loupe = Capture()->GetLoupeRect();
    EXPECT_FALSE(::IsRectEmpty(&loupe));
    RECT shown;
    const RECT selection = Capture()->GetSelectionRect();
    ASSERT_TRUE(::IntersectRect(&shown, &loupe, &selection));
    std::vector<DWORD> picture = ComposedSelection();
    int differing = 0;
    for (int y = shown.top; y < shown.bottom; ++y)
        for (int x = shown.left; x < shown.right; ++x)
            differing += picture.at(static_cast<size_t>(y - selection.top) *
                                        (selection.right - selection.left) +
                                    (x - selection.left)) != PatternAtScreen(POINT{x, y});
    EXPECT_EQ(differing, 0);
    MouseButton(false);
    EXPECT_TRUE(NoLoupe());
}

}  // namespace
