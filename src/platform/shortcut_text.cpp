#include "platform/shortcut_text.h"

#include "platform/shell_link.h"
#include "platform/text_utils.h"

#include <array>
#include <cstdint>

namespace tessivar {

namespace {

// Windows-1252 0x80-0x9F; 0 where the code page has no character.
constexpr std::array<std::uint16_t, 32> kCp1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isValidUtf8(std::string_view text)
{
    char32_t cp = 0;
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        length = decodeUtf8(text, i, Surrogates::rejected, &cp);
        if (length == 0)
            return false;
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
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
            ok = false;
        } else {
            appendUtf8(out, u);
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
        appendUtf8(out, cp);
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
