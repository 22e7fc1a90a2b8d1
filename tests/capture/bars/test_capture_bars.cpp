// The toolbar and the option bar as child windows of a plain parent under real mouse input, built
// from the packaged glimter.zip: skin sizes, tool selection, commands, options stored per tool
// and restored by the next capture, the fuzziness slider, dragging, focus and tooltips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "capture/bars/barstestwindow.h"
#include "capture/objects/ccmtooltable.h"
#include "common/skin/comboui.h"
#include "common/skin/optionui.h"
#include "common/skin/sliderui.h"
#include "common/util/ntregedit.h"
#include "support/messagepump.h"
#include "support/pumpuntil.h"
#include "support/realinput.h"

namespace {

constexpr int kToolbarX = 200, kToolbarY = 300;

std::wstring DistSkinDir() {
    const char* binary = std::getenv("NT_BINARY_DIR");
    std::wstring dir = L"Z:";
    for (const char* c = binary ? binary : ""; *c; ++c)
        dir += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return dir + L"\\dist\\skin\\";
}

void ClearSettings() { CNTRegEdit(HKEY_CURRENT_USER, L"Software\\QUORBEL").DeleteKey(L"QUORBEL"); }

// A stored setting, or -1 when there is none.
long Setting(const wchar_t* name) {
    return static_cast<long>(
        CNTRegEdit(HKEY_CURRENT_USER, kCaptureSettingsKey).ReadDword(name, DWORD(-1)));
}

void StoreSetting(const wchar_t* name, DWORD value) {
    CNTRegEdit(HKEY_CURRENT_USER, kCaptureSettingsKey).WriteDword(name, value);
}

RECT WindowRect(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

bool IsSelected(TestToolbar& toolbar, const wchar_t* name) {
    auto* option = dynamic_cast<COptionUI*>(toolbar.Find(name));
    return option && option->IsSelected();
}

bool IsSelected(TestOptionBar& bar, const wchar_t* name) {
    auto* option = dynamic_cast<COptionUI*>(bar.Find(name));
    return option && option->IsSelected();
}

class CaptureBarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath(DistSkinDir().c_str());
        CPaintManagerUI::SetResourceZip(L"glimter.zip");
        ClearSettings();
        parent.Create(nullptr, L"capture bars", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOPMOST, 0, 0,
                      800, 600);
        ASSERT_TRUE(parent.GetHWND());
        parent.ShowWindow(true, true);
        ::SetForegroundWindow(parent);
        ASSERT_TRUE(OpenBars());
    }

    void TearDown() override {
        if (::IsWindow(parent.GetHWND())) ::DestroyWindow(parent.GetHWND());
        ClearSettings();
    }

