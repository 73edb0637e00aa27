#pragma once

// The three states of a check box, numbered as the settings store keeps them.

namespace tessivar {

enum class CheckState : int { unchecked = 0, checked = 1, grayed = 2 };

} // namespace tessivar
