// Skin parsing, layout, decoding, reading skins from folders and archives, and building
// control trees, without a window.
#include <gtest/gtest.h>

#include "common/skin/uilayout.h"
#include "common/skin/uilib.h"
#include "common/skin/uiparse.h"
#include "skin/skintestutil.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_RECT(r, l, t, rr, b) EXPECT_TRUE(SameRect((r), RECT{l, t, rr, b}))

UILayoutItem Fixed(int w, int h) {
    UILayoutItem item;
    item.fixedWidth = w;
    item.fixedHeight = h;
    return item;
}

}  // namespace

TEST(SkinParse, Colors) {
    DWORD c = 0;
    EXPECT_TRUE(UIParseColor(L"#1E88E5", c));
    EXPECT_EQ(c, 0xFF1E88E5u);
    EXPECT_TRUE(UIParseColor(L"#801e88e5", c));
    EXPECT_EQ(c, 0x801E88E5u);
    c = 7;
    EXPECT_FALSE(UIParseColor(L"#12345", c));
    EXPECT_FALSE(UIParseColor(L"1E88E5", c));
    EXPECT_FALSE(UIParseColor(L"#GG0000", c));
    EXPECT_FALSE(UIParseColor(nullptr, c));
    EXPECT_EQ(c, 7u);
}

