#pragma once

// The help texts of `reg /?` and `reg OPERATION /?`.

#include <string_view>

namespace tessivar::cli {

// `operation` in lower case ("query", "add", "delete", "export"); "" for the overview.
std::string_view regHelpText(std::string_view operation);

} // namespace tessivar::cli