    // The bars of one capture, the toolbar shown where the capture window would place it.
    bool OpenBars() {
        optionBar = std::make_unique<TestOptionBar>();
        toolbar = std::make_unique<TestToolbar>();
        if (!optionBar->CreateBar(parent, &view) ||
            !toolbar->CreateBar(parent, &view, optionBar.get()))
            return false;
        ::SetWindowPos(*toolbar, nullptr, kToolbarX, kToolbarY, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        ::ShowWindow(*toolbar, SW_SHOWNOACTIVATE);
        Settle();
        return true;
    }

    // Closes the bars as the end of a capture does and opens those of the next one.
    bool NextCapture() {
        ::DestroyWindow(*toolbar);
        ::DestroyWindow(*optionBar);
        Settle();
        return OpenBars();
    }

    void ClickTool(const wchar_t* name) { Click(toolbar->ScreenCenter(name)); }

    BarsParentWindow parent;
    ViewLog view;
    std::unique_ptr<TestOptionBar> optionBar;
    std::unique_ptr<TestToolbar> toolbar;
};

TEST_F(CaptureBarsTest, BarsTakeTheirSizeFromTheSkinAndTheOptionBarStartsHidden) {
    const RECT bar = WindowRect(*toolbar);
    EXPECT_EQ(bar.right - bar.left, 364);
    EXPECT_EQ(bar.bottom - bar.top, 40);
    const RECT options = WindowRect(*optionBar);
    EXPECT_EQ(options.right - options.left, 336);
    EXPECT_EQ(options.bottom - options.top, 50);
    EXPECT_FALSE(::IsWindowVisible(*optionBar));
    wchar_t name[64];
    ::GetClassNameW(*toolbar, name, 64);
    EXPECT_STREQ(name, L"UICaptureScreenToolbar");
    ::GetClassNameW(*optionBar, name, 64);
    EXPECT_STREQ(name, L"UICaptureScreenBrushBar");
    for (const wchar_t* control : {L"save_btn", L"exit_btn", L"complete_btn", L"undo_btn",
                                   L"rectangle_btn", L"text_btn", L"mosaic_btn"})
        EXPECT_NE(toolbar->Find(control), nullptr) << control;
    for (const wchar_t* control :
         {L"brush_group", L"font_group", L"color_group", L"fuzziness_group", L"btn_brush3",
          L"btn_color16", L"colorlarge", L"fontsize_cbx"})
        EXPECT_NE(optionBar->Find(control), nullptr) << control;
    auto* slider = dynamic_cast<CSliderUI*>(optionBar->Find(L"mosaic_slider"));
    ASSERT_NE(slider, nullptr);
    EXPECT_GE(slider->GetMinValue(), 1);
}

TEST_F(CaptureBarsTest, BarWithoutItsSkinFailsToBeCreated) {
    CPaintManagerUI::SetResourceZip(L"no-such-archive.zip");
    TestOptionBar options;
    EXPECT_FALSE(options.CreateBar(parent, &view));
    TestToolbar bar;
    EXPECT_FALSE(bar.CreateBar(parent, &view, &options));
    EXPECT_FALSE(::IsWindow(bar.GetHWND()));
}

TEST_F(CaptureBarsTest, ToolButtonsKeepOneToolAndShowItsOptionsBelow) {
    ClickTool(L"rectangle_btn");
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_RECTANGLE);
    EXPECT_TRUE(IsSelected(*toolbar, L"rectangle_btn"));
    EXPECT_TRUE(::IsWindowVisible(*optionBar));
    const RECT bar = WindowRect(*toolbar), options = WindowRect(*optionBar);
    EXPECT_EQ(options.left, bar.left);
    EXPECT_EQ(options.top, bar.bottom + 2);
    EXPECT_TRUE(optionBar->IsShown(L"brush_group"));
    EXPECT_TRUE(optionBar->IsShown(L"color_group"));
    EXPECT_FALSE(optionBar->IsShown(L"fuzziness_group"));
    EXPECT_FALSE(optionBar->IsShown(L"font_group"));
    EXPECT_EQ(view.deactivations, 1);
    SaveScreenshot(RECT{kToolbarX - 20, kToolbarY - 20, kToolbarX + 400, kToolbarY + 120},
                   L"capture_bars_shape.png");

    ClickTool(L"ellipse_btn");
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_ELLIPSE);
    EXPECT_FALSE(IsSelected(*toolbar, L"rectangle_btn"));
    EXPECT_TRUE(IsSelected(*toolbar, L"ellipse_btn"));

    ClickTool(L"mosaic_btn");
    EXPECT_TRUE(optionBar->IsShown(L"brush_group"));
    EXPECT_FALSE(optionBar->IsShown(L"color_group"));
    EXPECT_TRUE(optionBar->IsShown(L"fuzziness_group"));
    SaveScreenshot(RECT{kToolbarX - 20, kToolbarY - 20, kToolbarX + 400, kToolbarY + 120},
                   L"capture_bars_mosaic.png");

    ClickTool(L"text_btn");
    EXPECT_FALSE(optionBar->IsShown(L"brush_group"));
    EXPECT_TRUE(optionBar->IsShown(L"font_group"));
    EXPECT_TRUE(optionBar->IsShown(L"color_group"));
    EXPECT_EQ(optionBar->GetOptionWidth(), 0);
    SaveScreenshot(RECT{kToolbarX - 20, kToolbarY - 20, kToolbarX + 400, kToolbarY + 120},
                   L"capture_bars_text.png");

    // Clicking the selected tool again leaves no tool and hides the options.
    ClickTool(L"text_btn");
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_NONE);
    EXPECT_FALSE(IsSelected(*toolbar, L"text_btn"));
    EXPECT_FALSE(::IsWindowVisible(*optionBar));
    EXPECT_EQ(view.deactivations, 5);

    // The menu's way in: SelectTool, with the toolbar hidden too.
    ::ShowWindow(*toolbar, SW_HIDE);
    toolbar->SelectTool(TOOL_BRUSH);
    EXPECT_TRUE(IsSelected(*toolbar, L"brush_btn"));
    EXPECT_TRUE(::IsWindowVisible(*optionBar));
    toolbar->UpdateOptionBar(false);
    EXPECT_FALSE(::IsWindowVisible(*optionBar));
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_BRUSH);
    toolbar->UpdateOptionBar(true);
    EXPECT_TRUE(::IsWindowVisible(*optionBar));
}