TEST(SkinParse, RectsSizesNumbersAndBooleans) {
    RECT rc{9, 9, 9, 9};
    EXPECT_TRUE(UIParseRect(L" 1, -2 ,3,4", rc));
    EXPECT_RECT(rc, 1, -2, 3, 4);
    EXPECT_FALSE(UIParseRect(L"1,2,3", rc));
    EXPECT_FALSE(UIParseRect(L"1,2,3,4,5", rc));
    EXPECT_FALSE(UIParseRect(L"1,2,x,4", rc));
    EXPECT_RECT(rc, 1, -2, 3, 4);
    SIZE sz{};
    EXPECT_TRUE(UIParseSize(L"400,300", sz));
    EXPECT_EQ(sz.cx, 400);
    EXPECT_EQ(sz.cy, 300);
    int n = 0;
    EXPECT_FALSE(UIParseInt(L"99999999999", n));
    EXPECT_FALSE(UIParseInt(L"", n));
    EXPECT_TRUE(UIParseInt(L"-12", n));
    EXPECT_EQ(n, -12);
    bool b = false;
    EXPECT_TRUE(UIParseBool(L"true", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(UIParseBool(L"0", b));
    EXPECT_FALSE(b);
    EXPECT_FALSE(UIParseBool(L"yes", b));
}

TEST(SkinParse, ImageReferences) {
    UIImageSpec imageSpec;
    EXPECT_TRUE(UIParseImageSpec(L"bk.png", imageSpec));
    EXPECT_EQ(imageSpec.file, L"bk.png");
    EXPECT_FALSE(imageSpec.hasSource);

    // The form the option bar writes for the colour preview.
    EXPECT_TRUE(UIParseImageSpec(L"file='colorlarge.png' source='56,0,84,28'", imageSpec));
    EXPECT_EQ(imageSpec.file, L"colorlarge.png");
    EXPECT_TRUE(imageSpec.hasSource);
    EXPECT_RECT(imageSpec.source, 56, 0, 84, 28);
    EXPECT_FALSE(imageSpec.hasDest);

    EXPECT_TRUE(
        UIParseImageSpec(L"dest=\"2,2,20,20\" file=\"a b.png\" corner='1,1,1,1' fade='80'", imageSpec));
    EXPECT_EQ(imageSpec.file, L"a b.png");
    EXPECT_RECT(imageSpec.dest, 2, 2, 20, 20);
    EXPECT_RECT(imageSpec.corner, 1, 1, 1, 1);

    imageSpec.file = L"kept";
    EXPECT_FALSE(UIParseImageSpec(L"source='1,2,3,4'", imageSpec));
    EXPECT_FALSE(UIParseImageSpec(L"file='x.png' source='bad'", imageSpec));
    EXPECT_FALSE(UIParseImageSpec(L"file='x.png", imageSpec));
    EXPECT_FALSE(UIParseImageSpec(L"   ", imageSpec));
    EXPECT_EQ(imageSpec.file, L"kept");
}

TEST(SkinLayout, VerticalFixedAndStretchWithInsetAndPadding) {
    std::vector<UILayoutItem> items{Fixed(0, 30), Fixed(0, 0), Fixed(0, 40)};
    auto rects = UILayoutLinear(RECT{0, 0, 100, 200}, RECT{10, 10, 10, 10}, 5, true, UIALIGN_START,
                                UIALIGN_START, items);
    EXPECT_RECT(rects[0], 10, 10, 90, 40);
    EXPECT_RECT(rects[1], 10, 45, 90, 145);
    EXPECT_RECT(rects[2], 10, 150, 90, 190);
}

TEST(SkinLayout, HiddenChildrenTakeNoRoom) {
    std::vector<UILayoutItem> items{Fixed(0, 30), Fixed(0, 50), Fixed(0, 0)};
    items[1].visible = false;
    auto rects =
        UILayoutLinear(RECT{0, 0, 100, 100}, RECT{}, 0, true, UIALIGN_START, UIALIGN_START, items);
    EXPECT_RECT(rects[0], 0, 0, 100, 30);
    EXPECT_RECT(rects[1], 0, 0, 0, 0);
    EXPECT_RECT(rects[2], 0, 30, 100, 100);
}

TEST(SkinLayout, StretchingChildrenShareEveryPixel) {
    std::vector<UILayoutItem> items{Fixed(0, 0), Fixed(0, 0)};
    auto rects =
        UILayoutLinear(RECT{0, 0, 101, 20}, RECT{}, 0, false, UIALIGN_START, UIALIGN_START, items);
    EXPECT_RECT(rects[0], 0, 0, 51, 20);
    EXPECT_RECT(rects[1], 51, 0, 101, 20);
}

TEST(SkinLayout, AlignmentAndMargins) {
    std::vector<UILayoutItem> items{Fixed(20, 10), Fixed(20, 0)};
    auto rects = UILayoutLinear(RECT{0, 0, 100, 30}, RECT{}, 10, false, UIALIGN_CENTER,
                                UIALIGN_CENTER, items);
    EXPECT_RECT(rects[0], 25, 10, 45, 20);
    EXPECT_RECT(rects[1], 55, 0, 75, 30);

    UILayoutItem margin;
    margin.padding = RECT{5, 2, 5, 2};
    rects =
        UILayoutLinear(RECT{0, 0, 50, 50}, RECT{}, 0, true, UIALIGN_START, UIALIGN_START, {margin});
    EXPECT_RECT(rects[0], 5, 2, 45, 48);
}

TEST(SkinLayout, OverfullRunIsCutAtTheEnd) {
    std::vector<UILayoutItem> items{Fixed(60, 0), Fixed(60, 0), Fixed(0, 0)};
    auto rects =
        UILayoutLinear(RECT{0, 0, 100, 10}, RECT{}, 0, false, UIALIGN_START, UIALIGN_START, items);
    EXPECT_RECT(rects[0], 0, 0, 60, 10);
    EXPECT_RECT(rects[1], 60, 0, 100, 10);
    EXPECT_RECT(rects[2], 100, 0, 100, 10);
}

TEST(SkinBuilder, DecodesUtf8AndUtf16Skins) {
    std::vector<unsigned char> utf8{0xEF, 0xBB, 0xBF, '<', 'a', '/', '>', 0xE5, 0xAE, 0x8B};
    EXPECT_EQ(CDialogBuilder::DecodeText(utf8), L"<a/>\x5B8B");
    std::vector<unsigned char> plain{'<', 'b', '/', '>'};
    EXPECT_EQ(CDialogBuilder::DecodeText(plain), L"<b/>");
    std::vector<unsigned char> utf16{0xFF, 0xFE, '<', 0, 'c', 0, 0x8B, 0x5B};
    EXPECT_EQ(CDialogBuilder::DecodeText(utf16), L"<c\x5B8B");
    EXPECT_EQ(CDialogBuilder::DecodeText({}), L"");
}

TEST(SkinBuilder, BuildsTreeSkippingUnknownElementsAndAttributes) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.CreateFromText(
        L"<Window size=\"300,200\" caption=\"0,0,0,30\" roundcorner=\"6,6\" bogus=\"1\">"
        L"<Default class=\"Button\" height=\"30\" textcolor=\"#FF112233\"/>"
        L"<VerticalLayout name=\"root\"><Button name=\"b1\" text=\"确定\"/>"
        L"<Mystery><Button name=\"inner\"/></Mystery>"
        L"<Label name=\"l1\" bogus=\"1\" text=\"x\"/><Button name=\"b2\" height=\"44\"/>"
        L"</VerticalLayout><Label name=\"second_root\"/></Window>",
        nullptr, &pm));
    ASSERT_TRUE(root);
    pm.AttachDialog(root.release());
    EXPECT_EQ(pm.GetInitSize().cx, 300);
    EXPECT_EQ(pm.GetInitSize().cy, 200);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 30);
    EXPECT_EQ(pm.GetRoundCorner().cx, 6);
    CControlUI* b1 = pm.FindControl(L"b1");
    ASSERT_NE(b1, nullptr);
    EXPECT_EQ(b1->GetText(), L"确定");
    EXPECT_EQ(b1->GetFixedHeight(), 30);
    EXPECT_EQ(b1->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(pm.FindControl(L"b2")->GetFixedHeight(), 44);
    EXPECT_NE(pm.FindControl(L"l1"), nullptr);
    EXPECT_EQ(pm.FindControl(L"inner"), nullptr);
    EXPECT_EQ(pm.FindControl(L"second_root"), nullptr);
    EXPECT_EQ(pm.FindControl(L"missing"), nullptr);
    EXPECT_EQ(pm.FindControl(L""), nullptr);
    EXPECT_EQ(pm.FindControl(static_cast<const wchar_t*>(nullptr)), nullptr);
}

