#include "shell/skin.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, std::int64_t> cases[] = {{0.5, 0},     {1.5, 2},         {2.5, 2},  {-0.5, 0},
                                                     {-1.5, -2},   {2.4, 2},         {2.6, 3},  {13038.9, 13039},
                                                     {435.0, 435}, {11136.5, 11136}, {-2.6, -3}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

TEST(SkinnedPair, OnlyTheLitLookTakesTheClickAndADisabledButtonNeverLights)
{
    SkinnedPair button;
    EXPECT_FALSE(button.takesClick());
    EXPECT_TRUE(button.hover());
    EXPECT_FALSE(button.hover()) << "already lit: no change to announce";
    EXPECT_TRUE(button.takesClick());
    EXPECT_TRUE(button.reset());
    EXPECT_FALSE(button.reset());

    button.NormalEnabled = false;
    EXPECT_FALSE(button.hover());
    EXPECT_FALSE(button.takesClick());

    SkinnedPair hidden;
    hidden.visible = false;
    EXPECT_FALSE(hidden.hover());
}

TEST(WindowDrag, TheGrabbedPointStaysUnderTheMouse)
{
    WindowDrag drag;
    EXPECT_FALSE(drag.MouseMove(10, 10, {1000, 2000})) << "no drag before a mouse-down";

    drag.MouseDown(120.5, 60.5); // halves to the even neighbour: 120, 60
    EXPECT_EQ(drag.DragStartX, 120);
    EXPECT_EQ(drag.DragStartY, 60);
    const auto moved = drag.MouseMove(120 + 300, 60 - 150, {1000, 2000});
    ASSERT_TRUE(moved);
    EXPECT_FLOAT_EQ(moved->x, 1300);
    EXPECT_FLOAT_EQ(moved->y, 1850);

    drag.MouseUp();
    EXPECT_FALSE(drag.MouseMove(500, 500, {1000, 2000}));
}

} // namespace
} // namespace tessivar
