#include <gtest/gtest.h>

#include "ui/translucent_button.h"
#include "ui/translucent_label.h"
#include "ui/translucent_progress_bar.h"
#include "ui_test_support.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

TEST(TranslucentWnd, OnEnableRefreshesOnlyWhenTheDisabledFlagChanges) {
    // Only exactly 1 means enabled; every change of the flag asks for one composition.
    struct Case { std::vector<BOOL> calls; bool disabled; int notifications; };
    const Case cases[] = {
        {{0}, true, 1},
        {{1}, false, 0},
        {{2}, true, 1},
        {{-1}, true, 1},
        {{0, 0}, true, 1},
        {{2, 0}, true, 1},
        {{0, 1}, false, 2},
        {{0, 1, 1}, false, 2},
        {{1, 2, 1, 0}, true, 3},
    };
    for (const Case& c : cases) {
        CTranslucentLabel label;
        CountingListener listener;
        label.SetRenderListener(&listener);
        for (BOOL value : c.calls) label.OnEnable(value);
        EXPECT_EQ(label.IsDisabled(), c.disabled) << ::testing::PrintToString(c.calls);
        EXPECT_EQ(listener.calls, c.notifications) << ::testing::PrintToString(c.calls);
    }
}

TEST(TranslucentWnd, ChangesBeforeRegistrationNotifyNobody) {
    CTranslucentLabel label;
    label.OnEnable(FALSE);
    label.SetText(L"x");
    label.RefreshLook();
    EXPECT_TRUE(label.IsDisabled());
    EXPECT_EQ(label.RenderListener(), nullptr);
}

TEST(TranslucentWnd, SlotCountsAndClearImages) {
    CTranslucentButton button;
    CTranslucentLabel label;
    CTranslucentProgressBar bar;
    EXPECT_EQ(button.ImageSlotCount(), 5u);
    EXPECT_EQ(label.ImageSlotCount(), 5u);
    EXPECT_EQ(bar.ImageSlotCount(), 2u);

    label.ClearImages();  // all empty: nothing to do
    EXPECT_EQ(label.ImageSlotCount(), 5u);

    ASSERT_TRUE(bar.SetFillImage(144));
    ASSERT_NE(bar.Image(CTranslucentProgressBar::kFill), nullptr);
    bar.ClearImages();
    EXPECT_EQ(bar.ImageSlotCount(), 2u);
    EXPECT_EQ(bar.Image(CTranslucentProgressBar::kFill), nullptr);
}

TEST(TextStyle, DefaultsAndTheLabelsTextSize) {
    CTranslucentLabel label;
    const TextStyle& style = label.Style();
    ASSERT_NE(style.Font(), nullptr);
    ASSERT_NE(style.Format(), nullptr);
    ASSERT_NE(style.Brush(), nullptr);

    REAL size = 0;
    Unit unit = UnitWorld;
    INT fontStyle = -1;
    StringAlignment align = StringAlignmentNear, lineAlign = StringAlignmentNear;
    ARGB color = 0;
    GdipGetFontSize(style.Font(), &size);
    GdipGetFontUnit(style.Font(), &unit);
    GdipGetFontStyle(style.Font(), &fontStyle);
    GdipGetStringFormatAlign(style.Format(), &align);
    GdipGetStringFormatLineAlign(style.Format(), &lineAlign);
    GdipGetSolidFillColor(style.Brush(), &color);
    // (The style GDI+ reports depends on the face that stands in for "Arial"
    // on this machine, so it is not checked.)
    EXPECT_FLOAT_EQ(size, 12.0f);
    EXPECT_EQ(unit, UnitPoint);
    EXPECT_EQ(align, StringAlignmentCenter);
    EXPECT_EQ(lineAlign, StringAlignmentCenter);
    EXPECT_EQ(color, 0xFF000000u);

    label.SetTextSize(16.0f);
    ASSERT_NE(label.Style().Font(), nullptr);
    GdipGetFontSize(label.Style().Font(), &size);
    GdipGetFontUnit(label.Style().Font(), &unit);
    GdipGetFontStyle(label.Style().Font(), &fontStyle);
    EXPECT_FLOAT_EQ(size, 16.0f);
    EXPECT_EQ(unit, UnitPixel);
    EXPECT_EQ(fontStyle, FontStyleBold);
}

TEST(TextStyle, UnknownFamilyFallsBackToSansSerif) {
    // Whether the generic family exists depends on the machine's fonts: the
    // style has a font exactly when it does, and without one draws nothing.
    GpFontFamily* generic = nullptr;
    const bool haveGeneric = GdipGetGenericFontFamilySansSerif(&generic) == Ok;
    if (generic) GdipDeleteFontFamily(generic);

    TextStyle style;
    style.SetFont(L"No Such Family 1234", 20.0f, FontStyleBold, UnitPixel);
    EXPECT_EQ(style.Font() != nullptr, haveGeneric);
    if (style.Font()) {
        REAL size = 0;
        GdipGetFontSize(style.Font(), &size);
        EXPECT_FLOAT_EQ(size, 20.0f);
    }
    Canvas canvas(100, 40);
    style.DrawText(canvas.Graphics(), haveGeneric ? L"" : L"text", RectF(0, 0, 100, 40));
    EXPECT_FALSE(canvas.AnyInked(0, 0, 100, 40));
}

