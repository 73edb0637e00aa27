#pragma once

// Text rules of Wine's registry files and of the names in them: the escapes the files use, the
// letter-case rule of key and value names, and the conversions between the UTF-16 the files hold
// and the UTF-8 (WTF-8 for names) the rest of the program speaks.

#include "platform/utf16_text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::wine {

// Lower-case form of one UTF-16 code unit, as the registry compares names. Surrogates stay as
// they are, so a name compares unit by unit like the server does.
char16_t foldNonAscii(char16_t unit);
inline char16_t foldCase(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= 'A' && unit <= 'Z') ? static_cast<char16_t>(unit + 32) : unit;
    return foldNonAscii(unit);
}
// <0, 0, >0: the order of names in a saved file (lower-cased code units, shorter prefix first).
int compareNames(std::u16string_view a, std::u16string_view b);
bool namesEqual(std::u16string_view a, std::u16string_view b);

// Appends `text` escaped the way the server writes it. `delimiters` are the characters that get
// a backslash besides the backslash itself ("\"" for value names and data, "[]" for key names).
// With `dropFinalNul`, a NUL as the very last unit is the string's terminator and is left out.
void appendEscaped(std::string& out, std::u16string_view text, std::string_view delimiters, bool dropFinalNul);

// Reads an escaped string starting at `text[pos]` up to the unescaped `delimiter`. On success
// returns the position just after the delimiter; std::string_view::npos when the delimiter is
// missing. `lossy` is set when raw bytes were not valid UTF-8 (they are dropped, as the server
// drops them) or the text holds a NUL byte.
std::size_t unescape(std::string_view text, std::size_t pos, char delimiter, std::u16string& out, bool* lossy);

// UTF-16 code units to UTF-8 (lone surrogates become U+FFFD) or to WTF-8 (lone surrogates are
// kept), written from `p` on, which has room for three bytes a unit (no unit takes more; a pair
// takes four bytes for its two units). Returns the end. `unitAt(i)` reads the i-th of `count`
// units, so that the units can come from a string or straight from stored bytes.
template <typename UnitAt> char* writeUtf8(char* p, std::size_t count, UnitAt unitAt, bool keepLoneSurrogates)
{
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t cp = unitAt(i);
        if (cp < 0x80) {
            *p++ = static_cast<char>(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            const std::uint32_t next = (cp <= 0xDBFF && i + 1 < count) ? unitAt(i + 1) : 0;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else if (!keepLoneSurrogates) {
                cp = 0xFFFD;
            }
        }
        if (cp < 0x800) {
            *p++ = static_cast<char>(0xC0 | (cp >> 6));
        } else if (cp < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (cp >> 12));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return p;
}

// UTF-16 to WTF-8: lone surrogates are encoded like any code point, so nothing is lost.
std::string utf16ToWtf8(std::u16string_view text);
// UTF-16 to UTF-8 for display and the A calls' string data: lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// The UTF-16LE bytes of a string value, and back. An odd trailing byte is ignored on the way in.
std::u16string bytesToUtf16(std::string_view bytes);
std::string utf16ToBytes(std::u16string_view text);
// The same into `out`, whose room is reused.
void assignUtf16Bytes(std::string& out, std::u16string_view text);

} // namespace tessivar::wine