TEST(SkinBuilder, RefusesBrokenOrEmptySkins) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    EXPECT_EQ(builder.CreateFromText(L"<Window><VerticalLayout></Window>", nullptr, &pm), nullptr);
    EXPECT_EQ(builder.CreateFromText(L"<Dialog><Button/></Dialog>", nullptr, &pm), nullptr);
    EXPECT_EQ(builder.CreateFromText(L"<Window><Font id=\"1\"/></Window>", nullptr, &pm), nullptr);
    EXPECT_EQ(builder.CreateFromText(L"<Window><Unknown/></Window>", nullptr, &pm), nullptr);
    EXPECT_EQ(builder.CreateFromText(L"", nullptr, &pm), nullptr);
}

TEST(SkinBuilder, CallbackSuppliesOwnControls) {
    struct Callback : IDialogBuilderCallback {
        CControlUI* CreateControl(const wchar_t* name) override {
            return std::wstring(name) == L"Preview" ? new CLabelUI : nullptr;
        }
    } callback;
    CPaintManagerUI pm;
    CDialogBuilder builder;
    pm.AttachDialog(
        builder.CreateFromText(L"<Window><HorizontalLayout><Preview name=\"p\"/><Other "
                               L"name=\"o\"/></HorizontalLayout></Window>",
                               &callback, &pm));
    EXPECT_NE(pm.FindControl(L"p"), nullptr);
    EXPECT_EQ(pm.FindControl(L"o"), nullptr);
}