TEST_F(CaptureBarsTest, CommandButtonsReachTheCaptureWindow) {
    Click(toolbar->ScreenCenter(L"undo_btn"));
    EXPECT_EQ(view.undos, 1);
    Click(toolbar->ScreenCenter(L"save_btn"));
    EXPECT_EQ(view.saves, 1);
    EXPECT_TRUE(view.actions.empty());  // a cancelled or failed save keeps the capture open
    view.saveSucceeds = true;
    Click(toolbar->ScreenCenter(L"save_btn"));
    Click(toolbar->ScreenCenter(L"exit_btn"));
    Click(toolbar->ScreenCenter(L"complete_btn"));
    EXPECT_EQ(view.actions, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_NONE);
}

TEST_F(CaptureBarsTest, FirstUseGivesEveryToolItsDefaults) {
    const int widths[] = {0, 1, 1, 10, 1, 10, 0};
    for (int tool = TOOL_RECTANGLE; tool <= TOOL_TEXT; ++tool) {
        toolbar->SelectTool(tool);
        EXPECT_EQ(optionBar->GetSizeIndex(), 0) << tool;
        EXPECT_EQ(optionBar->GetColorIndex(), 0) << tool;
        EXPECT_EQ(optionBar->GetOptionColor(), 0xFF000000u) << tool;
        EXPECT_EQ(optionBar->GetOptionWidth(), widths[tool]) << tool;
    }
    EXPECT_EQ(optionBar->GetFontSizeIndex(), 1);
    EXPECT_EQ(optionBar->GetOptionFontSize(), 14);
    toolbar->SelectTool(TOOL_MOSAIC);
    EXPECT_EQ(optionBar->GetMosaicFuzziness(), 6);
    EXPECT_EQ(dynamic_cast<CSliderUI*>(optionBar->Find(L"mosaic_slider"))->GetValue(), 6);
    EXPECT_EQ(Setting(L"RectangleSizeIndex"), -1);  // showing the options stores nothing

    // Stored choices out of range are the defaults, and the bar shows them so.
    toolbar->SelectTool(TOOL_ARROW);
    Click(optionBar->ScreenCenter(L"btn_brush3"));
    Click(optionBar->ScreenCenter(L"btn_color5"));
    StoreSetting(L"RectangleSizeIndex", 9);
    StoreSetting(L"RectangleColorIndex", 40);
    StoreSetting(kTextFontSizeIndexValue, 77);
    toolbar->SelectTool(TOOL_RECTANGLE);
    EXPECT_EQ(optionBar->GetOptionWidth(), 1);
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFF000000u);
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_brush1"));
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_color1"));
    toolbar->SelectTool(TOOL_TEXT);
    EXPECT_EQ(optionBar->GetFontSizeIndex(), 1);
    EXPECT_EQ(optionBar->GetOptionFontSize(), 14);
}

TEST_F(CaptureBarsTest, ChoicesAreStoredPerToolAndRestoredByTheNextCapture) {
    ClickTool(L"rectangle_btn");
    Click(optionBar->ScreenCenter(L"btn_color4"));
    Click(optionBar->ScreenCenter(L"btn_brush3"));
    EXPECT_EQ(Setting(L"RectangleColorIndex"), 3);
    EXPECT_EQ(Setting(L"RectangleSizeIndex"), 2);
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFFF7883Au);
    EXPECT_EQ(optionBar->GetOptionWidth(), 4);
    EXPECT_EQ(optionBar->Find(L"colorlarge")->GetBkImage(),
              L"file='colorlarge.png' source='84,0,112,28'");

    ClickTool(L"arrow_btn");  // its own choices: still the defaults
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFF000000u);
    EXPECT_EQ(optionBar->GetOptionWidth(), 10);
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_brush1"));
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_color1"));
    Click(optionBar->ScreenCenter(L"btn_brush2"));
    Click(optionBar->ScreenCenter(L"btn_color16"));
    EXPECT_EQ(optionBar->GetOptionWidth(), 16);
    EXPECT_EQ(Setting(L"ArrowColorIndex"), 15);

    ClickTool(L"mosaic_btn");
    Click(optionBar->ScreenCenter(L"btn_brush3"));
    EXPECT_EQ(Setting(L"MosaicSizeIndex"), 2);
    EXPECT_EQ(optionBar->GetOptionWidth(), 32);

    ASSERT_TRUE(NextCapture());
    toolbar->SelectTool(TOOL_RECTANGLE);
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFFF7883Au);
    EXPECT_EQ(optionBar->GetOptionWidth(), 4);
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_color4"));
    EXPECT_TRUE(IsSelected(*optionBar, L"btn_brush3"));
    EXPECT_EQ(optionBar->Find(L"colorlarge")->GetBkImage(),
              L"file='colorlarge.png' source='84,0,112,28'");
    toolbar->SelectTool(TOOL_ARROW);
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFF16DCDCu);
    EXPECT_EQ(optionBar->GetOptionWidth(), 16);
    toolbar->SelectTool(TOOL_MOSAIC);
    EXPECT_EQ(optionBar->GetOptionWidth(), 32);
    toolbar->SelectTool(TOOL_ELLIPSE);
    EXPECT_EQ(optionBar->GetOptionWidth(), 1);
}

