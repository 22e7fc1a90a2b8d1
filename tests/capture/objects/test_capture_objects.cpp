// Annotation objects: geometry and the tool table as plain logic, and pixels of every shape drawn
// onto a patterned screen through the same compose path the capture window uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"
#include "capture/objects/shapegeometry.h"
#include "capture/objects/objecttestsite.h"

namespace {

constexpr DWORD kRed = 0xFFFF0000;

std::string Describe(const Gdiplus::Rect& r) {
    return std::to_string(r.X) + "," + std::to_string(r.Y) + " " + std::to_string(r.Width) + "x" +
           std::to_string(r.Height);
}

DWORD PatternRgb(int x, int y) {
    BYTE bgr[3];
    PatternPixel(x, y, bgr);
    return (DWORD(bgr[2]) << 16) | (DWORD(bgr[1]) << 8) | bgr[0];
}

// The average colour of the pattern over a block (right and bottom exclusive).
DWORD BlockAverage(const RECT& block) {
    long sum[3] = {0, 0, 0};
    for (int y = block.top; y < block.bottom; ++y)
        for (int x = block.left; x < block.right; ++x) {
            BYTE bgr[3];
            PatternPixel(x, y, bgr);
            for (int c = 0; c < 3; ++c) sum[c] += bgr[c];
        }
    const long count = static_cast<long>(block.right - block.left) * (block.bottom - block.top);
    return (DWORD(sum[2] / count) << 16) | (DWORD(sum[1] / count) << 8) | DWORD(sum[0] / count);
}

DWORD BlockAverage(int left, int top, int n) {
    return BlockAverage(RECT{left, top, left + n, top + n});
}

bool Near(DWORD a, DWORD b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

CCMShapeObj* AddShape(ObjectTestSite& site, int kind, DWORD color, int width) {
    site.objects.push_back(std::make_unique<CCMShapeObj>(&site.document, kind, 0, 0, 0, 0));
    auto* shape = static_cast<CCMShapeObj*>(site.objects.back().get());
    shape->SetColor(color);
    shape->SetWidth(width);
    return shape;
}

CCMShapeObj* AddBox(ObjectTestSite& site, int kind, RECT rc, int width) {
    CCMShapeObj* shape = AddShape(site, kind, kRed, width);
    shape->SetObjectRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return shape;
}

CCMShapeObj* AddStroke(ObjectTestSite& site, int kind, POINT from, POINT to, int width,
                       int blockSize = 6) {
    CCMShapeObj* shape = AddShape(site, kind, kRed, width);
    shape->SetBlockSize(blockSize);
    shape->AddPoint(from);
    shape->AddPoint(to);
    shape->UpdateBoundsFromPoints();
    return shape;
}

}  // namespace

// ---- geometry -------------------------------------------------------------------------------

TEST(ShapeGeometry, ClickWithoutDragLeavesAnEightByEightBox) {
    ObjectTestSite site;
    for (int kind : {SHAPE_RECTANGLE, SHAPE_ELLIPSE}) {
        CCMShapeObj shape(&site.document, kind, 50, 60, 0, 0);
        shape.MoveHandle(1, POINT{50, 60});
        shape.Normalize();
        ASSERT_FALSE(shape.IsValid());
        shape.SetDefaultSize();
        EXPECT_TRUE(shape.IsValid());
        EXPECT_EQ(Describe(shape.GetNormalRect()), "50,60 8x8");
        EXPECT_EQ(Describe(shape.GetBounds()), "42,52 24x24");
    }
}

TEST(ShapeGeometry, EachHandleMovesItsOwnEdges) {
    ObjectTestSite site;
    const char* expected[9] = {"",
                               "50,60 60x160",
                               "10,60 100x160",
                               "10,60 40x160",
                               "10,20 40x200",
                               "10,20 40x40",
                               "10,20 100x40",
                               "50,20 60x40",
                               "50,20 60x200"};
    for (int id = 1; id <= 8; ++id) {
        CCMShapeObj shape(&site.document, SHAPE_RECTANGLE, 10, 20, 100, 200);
        shape.MoveHandle(id, POINT{50, 60});
        EXPECT_EQ(Describe(shape.GetNormalRect()), expected[id]) << "handle " << id;
    }
}

TEST(ShapeGeometry, DraggingBackToTheStartColumnKeepsThePreviousEdges) {
    ObjectTestSite site;
    CCMShapeObj shape(&site.document, SHAPE_RECTANGLE, 10, 10, 0, 0);
    shape.MoveHandle(1, POINT{30, 40});
    EXPECT_EQ(Describe(shape.GetNormalRect()), "10,10 20x30");
    shape.MoveHandle(1, POINT{10, 50});  // zero width: x keeps 30, y follows
    EXPECT_EQ(Describe(shape.GetNormalRect()), "10,10 20x40");
    shape.MoveHandle(1, POINT{0, 10});  // zero height: y keeps 50, x follows
    EXPECT_EQ(Describe(shape.GetNormalRect()), "0,10 10x40");
}

TEST(ArrowPolygon, RightwardArrowIsBuiltWithoutRotation) {
    const auto p = ArrowPolygon(Gdiplus::PointF(0, 0), Gdiplus::PointF(100, 0), 10);
    const float expected[7][2] = {{0, 0},  {90, -1.75f}, {90, -5}, {100, 0},
                                  {90, 5}, {90, 1.75f},  {0, 0}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(p[i].X, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(p[i].Y, expected[i][1]) << i;
    }
}

TEST(ArrowPolygon, OtherDirectionsGiveTheSameShapeTurned) {
    struct Case {
        float tipX, tipY;
        float cosA, sinA;  // the turn from rightward
    } cases[] = {{10, 110, 0, 1}, {-90, 10, -1, 0}, {10, -90, 0, -1}};
    const float right[7][2] = {{0, 0},  {90, -1.75f}, {90, -5}, {100, 0},
                               {90, 5}, {90, 1.75f},  {0, 0}};
    for (const Case& c : cases) {
        const auto p = ArrowPolygon(Gdiplus::PointF(10, 10), Gdiplus::PointF(c.tipX, c.tipY), 10);
        for (int i = 0; i < 7; ++i) {
            const float x = 10 + right[i][0] * c.cosA - right[i][1] * c.sinA;
            const float y = 10 + right[i][0] * c.sinA + right[i][1] * c.cosA;
            EXPECT_NEAR(p[i].X, x, 1e-3) << c.tipX << "," << c.tipY << " point " << i;
            EXPECT_NEAR(p[i].Y, y, 1e-3) << c.tipX << "," << c.tipY << " point " << i;
        }
    }
}

TEST(ArrowPolygon, ShortArrowGetsAHeadOfHalfItsLength) {
    // Length 10, asked head 22: head 5, so A = 2.5 and B = 2.5 - 8 / 4 = 0.5.
    const auto p = ArrowPolygon(Gdiplus::PointF(0, 0), Gdiplus::PointF(10, 0), 22);
    EXPECT_FLOAT_EQ(p[1].X, 5);
    EXPECT_FLOAT_EQ(p[1].Y, -0.5f);
    EXPECT_FLOAT_EQ(p[2].Y, -2.5f);
    EXPECT_FLOAT_EQ(p[3].X, 10);
    EXPECT_FLOAT_EQ(p[4].Y, 2.5f);
}

TEST(PointShapes, ArrowKeepsItsStartAndMovesItsTip) {
    ObjectTestSite site;
    CCMShapeObj arrow(&site.document, SHAPE_ARROW, 5, 5, 0, 0);
    EXPECT_TRUE(arrow.IsPointShape());
    EXPECT_EQ(arrow.AddPoint(POINT{5, 5}), 9);
    EXPECT_FALSE(arrow.IsValid());
    EXPECT_EQ(arrow.AddPoint(POINT{5, 5}), 10);
    EXPECT_EQ(arrow.AddPoint(POINT{80, 40}), 10);
    EXPECT_EQ(arrow.AddPoint(POINT{90, 45}), 10);
    ASSERT_EQ(arrow.GetPointCount(), 2);
    EXPECT_EQ(arrow.GetPoint(0).x, 5);
    EXPECT_EQ(arrow.GetPoint(1).x, 90);
    arrow.MoveHandle(10, POINT{60, 70});
    EXPECT_EQ(arrow.GetPoint(1).y, 70);
    EXPECT_TRUE(arrow.IsValid());
}

TEST(PointShapes, BrushDropsPointsCloserThanItsWidthInBothAxes) {
    ObjectTestSite site;
    CCMShapeObj brush(&site.document, SHAPE_BRUSH, 10, 10, 0, 0);
    brush.SetWidth(4);
    EXPECT_TRUE(brush.AcceptsPoint(POINT{10, 10}));  // no point yet
    brush.AddPoint(POINT{10, 10});
    EXPECT_FALSE(brush.AcceptsPoint(POINT{13, 12}));
    EXPECT_FALSE(brush.AcceptsPoint(POINT{7, 7}));
    EXPECT_TRUE(brush.AcceptsPoint(POINT{14, 10}));
    EXPECT_TRUE(brush.AcceptsPoint(POINT{10, 6}));
    CCMShapeObj arrow(&site.document, SHAPE_ARROW, 10, 10, 0, 0);
    arrow.SetWidth(22);
    arrow.AddPoint(POINT{10, 10});
    EXPECT_TRUE(arrow.AcceptsPoint(POINT{11, 11}));
}

TEST(PointShapes, BoundsAreThePathGrownByHalfTheWidthPlusEight) {
    ObjectTestSite site;
    CCMShapeObj* brush = AddStroke(site, SHAPE_BRUSH, POINT{10, 10}, POINT{50, 30}, 4);
    EXPECT_EQ(Describe(brush->GetBounds()), "0,0 60x40");
    CCMShapeObj* arrow = AddStroke(site, SHAPE_ARROW, POINT{100, 100}, POINT{200, 100}, 10);
    EXPECT_EQ(Describe(arrow->GetBounds()), "87,82 126x36");  // polygon 100..200 x 95..105, g 13
    CCMShapeObj single(&site.document, SHAPE_MOSAIC, 0, 0, 0, 0);
    single.SetWidth(20);
    single.AddPoint(POINT{40, 40});
    EXPECT_EQ(Describe(single.GetBounds()), "22,22 36x36");
}

// ---- tool table -----------------------------------------------------------------------------

TEST(ToolTable, ChoicesOutsideTheTablesFallBack) {
    EXPECT_EQ(ToolWidth(TOOL_ARROW, 3), 10);  // an unknown size index takes index 0's width
    EXPECT_EQ(ToolWidth(TOOL_MOSAIC, -1), 10);
    EXPECT_EQ(ToolWidth(TOOL_TEXT, 1), 0);
    EXPECT_EQ(ToolWidth(TOOL_NONE, 1), 0);
    EXPECT_EQ(ToolColor(16), 0xFF000000u);
    EXPECT_EQ(ToolColor(-1), 0xFF000000u);
    EXPECT_EQ(FindToolByButton(L"undo_btn"), nullptr);
    EXPECT_EQ(ToolLayout(TOOL_NONE), OPTIONS_NONE);
}

// ---- mosaic arithmetic ----------------------------------------------------------------------

TEST(Mosaic, BlockRectStartsOnTheGridAndReachesPastTheStrokeOnEverySide) {
    EXPECT_EQ(Describe(MosaicBlockRect(Gdiplus::Rect(23, 37, 40, 10), 10, 6)), "6,18 72x42");
    // Integer division truncates toward zero left of and above the screen origin.
    EXPECT_EQ(Describe(MosaicBlockRect(Gdiplus::Rect(-5, -25, 0, 0), 10, 6)), "-18,-36 24x24");
    // A block size below 1 (a damaged "MosaicFuzziness") is the default 6, not a division by zero.
    EXPECT_EQ(Describe(MosaicBlockRect(Gdiplus::Rect(23, 37, 40, 10), 10, 0)), "6,18 72x42");
    // Whatever the place, size, width and block: whole blocks from the grid, and a stroke width
    // of room beyond the points on all four sides.
    for (int n : {1, 6, 7, 13, 30})
        for (int width : {10, 20, 32})
            for (int x : {-61, -6, 0, 5, 97})
                for (int extent : {0, 1, 5, 59}) {
                    const Gdiplus::Rect r =
                        MosaicBlockRect(Gdiplus::Rect(x, x / 2, extent, extent * 2), width, n);
                    const std::string what = Describe(r) + " n " + std::to_string(n) + " w " +
                                             std::to_string(width) + " x " + std::to_string(x);
                    EXPECT_EQ(r.X % n, 0) << what;
                    EXPECT_EQ(r.Width % n, 0) << what;
                    EXPECT_LE(r.X, x - width) << what;
                    EXPECT_LE(r.Y, x / 2 - width) << what;
                    EXPECT_GT(r.X + r.Width, x + extent + width) << what;
                    EXPECT_GT(r.Y + r.Height, x / 2 + extent * 2 + width) << what;
                }
}

TEST(Mosaic, PixelateAveragesEveryBlockAndThePartialOnesOverWhatTheyHold) {
    // 5 x 3 pixels, channel c of (x, y) = 10x + 50y + c; stride 16 with padding.
    const int width = 5, height = 3, stride = 16;
    BYTE bits[stride * height] = {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) bits[y * stride + x * 3 + c] = BYTE(10 * x + 50 * y + c);
    bits[15] = bits[31] = 0xEE;  // padding after each row's last pixel
    Pixelate(bits, width, height, stride, 2);
    auto at = [&](int x, int y) { return bits[y * stride + x * 3]; };
    EXPECT_EQ(at(0, 0), 30);  // (0 + 10 + 50 + 60) / 4
    EXPECT_EQ(at(1, 1), 30);
    EXPECT_EQ(bits[1 * stride + 1 * 3 + 2], 32);
    EXPECT_EQ(at(3, 1), 50);
    EXPECT_EQ(at(4, 0), 65);  // last column: 1 x 2 blocks, (40 + 90) / 2
    EXPECT_EQ(at(4, 1), 65);
    EXPECT_EQ(at(0, 2), 105);  // last row: 2 x 1 blocks
    EXPECT_EQ(at(3, 2), 125);
    EXPECT_EQ(at(4, 2), 140);  // the corner's 1 x 1 block is itself
    EXPECT_EQ(bits[15], 0xEE);
    EXPECT_EQ(bits[31], 0xEE);

    // A block that ends exactly at the edge is averaged too; averages truncate.
    BYTE square[4 * 3 * 4] = {};
    square[0] = 0, square[3] = 1, square[12] = 1, square[15] = 1, square[6] = 200;
    Pixelate(square, 4, 4, 12, 2);
    EXPECT_EQ(square[0], 0);  // 3 / 4
    EXPECT_EQ(square[15], 0);
    EXPECT_EQ(square[6], 50);
    EXPECT_EQ(square[9 + 12], 50);
}

TEST(Mosaic, BlockSizeBelowOneIsTheDefault) {
    const int size = 13, stride = 40;
    BYTE a[stride * size], b[stride * size];
    for (int i = 0; i < stride * size; ++i) a[i] = b[i] = BYTE(i * 37);
    Pixelate(a, size, size, stride, 0);
    Pixelate(b, size, size, stride, 6);
    EXPECT_EQ(0, memcmp(a, b, sizeof(a)));
    ObjectTestSite site;
    CCMShapeObj mosaic(&site.document, SHAPE_MOSAIC, 0, 0, 0, 0);
    mosaic.SetBlockSize(0);
    EXPECT_EQ(mosaic.GetBlockSize(), 6);
    mosaic.SetBlockSize(-3);
    EXPECT_EQ(mosaic.GetBlockSize(), 6);
    mosaic.SetBlockSize(1);
    EXPECT_EQ(mosaic.GetBlockSize(), 1);
}

// ---- pixels ---------------------------------------------------------------------------------

TEST(ShapePixels, RectangleAndEllipseStrokeOnlyTheirOutline) {
    ObjectTestSite site;
    AddBox(site, SHAPE_RECTANGLE, RECT{40, 40, 120, 100}, 4);
    AddBox(site, SHAPE_ELLIPSE, RECT{200, 40, 300, 100}, 4);
    ASSERT_TRUE(site.ComposeSelection());
    EXPECT_EQ(site.Pixel(40, 70), 0xFF0000u);
    EXPECT_EQ(site.Pixel(41, 70), 0xFF0000u);
    EXPECT_EQ(site.Pixel(80, 40), 0xFF0000u);
    EXPECT_EQ(site.Pixel(119, 99), 0xFF0000u);
    EXPECT_EQ(site.Pixel(80, 70), PatternRgb(80, 70));
    EXPECT_EQ(site.Pixel(35, 70), PatternRgb(35, 70));
    EXPECT_EQ(site.Pixel(250, 40), 0xFF0000u);
    EXPECT_EQ(site.Pixel(200, 70), 0xFF0000u);
    EXPECT_EQ(site.Pixel(203, 43), PatternRgb(203, 43));  // the ellipse cuts the corner
    EXPECT_EQ(site.Pixel(250, 70), PatternRgb(250, 70));
}

TEST(ShapePixels, ArrowIsFilledAndNarrowsTowardsItsStart) {
    ObjectTestSite site;
    AddStroke(site, SHAPE_ARROW, POINT{20, 150}, POINT{220, 150}, 22);
    AddStroke(site, SHAPE_ARROW, POINT{300, 20}, POINT{300, 220}, 22);
    ASSERT_TRUE(site.ComposeSelection());
    EXPECT_EQ(site.Pixel(210, 150), 0xFF0000u);
    EXPECT_EQ(site.Pixel(205, 154), 0xFF0000u);  // the head is 11 wide on each side at its base
    EXPECT_EQ(site.Pixel(205, 165), PatternRgb(205, 165));
    EXPECT_EQ(site.Pixel(120, 150), 0xFF0000u);
    EXPECT_EQ(site.Pixel(120, 156), PatternRgb(120, 156));  // the shaft is under 5 wide there
    EXPECT_EQ(site.Pixel(24, 154), PatternRgb(24, 154));
    EXPECT_EQ(site.Pixel(300, 210), 0xFF0000u);  // the same shape turned downwards
    EXPECT_EQ(site.Pixel(304, 205), 0xFF0000u);
    EXPECT_EQ(site.Pixel(315, 205), PatternRgb(315, 205));
}

TEST(ShapePixels, BrushFollowsItsPointsAndUndoRemovesOnlyTheNewest) {
    ObjectTestSite site;
    AddBox(site, SHAPE_RECTANGLE, RECT{40, 40, 120, 100}, 4);
    CCMShapeObj* brush = AddStroke(site, SHAPE_BRUSH, POINT{60, 70}, POINT{180, 70}, 4);
    brush->AddPoint(POINT{180, 150});
    ASSERT_TRUE(site.ComposeSelection());
    EXPECT_EQ(site.Pixel(150, 70), 0xFF0000u);
    EXPECT_EQ(site.Pixel(180, 120), 0xFF0000u);
    EXPECT_EQ(site.Pixel(150, 75), PatternRgb(150, 75));
    site.objects.pop_back();
    ASSERT_TRUE(site.ComposeSelection());
    EXPECT_EQ(site.Pixel(150, 70), PatternRgb(150, 70));
    EXPECT_EQ(site.Pixel(180, 120), PatternRgb(180, 120));
    EXPECT_EQ(site.Pixel(40, 70), 0xFF0000u);
}

TEST(MosaicPixels, EveryPixelADefaultStrokeCoversIsABlockAverageAtTheEdgesAndOnADiagonal) {
    // The default stroke (10 wide, blocks of 6) on a selection whose edges are off the grid.
    const RECT selection{3, 5, 200, 151};
    const struct {
        const char* where;
        POINT from, to;
    } strokes[] = {{"top", {20, 5}, {180, 5}},         {"bottom", {20, 150}, {180, 150}},
                   {"left", {3, 20}, {3, 130}},        {"right", {199, 20}, {199, 130}},
                   {"diagonal", {30, 20}, {170, 140}}, {"corner", {150, 100}, {199, 150}}};
    for (const auto& stroke : strokes) {
        ObjectTestSite site;
        site.selection = selection;
        CCMShapeObj* mosaic = AddStroke(site, SHAPE_MOSAIC, stroke.from, stroke.to, 10, 6);
        ASSERT_TRUE(site.ComposeSelection());
        // The grid starts at the pixelated area's top-left: the aligned rectangle cut by the
        // selection.
        const Gdiplus::Rect aligned = MosaicBlockRect(mosaic->GetNormalRect(), 10, 6);
        const int gridX = std::max<int>(aligned.X, selection.left);
        const int gridY = std::max<int>(aligned.Y, selection.top);
        const double dx = stroke.to.x - stroke.from.x, dy = stroke.to.y - stroke.from.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        int checked = 0, wrong = 0;
        for (int y = selection.top; y < selection.bottom; ++y)
            for (int x = selection.left; x < selection.right; ++x) {
                // The stroke's core: within 3 pixels of its line, away from its ends.
                const double along = ((x - stroke.from.x) * dx + (y - stroke.from.y) * dy) / length;
                const double across = ((x - stroke.from.x) * dy - (y - stroke.from.y) * dx) / length;
                if (along < 1 || along > length - 1 || std::abs(across) > 3) continue;
                const int left = gridX + (x - gridX) / 6 * 6, top = gridY + (y - gridY) / 6 * 6;
                const RECT block{left, top, std::min<int>(left + 6, selection.right),
                                 std::min<int>(top + 6, selection.bottom)};
                ++checked;
                if (site.Pixel(x, y) != BlockAverage(block) && ++wrong <= 3)
                    ADD_FAILURE() << stroke.where << " at " << x << "," << y;
            }
        EXPECT_GT(checked, 200) << stroke.where;
        EXPECT_EQ(wrong, 0) << stroke.where << " of " << checked;
    }
}

TEST(MosaicPixels, MosaicsPixelateEarlierShapesButNeverEachOther) {
    ObjectTestSite site;
    AddStroke(site, SHAPE_MOSAIC, POINT{60, 100}, POINT{200, 100}, 20, 6);
    // A later mosaic with blocks of 10 from (70, 10): it averages the original picture, not the
    // first mosaic's blocks.
    AddStroke(site, SHAPE_MOSAIC, POINT{100, 40}, POINT{100, 200}, 20, 10);
    ASSERT_TRUE(site.ComposeSelection());
    EXPECT_EQ(site.Pixel(104, 104), BlockAverage(100, 100, 10));
    EXPECT_EQ(site.Pixel(153, 100), BlockAverage(150, 96, 6));

    ObjectTestSite over;
    AddStroke(over, SHAPE_BRUSH, POINT{20, 99}, POINT{250, 99}, 2);  // rows 98 and 99 red
    AddStroke(over, SHAPE_MOSAIC, POINT{60, 100}, POINT{200, 100}, 20, 6);
    ASSERT_TRUE(over.ComposeSelection());
    long sum[3] = {0, 0, 0};
    for (int y = 96; y < 102; ++y)
        for (int x = 96; x < 102; ++x) {
            const DWORD rgb = (y == 98 || y == 99) ? 0xFF0000 : PatternRgb(x, y);
            for (int c = 0; c < 3; ++c) sum[c] += (rgb >> (8 * c)) & 0xFF;
        }
    const DWORD expected = (DWORD(sum[2] / 36) << 16) | (DWORD(sum[1] / 36) << 8) | (sum[0] / 36);
    EXPECT_TRUE(Near(over.Pixel(100, 100), expected, 4))
        << std::hex << over.Pixel(100, 100) << " " << expected;
}

TEST(MosaicPixels, NewBlockSizeReachesEveryMosaicThroughItsCache) {
    ObjectTestSite site;
    CCMShapeObj* rectangle = AddBox(site, SHAPE_RECTANGLE, RECT{10, 10, 30, 30}, 2);
    CCMShapeObj* first = AddStroke(site, SHAPE_MOSAIC, POINT{60, 100}, POINT{200, 100}, 20, 6);
    CCMShapeObj* second = AddStroke(site, SHAPE_MOSAIC, POINT{60, 200}, POINT{200, 200}, 20, 6);
    ApplyMosaicBlock(site.objects, 10);
    EXPECT_EQ(first->GetBlockSize(), 10);
    EXPECT_EQ(second->GetBlockSize(), 10);
    EXPECT_TRUE(first->HasCachedImage());
    EXPECT_FALSE(rectangle->HasCachedImage());
    ASSERT_EQ(site.invalidated.size(), 2u);
    const RECT bounds = first->GetBoundsRect();
    EXPECT_EQ(site.invalidated[0].left, bounds.left);
    EXPECT_EQ(site.invalidated[0].bottom, bounds.bottom);
    ASSERT_TRUE(site.ComposeSelection());
    // Blocks of 10 from (30, 70) and (30, 170).
    EXPECT_TRUE(Near(site.Pixel(104, 104), BlockAverage(100, 100, 10), 2));
    EXPECT_TRUE(Near(site.Pixel(155, 205), BlockAverage(150, 200, 10), 2));
    EXPECT_EQ(site.Pixel(100, 125), PatternRgb(100, 125));

    ApplyMosaicBlock(site.objects, 0);  // a slider that reports 0 gives the default
    EXPECT_EQ(first->GetBlockSize(), 6);
}
