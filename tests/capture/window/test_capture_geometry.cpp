// The capture's geometry and file naming, without windows: handles and their mirrors, the
// 32-pixel rule at every screen edge, toolbar placement, clamping, the displays' union and the
// saved file's format and name.
#include <gtest/gtest.h>

#include "capture/capturefiles.h"
#include "capture/capturegeometry.h"

namespace {

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

std::string Text(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
           "," + std::to_string(rc.bottom);
}

TEST(CaptureGeometry, HandleSquaresSitOnCornersAndEdgeMiddles) {
    RECT s = {100, 50, 201, 151};  // odd sizes: the middle rounds down
    EXPECT_EQ(Text(CMGetHandleRect(s, 1)), "97,47,103,53");
    EXPECT_EQ(Text(CMGetHandleRect(s, 2)), "147,47,153,53");
    EXPECT_EQ(Text(CMGetHandleRect(s, 4)), "198,97,204,103");
    EXPECT_EQ(Text(CMGetHandleRect(s, 5)), "198,148,204,154");
    EXPECT_EQ(Text(CMGetHandleRect(s, 8)), "97,97,103,103");
    EXPECT_EQ(Text(CMGetHandleRect(s, 0)), "0,0,0,0");
    EXPECT_EQ(Text(CMGetHandleRect(s, 9)), "0,0,0,0");
    EXPECT_EQ(CMHandleAt(s, POINT{99, 49}), 1);
    EXPECT_EQ(CMHandleAt(s, POINT{203, 153}), 5);
    EXPECT_EQ(CMHandleAt(s, POINT{204, 153}), 0);  // right edge of the square is outside
    EXPECT_EQ(CMHandleAt(s, POINT{150, 100}), 0);
    EXPECT_EQ(CMHandleCursor(3), IDC_SIZENESW);
    EXPECT_EQ(CMHandleCursor(6), IDC_SIZENS);
    EXPECT_EQ(CMHandleCursor(0), nullptr);
}

TEST(CaptureGeometry, HandlesDraggedAcrossTheOppositeEdgeContinueAsTheirMirror) {
    RECT s = {100, 100, 200, 200};
    EXPECT_EQ(CMResizeSelection(&s, 5, POINT{60, 150}), 7);  // left of the left edge
    EXPECT_TRUE(Same(s, RECT{60, 100, 100, 150}));
    EXPECT_EQ(CMResizeSelection(&s, 7, POINT{80, 40}), 1);  // and above the top
    EXPECT_TRUE(Same(s, RECT{80, 40, 100, 100}));
    s = {100, 100, 200, 200};
    EXPECT_EQ(CMResizeSelection(&s, 1, POINT{250, 250}), 5);  // both axes at once
    EXPECT_TRUE(Same(s, RECT{200, 200, 250, 250}));
    s = {100, 100, 200, 200};
    EXPECT_EQ(CMResizeSelection(&s, 2, POINT{10, 230}), 6);  // an edge handle moves one edge
    EXPECT_TRUE(Same(s, RECT{100, 200, 200, 230}));
    EXPECT_EQ(CMResizeSelection(&s, 8, POINT{300, 0}), 4);
    EXPECT_TRUE(Same(s, RECT{200, 200, 300, 230}));
    // A handle that meets the opposite edge exactly leaves a flat rectangle, not a swap.
    s = {100, 100, 200, 200};
    EXPECT_EQ(CMResizeSelection(&s, 4, POINT{100, 0}), 4);
    EXPECT_TRUE(Same(s, RECT{100, 100, 100, 200}));
}

TEST(CaptureGeometry, MovingAgainstEachScreenEdgeShrinksDownTo32Pixels) {
    const RECT screen = {-1280, 0, 1280, 1024};
    RECT s = {-1200, 100, -1100, 200};
    CMMoveSelection(&s, -150, 0, screen);       // 70 past the left edge
    EXPECT_EQ(Text(s), "-1280,100,-1248,200");  // 30 wide would be too thin: 32
    s = {100, 50, 300, 250};
    CMMoveSelection(&s, 0, -100, screen);
    EXPECT_EQ(Text(s), "100,0,300,150");
    s = {1100, 100, 1200, 200};
    CMMoveSelection(&s, 150, 0, screen);
    EXPECT_EQ(Text(s), "1248,100,1280,200");
    s = {100, 900, 200, 1000};
    CMMoveSelection(&s, 0, 60, screen);
    EXPECT_EQ(Text(s), "100,960,200,1024");
    s = {100, 100, 200, 200};
    CMMoveSelection(&s, 30, -20, screen);  // free movement keeps the size
    EXPECT_EQ(Text(s), "130,80,230,180");
}

TEST(CaptureGeometry, ToolbarGoesBelowTheSelectionAndStaysInTheWorkArea) {
    const RECT work = {0, 0, 1280, 984};
    const SIZE bar = {300, 40};
    EXPECT_EQ(Text(CMPlaceToolbarRect(RECT{400, 100, 800, 500}, bar, work)), "500,510,800,550");
    // Near the bottom: 40 pixels above the work area's bottom.
    EXPECT_EQ(Text(CMPlaceToolbarRect(RECT{400, 100, 800, 930}, bar, work)), "500,904,800,944");
    // Narrower than the bar at the left edge: pushed right into the work area.
    EXPECT_EQ(Text(CMPlaceToolbarRect(RECT{0, 100, 100, 200}, bar, work)), "0,210,300,250");
    // A selection past the right edge of a negative-coordinate work area.
    EXPECT_EQ(Text(CMPlaceToolbarRect(RECT{-500, 0, 20, 1000}, bar, RECT{-1280, 0, 0, 1024})),
              "-300,944,0,984");
}

TEST(CaptureGeometry, ClampingKeepsPointsInsideTheSelection) {
    RECT s = {10, 20, 110, 220};
    POINT p = CMClampPoint(POINT{-5, 500}, s);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 219);
    p = CMClampPoint(POINT{50, 60}, s);
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 60);
}

