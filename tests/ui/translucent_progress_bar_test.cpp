#include <gtest/gtest.h>

#include <climits>

#include "resource.h"
#include "ui/translucent_progress_bar.h"
#include "ui_test_support.h"

namespace {

struct Step {
    enum Kind { kValue, kRange } kind;
    int a;
    int b;
};

}  // namespace

TEST(TranslucentProgressBar, ValueAndRangeNotifications) {
    struct Case { const char* name; std::vector<Step> steps; int value; int notifications; };
    const Case cases[] = {
        {"value inside", {{Step::kValue, 40, 0}}, 40, 1},
        {"same value again", {{Step::kValue, 40, 0}, {Step::kValue, 40, 0}}, 40, 2},
        {"minimum and maximum are inside", {{Step::kValue, 0, 0}, {Step::kValue, 100, 0}}, 100, 2},
        {"above the range", {{Step::kValue, 101, 0}}, 0, 0},
        {"below the range", {{Step::kValue, -1, 0}}, 0, 0},
        {"range keeps the value", {{Step::kValue, 30, 0}, {Step::kRange, 0, 50}}, 30, 1},
        {"range pulls the value up", {{Step::kRange, 10, 20}}, 10, 1},
        {"range pulls the value down", {{Step::kValue, 80, 0}, {Step::kRange, 0, 50}}, 50, 2},
        {"the main dialog's set-up", {{Step::kRange, 0, 100}, {Step::kValue, 0, 0}}, 0, 1},
        {"widest range", {{Step::kRange, INT_MIN, INT_MAX}, {Step::kValue, INT_MAX, 0}}, INT_MAX, 1},
    };
    for (const Case& c : cases) {
        CTranslucentProgressBar bar;
        CountingListener listener;
        bar.SetRenderListener(&listener);
        for (const Step& step : c.steps) {
            if (step.kind == Step::kValue)
                bar.SetValue(step.a);
            else
                bar.SetValueRange(step.a, step.b);
        }
        EXPECT_EQ(bar.Value(), c.value) << c.name;
        EXPECT_EQ(listener.calls, c.notifications) << c.name;
    }
}

TEST(TranslucentProgressBar, FillWidth) {
    struct Case { int minimum; int maximum; int value; float width; float fill; };
    const Case cases[] = {
        {0, 100, 0, 548, 0},     {0, 100, 50, 548, 274},  {0, 100, 100, 548, 548}, {0, 100, 33, 548, 180.84f},
        {-50, 50, 0, 200, 100},  {5, 5, 5, 548, 0},       {INT_MIN, INT_MAX, INT_MAX, 100, 100},
    };
    for (const Case& c : cases) {
        CTranslucentProgressBar bar;
        bar.SetValueRange(c.minimum, c.maximum);
        bar.SetValue(c.value);
        EXPECT_NEAR(bar.FillWidth(c.width), c.fill, 0.01) << c.minimum << ".." << c.maximum << " at " << c.value;
    }
}

TEST(TranslucentProgressBar, FillIsRevealedAtItsOwnScale) {
    CTranslucentProgressBar bar;
    ASSERT_TRUE(bar.SetFillImage(IDB_PROGRESS_FILL));
    std::unique_ptr<PngImage> fill = LoadPngResource(IDB_PROGRESS_FILL);
    Canvas reference(640, 44);
    ASSERT_EQ(Gdiplus::DllExports::GdipDrawImageRectI(reference.Graphics(), fill->Get(), 0, 0, 640, 44), Gdiplus::Ok);

    const int kLeft = 10, kTop = 5, kWidth = 548, kHeight = 38;
    const Gdiplus::RectF control(kLeft, kTop, kWidth, kHeight);
    {
        Canvas canvas(700, 60);
        bar.DrawAt(canvas.Graphics(), control);
        EXPECT_FALSE(canvas.AnyInked(0, 0, 700, 60)) << "at the minimum nothing of the fill shows";
    }
    {
        bar.SetValue(50);
        Canvas canvas(700, 60);
        bar.DrawAt(canvas.Graphics(), control);
        // Half the control's width, each pixel the fill image's own (not stretched).
        for (int x : {0, 100, 200, 272}) {
            for (int y : {12, 20, 28}) EXPECT_EQ(canvas.Pixel(kLeft + x, kTop + y), reference.Pixel(x, y)) << x << "," << y;
        }
        EXPECT_FALSE(canvas.AnyInked(kLeft + 275, 0, 700, 60)) << "beyond half the width";
        EXPECT_FALSE(canvas.AnyInked(0, kTop + kHeight, 700, 60)) << "below the control: the image is taller";
    }
    {
        bar.SetValue(100);
        Canvas canvas(700, 60);
        bar.DrawAt(canvas.Graphics(), control);
        EXPECT_EQ(canvas.Pixel(kLeft + 546, kTop + 20), reference.Pixel(546, 20));
        EXPECT_FALSE(canvas.AnyInked(kLeft + kWidth, 0, 700, 60));
    }
}

TEST(TranslucentProgressBar, ControlWiderThanTheFillShowsTheFillUpToItsWidth) {
    CTranslucentProgressBar bar;
    ASSERT_TRUE(bar.SetFillImage(IDB_PROGRESS_FILL));
    bar.SetValue(100);
    Canvas canvas(760, 50);
    bar.DrawAt(canvas.Graphics(), Gdiplus::RectF(0, 0, 740, 44));
    EXPECT_EQ(Canvas::Alpha(canvas.Pixel(630, 20)), 255);
    EXPECT_FALSE(canvas.AnyInked(640, 0, 760, 50)) << "nothing beyond the image's 640 columns";
}

TEST(TranslucentProgressBar, MissingFillDrawsNothing) {
    CTranslucentProgressBar bar;
    EXPECT_TRUE(bar.SetFillImage(4321)) << "an empty image is still an image object";
    bar.SetValue(100);
    Canvas canvas(600, 50);
    bar.DrawAt(canvas.Graphics(), Gdiplus::RectF(0, 0, 548, 38));
    EXPECT_FALSE(canvas.AnyInked(0, 0, 600, 50));
}
