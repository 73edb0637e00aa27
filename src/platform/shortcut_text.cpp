#include "platform/shortcut_text.h"

#include <array>
#include <cstdint>

#include "platform/shell_link.h"

namespace tessivar {

namespace {

void appendUtf8(std::string* out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows-1252 0x80-0x9F; 0 where the code page has no character.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const std::uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool* lossless)
{
    std::string out;
    out.reserve(bytes.size());
    bool ok = true;
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            appendUtf8(&out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(&out, 0xFFFD);
            ok = false;
        } else {
            appendUtf8(&out, u);
        }
    }
    if (bytes.size() % 2 != 0)
        ok = false;
    if (lossless)
        *lossless = ok;
    return out;
}

namespace shortcut_text {

std::string AnsiToUtf8(std::string_view raw, bool* uncertain)
{
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
            continue;
        }
        *uncertain = true;
        std::uint32_t cp = c;
        if (c < 0xA0)
            cp = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : 0xFFFD;
        appendUtf8(&out, cp);
    }
    return out;
}

bool LooksLikeShortName(std::string_view name)
{
    const auto tilde = name.find('~');
    return tilde != std::string_view::npos && tilde + 1 < name.size() && name[tilde + 1] >= '0' &&
           name[tilde + 1] <= '9';
}

std::string TextToUtf8(std::string_view raw, bool* uncertain)
{
    if (isValidUtf8(raw))
        return std::string(raw);
    return AnsiToUtf8(raw, uncertain);
}

} // namespace shortcut_text

} // namespace tessivar
