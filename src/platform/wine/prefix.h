#pragma once

// Where the Wine prefix is: $WINEPREFIX (absolute, trailing "/" removed), else ~/.wine, the
// convention of Wine's own tools.

#include <filesystem>

namespace tessivar::wine {

std::filesystem::path defaultPrefixPath();

} // namespace tessivar::wine
