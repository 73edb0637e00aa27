#pragma once

// Style sheets for the few standard widgets the skinned windows use, so that they sit in the skin
// instead of in the desktop's theme.

#include <QString>

namespace tessivar::ui {

// A check box drawn with the skin's pictures (off, on, grayed), text in the soft text colour.
QString checkBoxStyle();

} // namespace tessivar::ui
