#include "cli/reg_format.h"

#include "platform/registry.h"
#include "platform/text_utils.h"
#include "platform/utf16_text.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace tessivar::cli {

namespace {

struct TypeName {
    std::uint32_t type;
    std::string_view name;
};

// The order matters: a type is shown by its first name here.
constexpr std::array<TypeName, 13> kTypeNames{{
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
    {REG_DWORD, "REG_DWORD_LITTLE_ENDIAN"},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
    {REG_LINK, "REG_LINK"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
}};

// The types `reg add /t` accepts.
constexpr std::array<std::string_view, 9> kAddableTypes{"REG_NONE",
                                                        "REG_SZ",
                                                        "REG_EXPAND_SZ",
                                                        "REG_BINARY",
                                                        "REG_DWORD",
                                                        "REG_DWORD_LITTLE_ENDIAN",
                                                        "REG_DWORD_BIG_ENDIAN",
                                                        "REG_MULTI_SZ",
                                                        "REG_QWORD"};

std::u16string unitsOf(std::span<const std::uint8_t> data)
{
    std::u16string units;
    units.reserve(data.size() / 2);
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return units;
}

std::uint64_t littleEndian(std::span<const std::uint8_t> data, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width && i < data.size(); ++i)
        value |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    return value;
}

std::string hexText(std::uint64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

void appendUnits(std::vector<std::uint8_t>& bytes, std::u16string_view units)
{
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

// An unsigned number as reg reads /d: hexadecimal when the second character is an x, decimal
// otherwise; leading blanks and a plus sign allowed; nothing may follow the digits. An empty
// text is 0, as in reg. Negative numbers and numbers beyond `maximum` are refused.
std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t maximum)
{
    const bool hex = text.size() > 1 && (text[1] == 'x' || text[1] == 'X');
    if (text.empty())
        return 0;
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    if (pos < text.size() && text[pos] == '+')
        ++pos;
    if (hex && pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        pos + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos + 2])))
        pos += 2;
    if (pos == text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && std::isxdigit(c))
            digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        else
            return std::nullopt;
        const std::uint64_t base = hex ? 16 : 10;
        if (value > (maximum - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

// Escapes as regedit does, up to the first zero: \r, \n, backslash and the quote.
std::u16string escaped(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c == 0)
            break;
        switch (c) {
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'"':
            out += u"\\\"";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::u16string ascii(std::string_view text)
{
    return {text.begin(), text.end()};
}

// A REG_SZ that a quoted string gives back exactly: whole characters, one terminating zero and
// no other.
bool isPlainString(std::span<const std::uint8_t> data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    const std::u16string units = unitsOf(data);
    return units.back() == 0 && units.find(char16_t{0}) == units.size() - 1;
}

constexpr std::size_t kHexLineLimit = 77;

} // namespace

std::string regTypeName(std::uint32_t type)
{
    for (const auto& entry : kTypeNames) {
        if (entry.type == type)
            return std::string(entry.name);
    }
    return hexText(type);
}

std::optional<std::uint32_t> regTypeFromName(std::string_view name)
{
    for (const std::string_view addable : kAddableTypes) {
        if (!equalsIgnoringCase(addable, name))
            continue;
        for (const auto& entry : kTypeNames) {
            if (entry.name == addable)
                return entry.type;
        }
    }
    return std::nullopt;
}

std::string queryDataText(std::uint32_t type, std::span<const std::uint8_t> data)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::u16string units = unitsOf(data);
        units.resize(std::min(units.size(), units.find(char16_t{0})));
        return utf16ToUtf8(units);
    }
    case REG_MULTI_SZ: {
        std::u16string units = unitsOf(data);
        for (int terminators = 0; terminators < 2 && !units.empty() && units.back() == 0; ++terminators)
            units.pop_back();
        std::string text;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = std::min(units.find(char16_t{0}, start), units.size());
            text += utf16ToUtf8(std::u16string_view(units).substr(start, end - start));
            if (end == units.size())
                break;
            text += "\\0";
            start = end + 1;
        }
        return text;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        return hexText(littleEndian(data, 4));
    case REG_QWORD:
        return hexText(littleEndian(data, 8));
    default: {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text;
        text.reserve(data.size() * 2);
        for (const std::uint8_t byte : data) {
            text.push_back(kDigits[byte >> 4]);
            text.push_back(kDigits[byte & 0xF]);
        }
        return text;
    }
    }
}

