#include "shell/skin.h"

#include <cfenv>
#include <cmath>

namespace tessivar {

std::int64_t RoundHalfEven(double value)
{
    // nearbyint follows the rounding mode, which is to-nearest-even unless someone changed it.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return static_cast<std::int64_t>(rounded);
}

namespace {

std::int16_t toTwipCoordinate(double value)
{
    const std::int64_t rounded = RoundHalfEven(value);
    if (rounded > INT16_MAX)
        return INT16_MAX;
    if (rounded < INT16_MIN)
        return INT16_MIN;
    return static_cast<std::int16_t>(rounded);
}

} // namespace

void WindowDrag::MouseDown(double x, double y)
{
    DragStartX = toTwipCoordinate(x);
    DragStartY = toTwipCoordinate(y);
    Dragging = true;
}

std::optional<TwipPoint> WindowDrag::MouseMove(double x, double y, TwipPoint windowTopLeft) const
{
    if (!Dragging)
        return std::nullopt;
    return TwipPoint{windowTopLeft.x + static_cast<float>(x) - DragStartX,
                     windowTopLeft.y + static_cast<float>(y) - DragStartY};
}

} // namespace tessivar
