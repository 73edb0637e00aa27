#pragma once

// The program-wide mouse pointer the windows switch between: the default arrow and the hourglass
// shown while something long runs. The Qt side sets the application's override cursor.

namespace tessivar {

enum class PointerShape { Default, Hourglass };

class MousePointer {
  public:
    virtual ~MousePointer() = default;
    virtual void setPointer(PointerShape shape) = 0;
};

} // namespace tessivar