TEST(SkinControls, ComboItemsAndCurrentItem) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    pm.AttachDialog(
        builder.CreateFromText(L"<Window><VerticalLayout><Combo name=\"c\" cursel=\"2\"><Item "
                               L"text=\"9\"/><Item text=\"10\"/>"
                               L"<Item text=\"12\"/><Other text=\"x\"/></Combo><Combo name=\"d\" "
                               L"cursel=\"7\"><Item text=\"a\"/>"
                               L"</Combo><Combo name=\"e\"/></VerticalLayout></Window>",
                               nullptr, &pm));
    auto* c = dynamic_cast<CComboUI*>(pm.FindControl(L"c"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetCount(), 3);
    EXPECT_EQ(c->GetCurSel(), 2);
    EXPECT_EQ(c->GetText(), L"12");
    NotifyLog log;
    pm.AddNotifier(&log);
    EXPECT_TRUE(c->SelectItem(0));
    EXPECT_TRUE(c->SelectItem(0));
    EXPECT_FALSE(c->SelectItem(3));
    EXPECT_EQ(log.events, std::vector<std::wstring>{L"itemselect:c"});
    auto* d = dynamic_cast<CComboUI*>(pm.FindControl(L"d"));
    EXPECT_EQ(d->GetCurSel(), 0);
    auto* e = dynamic_cast<CComboUI*>(pm.FindControl(L"e"));
    EXPECT_EQ(e->GetCurSel(), -1);
    EXPECT_EQ(e->GetText(), L"");
}

TEST(SkinControls, OptionGroupsKeepOneSelected) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    pm.AttachDialog(builder.CreateFromText(
        L"<Window><VerticalLayout><Option name=\"a\" group=\"g\" selected=\"true\"/>"
        L"<Option name=\"b\" group=\"g\"/><Option name=\"t\"/></VerticalLayout></Window>",
        nullptr, &pm));
    auto* a = dynamic_cast<COptionUI*>(pm.FindControl(L"a"));
    auto* b = dynamic_cast<COptionUI*>(pm.FindControl(L"b"));
    auto* t = dynamic_cast<COptionUI*>(pm.FindControl(L"t"));
    NotifyLog log;
    pm.AddNotifier(&log);
    b->Activate();
    EXPECT_FALSE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    b->Activate();
    EXPECT_TRUE(b->IsSelected());
    t->Activate();
    t->Activate();
    EXPECT_FALSE(t->IsSelected());
    a->Selected(true, false);
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(log.events,
              (std::vector<std::wstring>{L"click:b", L"selectchanged:b", L"click:b", L"click:t",
                                         L"selectchanged:t", L"click:t", L"selectchanged:t"}));
}

TEST(SkinControls, HidingAGroupHidesItsChildren) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    pm.AttachDialog(
        builder.CreateFromText(L"<Window><VerticalLayout><VerticalLayout name=\"g\" "
                               L"visible=\"false\"><Button name=\"in\"/>"
                               L"</VerticalLayout></VerticalLayout></Window>",
                               nullptr, &pm));
    CControlUI* in = pm.FindControl(L"in");
    EXPECT_FALSE(in->IsVisible());
    pm.FindControl(L"g")->SetVisible(true);
    EXPECT_TRUE(in->IsVisible());
    pm.FindControl(L"g")->SetVisible(false);
    EXPECT_FALSE(in->IsVisible());
}