TEST_F(CaptureBarsTest, TextToolRecoloursAndResizesTheCurrentTextBox) {
    ClickTool(L"text_btn");
    Click(optionBar->ScreenCenter(L"btn_color11"));
    EXPECT_EQ(view.colors, (std::vector<DWORD>{0xFFFB3838}));
    EXPECT_EQ(Setting(L"TextColorIndex"), 10);
    auto* combo = dynamic_cast<CComboUI*>(optionBar->Find(L"fontsize_cbx"));
    ASSERT_NE(combo, nullptr);
    Click(optionBar->ScreenCenter(L"fontsize_cbx"));
    ASSERT_TRUE(combo->IsDropped());
    HWND list = ::FindWindowW(L"NTSkinComboList", nullptr);
    ASSERT_NE(list, nullptr);
    SaveScreenshot(RECT{kToolbarX - 20, kToolbarY - 20, kToolbarX + 400, kToolbarY + 340},
                   L"capture_bars_fontsize.png");
    RECT items;
    ::GetWindowRect(list, &items);
    Click(POINT{items.left + 20, items.top + 1 + 3 * combo->GetItemHeight() + 5});
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(Setting(L"TextFontSizeIndex"), 3);
    EXPECT_EQ(optionBar->GetOptionFontSize(), 18);
    EXPECT_EQ(view.fontSizes, (std::vector<int>{18}));
    EXPECT_EQ(Setting(L"RectangleColorIndex"), -1);

    ASSERT_TRUE(NextCapture());
    toolbar->SelectTool(TOOL_TEXT);
    EXPECT_EQ(optionBar->GetOptionFontSize(), 18);
    EXPECT_EQ(optionBar->GetOptionColor(), 0xFFFB3838u);
    EXPECT_TRUE(view.fontSizes.size() == 1 && view.colors.size() == 1);  // loading tells nobody
}

TEST_F(CaptureBarsTest, FuzzinessSliderRestylesWhileDraggedAndStoresOnRelease) {
    ClickTool(L"mosaic_btn");
    auto* slider = dynamic_cast<CSliderUI*>(optionBar->Find(L"mosaic_slider"));
    ASSERT_NE(slider, nullptr);
    const RECT rc = slider->GetPos();
    POINT origin{0, 0};
    ::ClientToScreen(*optionBar, &origin);
    const int y = origin.y + (rc.top + rc.bottom) / 2;
    const int start = origin.x + rc.left + 8, length = rc.right - rc.left - 16;
    const int range = slider->GetMaxValue() - slider->GetMinValue();
    auto xOf = [&](int value) { return start + (value - slider->GetMinValue()) * length / range; };
    MoveMouse(POINT{xOf(6), y});
    MouseButton(true);
    MoveMouse(POINT{xOf(12), y});
    MoveMouse(POINT{xOf(20), y});
    EXPECT_EQ(Setting(kMosaicFuzzinessValue), -1);  // nothing stored while dragging
    ASSERT_GE(view.blocks.size(), 2u);
    EXPECT_LT(view.blocks.front(), view.blocks.back());
    EXPECT_EQ(view.blocks.back(), slider->GetValue());
    EXPECT_EQ(optionBar->GetMosaicFuzziness(), slider->GetValue());
    EXPECT_EQ(optionBar->Find(L"fuzziness_value")->GetText(), std::to_wstring(slider->GetValue()));
    MouseButton(false);
    EXPECT_EQ(Setting(kMosaicFuzzinessValue), slider->GetValue());
    EXPECT_NEAR(slider->GetValue(), 20, 1);

    ASSERT_TRUE(NextCapture());
    toolbar->SelectTool(TOOL_MOSAIC);
    EXPECT_EQ(optionBar->GetMosaicFuzziness(), Setting(kMosaicFuzzinessValue));
}

