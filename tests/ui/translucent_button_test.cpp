#include <gtest/gtest.h>

#include "resource.h"
#include "ui/translucent_button.h"
#include "ui_test_support.h"

namespace {

// Drives the mouse-state handlers without a window.
class TestButton : public CTranslucentButton {
public:
    using CTranslucentButton::OnLButtonDown;
    using CTranslucentButton::OnLButtonUp;
    using CTranslucentButton::OnMouseHover;
    using CTranslucentButton::OnMouseLeave;

    // Brings the button into a state through the handlers, the way the
    // messages would, in an order that keeps every flag that is asked for.
    void Enter(bool disabled, bool hover, bool pressed, bool checked) {
        if (checked) OnLButtonUp(true, true);
        if (hover) OnMouseHover();
        if (pressed) OnLButtonDown();
        if (disabled) OnEnable(FALSE);
    }
};

const StateImageIds kAllLooks{IDB_START_NORMAL, IDB_BUTTON_DISABLED, IDB_START_HOVER, IDB_START_PRESSED,
                              IDB_CLOSE_NORMAL};
const StateImageIds kNormalOnly{IDB_START_NORMAL, 0, 0, 0, 0};

}  // namespace

TEST(TranslucentButton, RefreshLookChoosesByPrecedenceForEveryState) {
    using S = CTranslucentButton::Slot;
    for (int bits = 0; bits < 16; ++bits) {
        const bool disabled = bits & 1, hover = bits & 2, pressed = bits & 4, checked = bits & 8;
        const S expected = disabled ? S::kDisabled
                           : hover  ? (pressed ? S::kPressed : S::kHover)
                           : checked ? S::kChecked
                                     : S::kNormal;
        const std::string state = "disabled=" + std::to_string(disabled) + " hover=" + std::to_string(hover) +
                                  " pressed=" + std::to_string(pressed) + " checked=" + std::to_string(checked);

        TestButton full;
        ASSERT_TRUE(full.SetStateImages(kAllLooks));
        full.Enter(disabled, hover, pressed, checked);
        EXPECT_EQ(full.IsHover(), hover) << state;
        EXPECT_EQ(full.IsPressed(), pressed) << state;
        EXPECT_EQ(full.IsChecked(), checked) << state;
        EXPECT_EQ(full.CurrentImage(), full.Image(expected)) << state;

        // Every look falls back to the normal image when it has none of its own.
        TestButton plain;
        ASSERT_TRUE(plain.SetStateImages(kNormalOnly));
        plain.Enter(disabled, hover, pressed, checked);
        EXPECT_EQ(plain.CurrentImage(), plain.Image(S::kNormal)) << state;
    }
}

TEST(TranslucentButton, NotifiesOnlyWhenTheImageChanges) {
    TestButton button;
    ASSERT_TRUE(button.SetStateImages(kAllLooks));
    CountingListener listener;
    button.SetRenderListener(&listener);

    button.OnMouseHover();   // normal -> hover
    button.OnMouseHover();   // same image
    button.OnLButtonDown();  // hover -> pressed
    button.OnLButtonUp(true, false);  // pressed -> hover
    EXPECT_EQ(listener.calls, 3);

    // A press without hover keeps the normal image: nothing to compose.
    button.OnMouseLeave();
    EXPECT_EQ(listener.calls, 4);
    button.OnLButtonDown();
    EXPECT_EQ(button.CurrentImage(), button.Image(CTranslucentButton::kNormal));
    EXPECT_EQ(listener.calls, 4);

    // While disabled, hover and press change no image and so notify nobody.
    button.OnEnable(FALSE);
    EXPECT_EQ(listener.calls, 5);
    button.OnMouseHover();
    button.OnLButtonDown();
    button.OnLButtonUp(true, false);
    button.OnMouseLeave();
    EXPECT_EQ(listener.calls, 5);
    EXPECT_EQ(button.CurrentImage(), button.Image(CTranslucentButton::kDisabled));
}

