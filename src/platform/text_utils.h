#pragma once
// The small text helpers every layer needs: blanks trimmed, ASCII letter case, hex digits and
// UTF-8 decoding. Letter case here is ASCII only, as the C locale the program runs in has it.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessivar {

constexpr char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` without the `blanks` at either end (spaces only by default, as Trim does).
std::string_view trimmed(std::string_view text, std::string_view blanks = " ");

// `text` with its ASCII letters upper-cased.
std::string upper(std::string_view text);

// Whether `a` and `b` are the same text, ASCII letter case ignored.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The value of a hex digit, -1 when `c` is not one.
constexpr int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr bool isHexDigit(char c)
{
    return hexDigitValue(c) >= 0;
}

// Whether a decoded UTF-8 sequence may stand for a surrogate (WTF-8, which names may carry).
enum class Surrogates { rejected, accepted };

// Decodes the UTF-8 sequence at text[pos] into `codePoint`. Gives its length in bytes, 0 when it
// is not a well-formed sequence (cut short, overlong, beyond U+10FFFF, or a rejected surrogate);
// each caller decides what a malformed byte becomes.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, Surrogates surrogates, char32_t* codePoint);

// The code point at `pos`, `pos` moved past it; a malformed byte stands alone for U+FFFD.
char32_t decodeUtf8OrReplacement(std::string_view text, std::size_t& pos, Surrogates surrogates = Surrogates::accepted);

// Appends the UTF-8 form of `codePoint` (surrogates included, as WTF-8).
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace tessivar