TEST_F(CaptureBarsTest, StoredFuzzinessBelowOneIsTheDefault) {
    StoreSetting(kMosaicFuzzinessValue, 0);
    toolbar->SelectTool(TOOL_MOSAIC);
    EXPECT_EQ(optionBar->GetMosaicFuzziness(), 6);
    EXPECT_EQ(dynamic_cast<CSliderUI*>(optionBar->Find(L"mosaic_slider"))->GetValue(), 6);
    StoreSetting(kMosaicFuzzinessValue, DWORD(-5));
    toolbar->SelectTool(TOOL_NONE);
    toolbar->SelectTool(TOOL_MOSAIC);
    EXPECT_EQ(optionBar->GetMosaicFuzziness(), 6);
}

TEST_F(CaptureBarsTest, ToolbarIsDraggedByItsBackgroundAndTheOptionBarFollows) {
    toolbar->SelectTool(TOOL_RECTANGLE);
    const RECT before = WindowRect(*toolbar);
    const POINT background{before.left + 100, before.top + 2};  // above the buttons
    EXPECT_EQ(::SendMessageW(*toolbar, WM_NCHITTEST, 0, MAKELPARAM(background.x, background.y)),
              HTCAPTION);
    const POINT button = toolbar->ScreenCenter(L"arrow_btn");
    EXPECT_EQ(::SendMessageW(*toolbar, WM_NCHITTEST, 0, MAKELPARAM(button.x, button.y)), HTCLIENT);

    DragThroughMoveLoop(background, POINT{background.x + 60, background.y - 40});
    const RECT after = WindowRect(*toolbar);
    EXPECT_EQ(after.left, before.left + 60);
    EXPECT_EQ(after.top, before.top - 40);
    const RECT options = WindowRect(*optionBar);
    EXPECT_EQ(options.left, after.left);
    EXPECT_EQ(options.top, after.bottom + 2);
    EXPECT_EQ(toolbar->GetCurrentTool(), TOOL_RECTANGLE);  // a drag is not a click
}

TEST_F(CaptureBarsTest, KeyboardFocusGoesBackToTheCaptureWindow) {
    ::SetFocus(parent);
    ClickTool(L"rectangle_btn");
    Click(optionBar->ScreenCenter(L"btn_color2"));
    EXPECT_EQ(::GetFocus(), parent.GetHWND());
    ::SetFocus(*toolbar);
    EXPECT_EQ(::GetFocus(), parent.GetHWND());
    ::SetFocus(*optionBar);
    EXPECT_EQ(::GetFocus(), parent.GetHWND());
    // Escape reaching a bar does not close it.
    ::SendMessageW(*toolbar, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(::IsWindow(*toolbar));
}

TEST_F(CaptureBarsTest, RightClickMenuOffersEveryCaptureCommand) {
    auto* menu = new CMenuWnd(parent);
    ASSERT_TRUE(menu->Init(nullptr, BarsParentWindow::kMenuMessage, L"popmenu.xml", L"xml",
                           POINT{420, 60}));
    Settle();
    EXPECT_EQ(parent.menuEntries.size(), 13u);
    SaveScreenshot(RECT{400, 40, 620, 560}, L"capture_menu.png");
    Click(POINT{100, 100});  // elsewhere: the menu closes
    EXPECT_TRUE(PumpUntil([] { return !::FindWindowW(L"NTSkinMenu", nullptr); }));
}

TEST_F(CaptureBarsTest, HoveringAButtonShowsItsTooltip) {
    MoveMouse(toolbar->ScreenCenter(L"mosaic_btn"));
    HWND tip = nullptr;
    const bool shown = PumpUntil([&] {
        tip = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hWnd, LPARAM found) {
                wchar_t name[64];
                ::GetClassNameW(hWnd, name, 64);
                if (::IsWindowVisible(hWnd) && wcscmp(name, L"tooltips_class32") == 0)
                    *reinterpret_cast<HWND*>(found) = hWnd;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tip));
        return tip != nullptr;
    });
    ASSERT_TRUE(shown);
    wchar_t text[64] = {};
    ::GetWindowTextW(tip, text, 64);
    EXPECT_STREQ(text, L"马赛克");
    SaveScreenshot(RECT{kToolbarX - 20, kToolbarY - 20, kToolbarX + 400, kToolbarY + 120},
                   L"capture_bars_tooltip.png");
}

}  // namespace