AddData addDataFor(std::uint32_t type, const std::optional<std::string>& data, char separator)
{
    AddData result;
    const std::string text = data.value_or(std::string());
    switch (type) {
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        const bool quad = type == REG_QWORD;
        const auto number = parseNumber(text, quad ? UINT64_MAX : UINT32_MAX);
        if (!number) {
            result.error = "reg: The option [/d] must be followed by a valid numeric value";
            return result;
        }
        for (std::size_t i = 0; i < (quad ? 8u : 4u); ++i)
            result.bytes.push_back(static_cast<std::uint8_t>(*number >> (8 * i)));
        return result;
    }
    case REG_BINARY: {
        std::size_t pos = 0;
        if (text.size() % 2 == 1) {
            const int lone = hexDigitValue(text[0]);
            if (lone < 0) {
                result.error = "reg: The option [/d] must be followed by a valid hexadecimal value";
                return result;
            }
            result.bytes.push_back(static_cast<std::uint8_t>(lone));
            pos = 1;
        }
        for (; pos + 1 < text.size(); pos += 2) {
            const int high = hexDigitValue(text[pos]);
            const int low = hexDigitValue(text[pos + 1]);
            if (high < 0 || low < 0) {
                result.bytes.clear();
                result.error = "reg: The option [/d] must be followed by a valid hexadecimal value";
                return result;
            }
            result.bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
        return result;
    }
    case REG_MULTI_SZ: {
        const std::u16string units = utf8ToUtf16(text);
        std::u16string items;
        for (std::size_t i = 0; i < units.size(); ++i) {
            char16_t unit = units[i];
            if (separator == '\0' && unit == u'\\' && i + 1 < units.size() && units[i + 1] == u'0') {
                unit = 0;
                ++i;
            } else if (separator != '\0' && unit == static_cast<unsigned char>(separator)) {
                unit = 0;
            }
            // An empty item would end the list early on every reader.
            if (unit == 0 && !items.empty() && items.back() == 0) {
                result.error = "reg: The option [/d] must be followed by a valid string";
                return result;
            }
            items.push_back(unit);
        }
        if (!items.empty() && items.back() != 0)
            items.push_back(0);
        items.push_back(0);
        appendUnits(result.bytes, items);
        return result;
    }
    default: {
        std::u16string units = utf8ToUtf16(text);
        // Text after a zero would be unreachable to every reader of the string.
        units.resize(std::min(units.size(), units.find(char16_t{0})));
        units.push_back(0);
        appendUnits(result.bytes, units);
        return result;
    }
    }
}

std::u16string exportValueLine(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data)
{
    std::u16string line = name.empty() ? std::u16string(u"@=") : u"\"" + escaped(utf8ToUtf16(name)) + u"\"=";
    if (type == REG_SZ && isPlainString(data)) {
        line += u"\"" + escaped(unitsOf(data)) + u"\"";
        return line;
    }
    if (type == REG_DWORD && data.size() == 4) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(littleEndian(data, 4)));
        line += ascii(buffer);
        return line;
    }
    if (type == REG_BINARY) {
        line += u"hex:";
    } else {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", type);
        line += ascii(buffer);
    }
    std::size_t column = line.size();
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        line.push_back(kDigits[data[i] >> 4]);
        line.push_back(kDigits[data[i] & 0xF]);
        if (i + 1 == data.size())
            break;
        line.push_back(u',');
        column += 3;
        if (column >= kHexLineLimit) {
            line += u"\\\r\n  ";
            column = 2;
        }
    }
    return line;
}

} // namespace tessivar::cli
