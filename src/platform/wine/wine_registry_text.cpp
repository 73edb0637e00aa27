#include "platform/wine/wine_registry_text.h"

#include "platform/registry.h"
#include "platform/wine/reg_text.h"
#include "platform/wine/text_scans.h"

#include <bit>
#include <cstring>

namespace tessivar::wine {

bool isStringType(std::uint32_t type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void assignDataText(std::string& out, std::string_view bytes)
{
    const std::size_t count = bytes.size() / 2;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    out.resize(count * 3);
    const std::size_t ascii = narrowAsciiPrefix(b, count, out.data());
    const unsigned char* rest = b + 2 * ascii;
    const auto unitAt = [rest](std::size_t k) {
        return std::uint32_t{rest[2 * k]} | (std::uint32_t{rest[2 * k + 1]} << 8);
    };
    char* p = writeUtf8(out.data() + ascii, count - ascii, unitAt, false);
    out.resize(static_cast<std::size_t>(p - out.data()));
}

void assignNameText(std::string& out, std::u16string_view name)
{
    out.resize(name.size() * 3);
    std::size_t ascii = 0;
    if constexpr (std::endian::native == std::endian::little)
        ascii = narrowAsciiPrefix(reinterpret_cast<const unsigned char*>(name.data()), name.size(), out.data());
    const std::u16string_view rest = name.substr(ascii);
    const auto unitAt = [rest](std::size_t i) { return std::uint32_t{rest[i]}; };
    char* end = writeUtf8(out.data() + ascii, rest.size(), unitAt, true);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

bool copyName(std::string_view text, char* buffer, std::uint32_t* length)
{
    if (text.size() + 1 > *length) {
        *length = static_cast<std::uint32_t>(text.size() + 1);
        return false;
    }
    if (!text.empty()) // an empty view may have no data at all
        std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<std::uint32_t>(text.size());
    return true;
}

std::string narrowData(const RegValue& value)
{
    if (!isStringType(value.type))
        return value.data;
    std::string text;
    assignDataText(text, value.data);
    return text;
}

} // namespace tessivar::wine