TEST(TranslucentButton, ReleaseInsideAndOutside) {
    // A push button released inside is never checked; a check box toggles on every release inside.
    TestButton push;
    ASSERT_TRUE(push.SetStateImages(kAllLooks));
    for (int i = 0; i < 3; ++i) {
        push.OnLButtonDown();
        push.OnLButtonUp(true, false);
        EXPECT_FALSE(push.IsChecked());
    }
    TestButton box;
    ASSERT_TRUE(box.SetStateImages(kAllLooks));
    box.OnLButtonUp(true, true);
    EXPECT_TRUE(box.IsChecked());
    box.OnLButtonUp(true, true);
    EXPECT_FALSE(box.IsChecked());

    // Pressed, dragged out and released outside: neither pressed nor hover, the normal image.
    TestButton dragged;
    ASSERT_TRUE(dragged.SetStateImages(kAllLooks));
    dragged.OnMouseHover();
    dragged.OnLButtonDown();
    dragged.OnLButtonUp(false, false);
    EXPECT_FALSE(dragged.IsPressed());
    EXPECT_FALSE(dragged.IsHover());
    EXPECT_EQ(dragged.CurrentImage(), dragged.Image(CTranslucentButton::kNormal));
}

TEST(TranslucentButton, SetStateImagesTwiceReplacesEverything) {
    CTranslucentButton button;
    ASSERT_TRUE(button.SetStateImages(kAllLooks));
    for (size_t slot = 0; slot < 5; ++slot) EXPECT_NE(button.Image(slot), nullptr) << slot;
    EXPECT_EQ(button.CurrentImage(), button.Image(CTranslucentButton::kNormal));

    ASSERT_TRUE(button.SetStateImages(StateImageIds{IDB_CLOSE_NORMAL, 0, IDB_CLOSE_HOVER, 0, 0}));
    EXPECT_EQ(button.Image(CTranslucentButton::kNormal)->Width(), 38u);
    EXPECT_EQ(button.Image(CTranslucentButton::kDisabled), nullptr);
    EXPECT_NE(button.Image(CTranslucentButton::kHover), nullptr);
    EXPECT_EQ(button.Image(CTranslucentButton::kPressed), nullptr);
    EXPECT_EQ(button.Image(CTranslucentButton::kChecked), nullptr);
    EXPECT_EQ(button.CurrentImage(), button.Image(CTranslucentButton::kNormal));

    // Without a normal image: nothing at all, and nothing is drawn.
    EXPECT_FALSE(button.SetStateImages(StateImageIds{0, IDB_BUTTON_DISABLED, IDB_CLOSE_HOVER, 0, 0}));
    for (size_t slot = 0; slot < 5; ++slot) EXPECT_EQ(button.Image(slot), nullptr) << slot;
    EXPECT_EQ(button.CurrentImage(), nullptr);
    Canvas canvas(40, 40);
    button.DrawAt(canvas.Graphics(), Gdiplus::RectF(0, 0, 40, 40));
    EXPECT_FALSE(canvas.AnyInked(0, 0, 40, 40));

    // A missing normal PNG still counts as loaded, and draws nothing.
    EXPECT_TRUE(button.SetStateImages(StateImageIds{4321, 0, 0, 0, 0}));
    ASSERT_NE(button.CurrentImage(), nullptr);
    EXPECT_EQ(button.CurrentImage()->Width(), 0u);
    button.DrawAt(canvas.Graphics(), Gdiplus::RectF(0, 0, 40, 40));
    EXPECT_FALSE(canvas.AnyInked(0, 0, 40, 40));
}

TEST(TranslucentButton, DisabledImageIsStretchedToTheButton) {
    // The start button is 160 x 56; its disabled image is 156 x 53.
    TestButton button;
    ASSERT_TRUE(button.SetStateImages(kAllLooks));
    button.OnEnable(FALSE);
    Canvas canvas(170, 60);
    button.DrawAt(canvas.Graphics(), Gdiplus::RectF(0, 0, 160, 56));
    // The rim reaches the right and bottom edges of the button, not those of the image.
    EXPECT_GT(Canvas::Alpha(canvas.Pixel(158, 28)), 128);
    EXPECT_GT(Canvas::Alpha(canvas.Pixel(80, 54)), 128);
    EXPECT_FALSE(canvas.AnyInked(161, 0, 170, 60));
    EXPECT_FALSE(canvas.AnyInked(0, 57, 170, 60));
}