TEST(TranslucentLabel, SetTextComposesEveryTimeEvenWithTheSameText) {
    CTranslucentLabel label;
    CountingListener listener;
    label.SetRenderListener(&listener);
    label.SetText(L"正在获取最新版本...");
    label.SetText(L"正在获取最新版本...");
    label.SetText(L"");
    EXPECT_EQ(listener.calls, 3);
    EXPECT_EQ(listener.last, &label);
}

TEST(TextStyle, DrawsTheTextInItsColourInsideTheRectangle) {
    TextStyle style;
    style.SetFont(L"黑体", 16.0f, FontStyleBold, UnitPixel);
    style.SetColor(0xFFBC722F);
    style.SetAlignment(StringAlignmentNear, StringAlignmentCenter);

    Canvas canvas(300, 100);
    const RectF layout(20, 10, 200, 60);
    style.DrawText(canvas.Graphics(), L"", layout);
    EXPECT_FALSE(canvas.AnyInked(0, 0, 300, 100)) << "an empty text draws nothing";

    // Longer than the rectangle is wide: wraps onto a second line inside it.
    style.DrawText(canvas.Graphics(), L"下载文件：2/15，下载大小：6.07MB/60.11MB", layout);
    EXPECT_FALSE(canvas.AnyInked(0, 0, 300, 10));
    EXPECT_FALSE(canvas.AnyInked(0, 70, 300, 100));
    EXPECT_FALSE(canvas.AnyInked(0, 0, 20, 100));
    EXPECT_FALSE(canvas.AnyInked(220, 0, 300, 100));
    EXPECT_TRUE(canvas.AnyInked(20, 10, 220, 40)) << "first line";
    EXPECT_TRUE(canvas.AnyInked(20, 40, 220, 70)) << "wrapped line";

    // Solid strokes of the glyphs carry the brush's colour.
    bool found = false;
    for (int y = 10; y < 70 && !found; ++y)
        for (int x = 20; x < 220 && !found; ++x) {
            const ARGB c = canvas.Pixel(x, y);
            found = Canvas::Alpha(c) == 255 && Canvas::Red(c) == 0xBC && Canvas::Green(c) == 0x72 &&
                    Canvas::Blue(c) == 0x2F;
        }
    EXPECT_TRUE(found) << "no pixel in the text colour";
}

TEST(TextStyle, KeptTextIsRedrawnAfterEveryChangeOfWhatItShows) {
    TextStyle style;
    style.SetFont(L"黑体", 16.0f, FontStyleBold, UnitPixel);
    const RectF layout(0, 0, 200, 30);
    auto inkIn = [&](ARGB wanted, const std::wstring& text, int x0, int x1) {
        Canvas canvas(200, 30);
        style.DrawText(canvas.Graphics(), text, layout);
        for (int y = 0; y < 30; ++y)
            for (int x = x0; x < x1; ++x)
                if (canvas.Pixel(x, y) == wanted) return true;
        return false;
    };
    style.SetColor(0xFFFF0000);
    EXPECT_TRUE(inkIn(0xFFFF0000, L"正在下载", 0, 200));
    style.SetColor(0xFF0000FF);
    EXPECT_TRUE(inkIn(0xFF0000FF, L"正在下载", 0, 200)) << "new colour";
    GdipSetSolidFillColor(style.Brush(), 0xFF00FF00);  // straight on the brush, as an owner may
    EXPECT_TRUE(inkIn(0xFF00FF00, L"正在下载", 0, 200)) << "colour set on the brush";

    style.SetAlignment(StringAlignmentFar, StringAlignmentCenter);
    EXPECT_FALSE(inkIn(0xFF00FF00, L"正在下载", 0, 100)) << "right-aligned: nothing in the left half";
    EXPECT_TRUE(inkIn(0xFF00FF00, L"正在下载正在下载正在下载", 0, 100)) << "new text";
}

TEST(PngImage, StretchedDrawingFollowsTheAskedSize) {
    std::unique_ptr<PngImage> image = LoadPngResource(145);  // 156 x 53
    ASSERT_TRUE(image && image->Get());
    for (int round = 0; round < 2; ++round) {
        for (const RectF& rect : {RectF(0, 0, 160, 56), RectF(0, 0, 80, 28), RectF(0, 0, 156, 53)}) {
            Canvas canvas(170, 60);
            image->DrawStretched(canvas.Graphics(), rect);
            const int right = static_cast<int>(rect.Width), bottom = static_cast<int>(rect.Height);
            EXPECT_GT(Canvas::Alpha(canvas.Pixel(right - 2, bottom / 2)), 128) << rect.Width;
            EXPECT_FALSE(canvas.AnyInked(right + 1, 0, 170, 60)) << rect.Width;
        }
    }
}