TEST(SkinControls, SliderDragReportsStepsAndFinalValue) {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    pm.AttachDialog(builder.CreateFromText(
        L"<Window><VerticalLayout><Slider name=\"s\" min=\"0\" max=\"100\" value=\"10\" "
        L"thumbsize=\"16\" sendmove=\"true\"/></VerticalLayout></Window>",
        nullptr, &pm));
    auto* s = dynamic_cast<CSliderUI*>(pm.FindControl(L"s"));
    // The track runs from x 8 to 208: two pixels per step.
    s->SetPos(RECT{0, 0, 216, 30});
    NotifyLog log;
    pm.AddNotifier(&log);
    TEventUI event;
    event.Type = UIEVENT_BUTTONDOWN;
    event.ptMouse = POINT{58, 15};
    s->DoEvent(event);
    EXPECT_EQ(s->GetValue(), 25);
    event.Type = UIEVENT_MOUSEMOVE;
    event.ptMouse = POINT{500, 15};
    s->DoEvent(event);
    EXPECT_EQ(s->GetValue(), 100);
    event.ptMouse = POINT{159, 15};
    s->DoEvent(event);
    EXPECT_EQ(s->GetValue(), 76);
    event.Type = UIEVENT_BUTTONUP;
    s->DoEvent(event);
    EXPECT_EQ(log.events, (std::vector<std::wstring>{L"valuechanged_move:s", L"valuechanged_move:s",
                                                     L"valuechanged_move:s", L"valuechanged:s"}));
    // A press that ends where it started changes nothing and reports nothing.
    log.events.clear();
    event.Type = UIEVENT_BUTTONDOWN;
    s->DoEvent(event);
    event.Type = UIEVENT_BUTTONUP;
    s->DoEvent(event);
    EXPECT_TRUE(log.events.empty());
}

TEST(SkinControls, ProgressClampsItsValue) {
    CProgressUI p;
    p.SetRange(1, 20);
    p.SetValue(0);
    EXPECT_EQ(p.GetValue(), 1);
    p.SetValue(99);
    EXPECT_EQ(p.GetValue(), 20);
    p.SetRange(30, 10);
    EXPECT_EQ(p.GetMinValue(), 1);
    p.SetRange(5, 10);
    EXPECT_EQ(p.GetValue(), 10);
}

TEST(SkinResources, ReadsFromFolderAndArchive) {
    std::wstring data = SkinDataDir();
    std::vector<unsigned char> fromFolder, fromZip;
    CPaintManagerUI::SetResourcePath(data.c_str());
    CPaintManagerUI::SetResourceZip(L"");
    ASSERT_TRUE(CPaintManagerUI::ReadSkinFile(L"window.xml", fromFolder));
    CPaintManagerUI::SetResourcePath((data + L"zip").c_str());
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), data + L"zip\\");
    CPaintManagerUI::SetResourceZip(L"skins.zip");
    ASSERT_TRUE(CPaintManagerUI::ReadSkinFile(L"window.xml", fromZip));
    EXPECT_EQ(fromZip, fromFolder);
    EXPECT_FALSE(CPaintManagerUI::ReadSkinFile(L"nothere.xml", fromZip));
    CPaintManagerUI::SetResourceZip(L"missing.zip");
    EXPECT_FALSE(CPaintManagerUI::ReadSkinFile(L"window.xml", fromZip));
    CPaintManagerUI::SetResourceZip(L"");
}

TEST(SkinResources, DamagedArchiveReadsNothing) {
    std::wstring data = SkinDataDir();
    std::vector<unsigned char> zip;
    ASSERT_TRUE(ReadBytes(data + L"zip\\skins.zip", zip));
    std::wstring temp = MakeTempDir(L"ntskin_damaged");
    // Cut off the central directory.
    std::vector<unsigned char> cut(zip.begin(), zip.begin() + zip.size() / 2);
    ASSERT_TRUE(WriteBytes(temp + L"cut.zip", cut));
    // Keep the directory but spoil the compressed data of every member.
    std::vector<unsigned char> spoiled = zip;
    for (size_t i = 40; i < spoiled.size() / 2; i += 7) spoiled[i] ^= 0x5A;
    ASSERT_TRUE(WriteBytes(temp + L"spoiled.zip", spoiled));
    CPaintManagerUI::SetResourcePath(temp.c_str());
    std::vector<unsigned char> out;
    CPaintManagerUI::SetResourceZip(L"cut.zip");
    EXPECT_FALSE(CPaintManagerUI::ReadSkinFile(L"window.xml", out));
    CPaintManagerUI::SetResourceZip(L"spoiled.zip");
    EXPECT_FALSE(CPaintManagerUI::ReadSkinFile(L"window.xml", out));
    CPaintManagerUI::SetResourceZip(L"");
}
