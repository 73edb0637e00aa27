#pragma once

// Style sheets for the few standard widgets the skinned windows use, so that they sit in the skin
// instead of in the desktop's theme.

#include "engine/check_state.h"

#include <QString>
#include <Qt>

namespace tessivar::ui {

// A check box drawn with the skin's pictures (off, on, grayed), text in the soft text colour.
QString checkBoxStyle();

// The three states of a check box as Qt names them.
Qt::CheckState qtCheckState(CheckState state);

} // namespace tessivar::ui
