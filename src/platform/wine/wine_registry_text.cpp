#include "platform/wine/wine_registry_text.h"

#include "platform/registry.h"
#include "platform/wine/reg_text.h"

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
    char* p = out.data();
    // Data is mostly plain ASCII: four units at a time while they are, then the general rule from
    // the first block that holds anything else (so no pair is ever cut in two).
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const unsigned char* q = b + 2 * i;
        if ((q[1] | q[3] | q[5] | q[7]) != 0 || ((q[0] | q[2] | q[4] | q[6]) & 0x80) != 0)
            break;
        p[0] = static_cast<char>(q[0]);
        p[1] = static_cast<char>(q[2]);
        p[2] = static_cast<char>(q[4]);
        p[3] = static_cast<char>(q[6]);
        p += 4;
    }
    const unsigned char* rest = b + 2 * i;
    p = writeUtf8(p, count - i,
                  [rest](std::size_t k) { return std::uint32_t{rest[2 * k]} | (std::uint32_t{rest[2 * k + 1]} << 8); },
                  false);
    out.resize(static_cast<std::size_t>(p - out.data()));
}

void assignNameText(std::string& out, std::u16string_view name)
{
    out.resize(name.size() * 3);
    char* end = writeUtf8(out.data(), name.size(), [name](std::size_t i) { return std::uint32_t{name[i]}; }, true);
    out.resize(static_cast<std::size_t>(end - out.data()));
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
