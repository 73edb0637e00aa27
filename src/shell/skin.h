#pragma once

// What every skinned window shares: buttons drawn as a pair of pictures (idle and lit), hint
// labels that follow their button, drag areas that move a window without a title bar, timers as
// state, and the twip arithmetic the windows are laid out in. Each window unit holds these as
// plain state; the Qt classes render them.

#include <cstdint>
#include <optional>

namespace tessivar {

inline constexpr int kTwipsPerPixel = 15;

// The hint labels beside the main window's big buttons: light grey idle, white while lit.
inline constexpr std::uint32_t kHintIdleColour = 0xE0E0E0;
inline constexpr std::uint32_t kHintLitColour = 0xFFFFFF;

// Rounds to the nearest whole number, halves to the even neighbour, as the window system's
// conversions to integers do.
std::int64_t RoundHalfEven(double value);

// A skinned button: the idle picture `...Normal` and the hover picture `...MouseMove` lie at the
// same place, and exactly one of them shows. The hover picture takes the click, so a button acts
// only while it is lit; a disabled idle picture never lights.
struct SkinnedPair {
    bool lit = false;
    bool NormalEnabled = true;
    // The idle picture is also hidden while its window hides the whole button.
    bool visible = true;

    // The mouse moved over the idle picture. True when the look changed.
    bool hover()
    {
        if (lit || !NormalEnabled || !visible)
            return false;
        lit = true;
        return true;
    }
    // Back to the idle look (the mouse moved over the background). True when the look changed.
    bool reset()
    {
        const bool was = lit;
        lit = false;
        return was;
    }
    // Whether a click at the button's place reaches the hover picture.
    bool takesClick() const { return lit && visible; }
};

struct TwipPoint {
    float x = 0;
    float y = 0;
};

// The drag state of a window without a title bar. The strip and the drag picture of a window
// share one: the strip passes its mouse events on unchanged, in its own coordinates.
struct WindowDrag {
    std::int16_t DragStartX = 0;
    std::int16_t DragStartY = 0;
    bool Dragging = false;

    // Mouse down at (x, y) twips inside the area, whatever the button.
    void MouseDown(double x, double y);
    // Mouse move at (x, y) inside the area: the window's new top-left corner while dragging, so
    // that the point grabbed stays under the mouse; nullopt otherwise.
    std::optional<TwipPoint> MouseMove(double x, double y, TwipPoint windowTopLeft) const;
    void MouseUp() { Dragging = false; }
};

// A timer as a window unit asks for it; the window system runs it and calls the unit's handler
// at each tick while it runs.
struct TimerState {
    bool Enabled = false;
    int Interval = 0; // milliseconds

    void start() { Enabled = true; }
    void stop() { Enabled = false; }
};

} // namespace tessivar
