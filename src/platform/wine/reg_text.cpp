#include "platform/wine/reg_text.h"

#include "platform/text_utils.h"

#include <algorithm>
#include <bit>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <wctype.h>

namespace tessivar::wine {

namespace {

// towlower answers for all of Unicode only in a UTF-8 locale; the program's own locale may be "C".
locale_t unicodeLocale()
{
    static const locale_t locale = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!made)
            made = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return made;
    }();
    return locale;
}

char16_t foldSlow(char16_t unit)
{
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return unit;
    if (locale_t locale = unicodeLocale()) {
        const wint_t lower = towlower_l(static_cast<wint_t>(unit), locale);
        if (lower <= 0xFFFF && (lower < 0xD800 || lower > 0xDFFF))
            return static_cast<char16_t>(lower);
        return unit;
    }
    // Without a Unicode locale, Latin-1 at least.
    if (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7)
        return static_cast<char16_t>(unit + 0x20);
    return unit;
}

void appendUnitAsCodePoint(std::u16string& out, std::uint32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

std::string utf16ToUtf8Impl(std::u16string_view text, bool keepLoneSurrogates)
{
    std::string out(text.size() * 3, '\0');
    char* end = writeUtf8(
        out.data(), text.size(), [text](std::size_t i) { return std::uint32_t{text[i]}; }, keepLoneSurrogates);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

} // namespace

char16_t foldNonAscii(char16_t unit)
{
    return foldSlow(unit);
}

int compareNames(std::u16string_view a, std::u16string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < common && a[i] == b[i]) // the same units fold alike
        ++i;
    for (; i < common; ++i) {
        const char16_t x = foldCase(a[i]);
        const char16_t y = foldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool namesEqual(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && compareNames(a, b) == 0;
}

void appendEscaped(std::string& out, std::u16string_view text, std::string_view delimiters, bool dropFinalNul)
{
    static constexpr char kHex[] = "0123456789abcdef";
    static constexpr std::string_view kEscapes = ".......abtnvfr.............e....";
    char buffer[16];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool hasNext = i + 1 < text.size();
        const char16_t next = hasNext ? text[i + 1] : 0;
        if (c > 127) {
            // Four digits only where a following hex digit would otherwise run into the escape.
            const bool pad = hasNext && next < 128 && isHexDigit(static_cast<char>(next));
            int digits = 4;
            if (!pad) {
                digits = 1;
                while (digits < 4 && (c >> (4 * digits)) != 0)
                    ++digits;
            }
            out += "\\x";
            for (int d = digits - 1; d >= 0; --d)
                out += kHex[(c >> (4 * d)) & 0xF];
            continue;
        }
        if (c < 32) {
            if (c == 0 && !hasNext && dropFinalNul)
                continue;
            if (kEscapes[c] != '.') {
                out += '\\';
                out += kEscapes[c];
            } else {
                const bool pad = hasNext && next >= '0' && next <= '7';
                const int length = pad ? 3 : (c >= 8 ? 2 : 1);
                int value = c;
                for (int d = length - 1; d >= 0; --d) {
                    buffer[d] = static_cast<char>('0' + (value & 7));
                    value >>= 3;
                }
                out += '\\';
                out.append(buffer, static_cast<std::size_t>(length));
            }
            continue;
        }
        if (c == '\\' || delimiters.find(static_cast<char>(c)) != std::string_view::npos)
            out += '\\';
        out += static_cast<char>(c);
    }
}

std::size_t unescape(std::string_view text, std::size_t pos, char delimiter, std::u16string& out, bool* lossy)
{
    while (pos < text.size()) {
        // Most text is plain ASCII: copy such a run in one go.
        std::size_t run = pos;
        while (run < text.size()) {
            const auto b = static_cast<unsigned char>(text[run]);
            if (b == static_cast<unsigned char>(delimiter) || b == '\\' || b == 0 || b >= 0x80)
                break;
            ++run;
        }
        if (run > pos) {
            const std::size_t old = out.size();
            out.resize(old + (run - pos));
            for (std::size_t i = pos; i < run; ++i)
                out[old + (i - pos)] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
            pos = run;
            if (pos >= text.size())
                break;
        }
        const char c = text[pos];
        if (c == delimiter)
            return pos + 1;
        if (c == '\0') {
            // The server reads lines as C strings: the rest of this line is invisible to it.
            if (lossy)
                *lossy = true;
            return std::string_view::npos;
        }
        if (c == '\\') {
            ++pos;
            if (pos >= text.size())
                return std::string_view::npos;
            const char e = text[pos];
            switch (e) {
            case 'a':
                out += u'\a';
                ++pos;
                continue;
            case 'b':
                out += u'\b';
                ++pos;
                continue;
            case 'e':
                out += char16_t(27);
                ++pos;
                continue;
            case 'f':
                out += u'\f';
                ++pos;
                continue;
            case 'n':
                out += u'\n';
                ++pos;
                continue;
            case 'r':
                out += u'\r';
                ++pos;
                continue;
            case 't':
                out += u'\t';
                ++pos;
                continue;
            case 'v':
                out += u'\v';
                ++pos;
                continue;
            case 'x': {
                ++pos;
                if (pos >= text.size() || !isHexDigit(text[pos])) {
                    out += u'x';
                    continue;
                }
                unsigned value = 0;
                for (int n = 0; n < 4 && pos < text.size() && isHexDigit(text[pos]); ++n, ++pos)
                    value = value * 16 + static_cast<unsigned>(hexDigitValue(text[pos]));
                out += static_cast<char16_t>(value);
                continue;
            }
            default:
                break;
            }
            if (e >= '0' && e <= '7') {
                unsigned value = 0;
                for (int n = 0; n < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7'; ++n, ++pos)
                    value = value * 8 + static_cast<unsigned>(text[pos] - '0');
                out += static_cast<char16_t>(value);
                continue;
            }
            if (e == '\0') {
                if (lossy)
                    *lossy = true;
                return std::string_view::npos;
            }
            // Any other escaped character stands for itself; it is read below.
        }
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out += static_cast<char16_t>(byte);
            ++pos;
            continue;
        }
        char32_t cp = 0;
        if (const std::size_t length = decodeUtf8(text, pos, Surrogates::rejected, &cp)) {
            appendUnitAsCodePoint(out, cp);
            pos += length;
        } else {
            if (lossy)
                *lossy = true;
            ++pos;
        }
    }
    return std::string_view::npos;
}

std::string utf16ToWtf8(std::u16string_view text)
{
    return utf16ToUtf8Impl(text, true);
}

std::string utf16ToUtf8(std::u16string_view text)
{
    return utf16ToUtf8Impl(text, false);
}

std::u16string bytesToUtf16(std::string_view bytes)
{
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

std::string utf16ToBytes(std::u16string_view text)
{
    std::string out;
    assignUtf16Bytes(out, text);
    return out;
}

void assignUtf16Bytes(std::string& out, std::u16string_view text)
{
    out.resize(text.size() * 2);
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty()) // an empty view may have no data at all
            std::memcpy(out.data(), text.data(), out.size());
    } else {
        for (std::size_t i = 0; i < text.size(); ++i) {
            out[2 * i] = static_cast<char>(text[i] & 0xFF);
            out[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
    }
}

} // namespace tessivar::wine
