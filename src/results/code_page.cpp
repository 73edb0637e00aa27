#include "results/code_page.h"

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

// Decodes one well-formed UTF-8 sequence at `pos`; on a malformed one consumes a single byte and
// gives U+FFFD, which the code page lacks.
char32_t decodeOne(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + length > text.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF) {
        ++pos;
        return 0xFFFD;
    }
    pos += length;
    return c;
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
        out += toWindows1252(decodeOne(text, pos));
    }
    return out;
}

} // namespace tessivar
