#include "platform/text_utils.h"

namespace tessivar {

std::string_view trimmed(std::string_view text, std::string_view blanks)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = upperAscii(c);
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::size_t decodeUtf8(std::string_view text, std::size_t pos, Surrogates surrogates, char32_t* codePoint)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF)
        return 0;
    if (surrogates == Surrogates::rejected && value >= 0xD800 && value <= 0xDFFF)
        return 0;
    *codePoint = value;
    return length;
}

char32_t decodeUtf8OrReplacement(std::string_view text, std::size_t& pos, Surrogates surrogates)
{
    char32_t codePoint = 0;
    const std::size_t length = decodeUtf8(text, pos, surrogates, &codePoint);
    pos += length == 0 ? 1 : length;
    return length == 0 ? U'\uFFFD' : codePoint;
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace tessivar