TEST(CaptureGeometry, ShiftKeepsSquaresSquareAndLinesOnMultiplesOf45Degrees) {
    const POINT anchor = {100, 100};
    auto end = [](POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
    // The shorter side wins in every quadrant, so the end never passes the pointer.
    EXPECT_EQ(end(CMConstrainSquare(anchor, POINT{150, 120})), "120,120");
    EXPECT_EQ(end(CMConstrainSquare(anchor, POINT{70, 160})), "70,130");
    EXPECT_EQ(end(CMConstrainSquare(anchor, POINT{40, 90})), "90,90");
    EXPECT_EQ(end(CMConstrainAngle45(anchor, POINT{200, 140})), "200,100");  // 21.8 degrees
    EXPECT_EQ(end(CMConstrainAngle45(anchor, POINT{200, 150})), "150,150");  // 26.6 degrees
    EXPECT_EQ(end(CMConstrainAngle45(anchor, POINT{80, -100})), "100,-100");
    EXPECT_EQ(end(CMConstrainAngle45(anchor, POINT{20, 30})), "30,30");
    EXPECT_EQ(end(CMConstrainAngle45(anchor, anchor)), "100,100");
}

TEST(CaptureGeometry, NudgingTheFarEdgesStaysOnTheScreenAndAtLeast4Pixels) {
    const RECT screen = {0, 0, 200, 100};
    RECT s = {10, 10, 15, 15};
    CMNudgeSelectionEdge(&s, -1, -1, screen);
    EXPECT_TRUE(Same(s, RECT{10, 10, 14, 14})) << Text(s);
    CMNudgeSelectionEdge(&s, -1, -1, screen);
    EXPECT_TRUE(Same(s, RECT{10, 10, 14, 14})) << Text(s);
    s = RECT{150, 50, 199, 99};
    CMNudgeSelectionEdge(&s, 1, 1, screen);
    CMNudgeSelectionEdge(&s, 1, 1, screen);
    EXPECT_TRUE(Same(s, RECT{150, 50, 200, 100})) << Text(s);
}

TEST(CaptureGeometry, TheLoupeTurnsAwayFromEachEdgeAndNeverCoversThePointer) {
    const RECT screen = {0, 0, 1024, 768};
    const SIZE loupe = {122, 160};
    const POINT pointers[] = {{500, 300}, {1023, 300}, {500, 767}, {1023, 767}, {0, 0}, {990, 5}};
    const char* expected[] = {"520,320,642,480",  "881,320,1003,480", "520,587,642,747",
                              "881,587,1003,747", "20,20,142,180",    "848,25,970,185"};
    for (size_t i = 0; i < 6; ++i) {
        RECT rc = CMPlaceLoupe(pointers[i], loupe, screen);
        EXPECT_EQ(Text(rc), expected[i]);
        EXPECT_FALSE(::PtInRect(&rc, pointers[i]));
    }
}

TEST(CaptureGeometry, DisplaysBoundsAreTheVirtualScreen) {
    RECT bounds;
    ASSERT_TRUE(GetDisplaysBounds(&bounds));
    EXPECT_EQ(bounds.left, ::GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(bounds.top, ::GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(bounds.right - bounds.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(bounds.bottom - bounds.top, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST(CaptureFiles, FormatFollowsTheExtensionInAnyCase) {
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.png"), L"png");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\SHOT.PNG"), L"png");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.jpg"), L"jpeg");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.JPG"), L"jpeg");
    // A ".jpeg" name gets JPEG bytes, not BMP bytes under a JPEG name.
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.jpeg"), L"jpeg");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.Jpeg"), L"jpeg");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.bmp"), L"bmp");
    EXPECT_STREQ(CMImageFormatForPath(L"C:\\a\\shot.gif"), L"bmp");
    EXPECT_STREQ(CMImageFormatForPath(L"png"), L"bmp");
    EXPECT_STREQ(CMImageFormatForPath(L""), L"bmp");
}

TEST(CaptureFiles, DefaultNameAndRememberedFolder) {
    SYSTEMTIME t = {};
    t.wYear = 2016;
    t.wMonth = 3;
    t.wDay = 5;
    t.wHour = 14;
    t.wMinute = 7;
    t.wSecond = 9;
    EXPECT_EQ(CMDefaultSaveName(t), L"IME截图20160305140709");
    EXPECT_EQ(CMSaveFolderOf(L"C:\\Users\\li\\Desktop\\a.png"), L"C:\\Users\\li\\Desktop\\");
    EXPECT_EQ(CMSaveFolderOf(L"C:\\a.png"), L"C:\\");
    EXPECT_EQ(CMSaveFolderOf(L"a.png"), L"a.png\\");
}

}  // namespace
