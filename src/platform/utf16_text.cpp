#include "platform/utf16_text.h"

#include "platform/text_utils.h"

namespace tessivar {

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++pos;
            continue;
        }
        const char32_t cp = decodeUtf8OrReplacement(text, pos);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::vector<std::uint8_t> utf8ToUtf16Le(std::string_view text)
{
    const std::u16string wide = utf8ToUtf16(text);
    std::vector<std::uint8_t> out;
    out.reserve(wide.size() * 2);
    for (const char16_t unit : wide) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes)
{
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return utf16ToUtf8(wide);
}

} // namespace tessivar
