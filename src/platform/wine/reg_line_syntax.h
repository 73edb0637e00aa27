#pragma once

// The small readings of registry text that the key lines and the value lines share. Internal to
// the Wine back-end.

#include <array>
#include <cstdint>
#include <string_view>

namespace tessivar::wine {

inline bool isSpace(char c)
{
    // ' ', and '\t' '\n' '\v' '\f' '\r', which follow each other.
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

// The value of each hex digit; -1 for any other byte.
inline constexpr auto kHexDigits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (int i = 0; i < 10; ++i)
        digits['0' + i] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        digits['a' + i] = static_cast<std::int8_t>(10 + i);
        digits['A' + i] = static_cast<std::int8_t>(10 + i);
    }
    return digits;
}();

inline bool isHexDigit(char c)
{
    return kHexDigits[static_cast<unsigned char>(c)] >= 0;
}

inline unsigned hexValue(char c)
{
    return static_cast<unsigned>(kHexDigits[static_cast<unsigned char>(c)]);
}

inline std::size_t skipSpaces(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return pos;
}

inline bool endsWithBackslash(std::string_view content)
{
    std::size_t end = content.size();
    while (end > 0 && isSpace(content[end - 1]))
        --end;
    return end > 0 && content[end - 1] == '\\';
}

inline bool startsWith(std::string_view text, std::size_t pos, std::string_view prefix)
{
    return text.size() - std::min(pos, text.size()) >= prefix.size() && text.compare(pos, prefix.size(), prefix) == 0;
}

inline std::string_view trimLeft(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return text.substr(pos);
}

} // namespace tessivar::wine
