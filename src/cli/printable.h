#pragma once

// What the command line prints of names, registry data and paths: they may hold tabs and line
// breaks, which printed as they are would forge rows and lines.

#include <string>
#include <string_view>

namespace tessivar {

// `text` with every control character shown as a space.
inline std::string printable(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

} // namespace tessivar
