#include "results/code_page.h"

#include "platform/text_utils.h"

#include <array>
#include <cstdint>

namespace tessivar {

namespace {

// The characters Windows-1252 places at 0x80-0x9F; 0 where the code page has a hole.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char toWindows1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c && c != 0)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

std::string Utf8ToWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<std::uint8_t>(text[pos]) < 0x80) {
            out += text[pos++];
            continue;
        }
        out += toWindows1252(decodeUtf8OrReplacement(text, pos));
    }
    return out;
}

} // namespace tessivar
