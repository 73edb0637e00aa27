#include "platform/wine/wine_registry_text.h"

#include "platform/registry.h"

namespace tessivar::wine {

namespace {

// UTF-16 code units to UTF-8 (lone surrogates become U+FFFD) or to WTF-8 (lone surrogates are
// kept): the text utf16ToUtf8 and utf16ToWtf8 give, written from `p` on, which has room for three
// bytes a unit (no unit takes more; a pair takes four bytes for its two units). Returns the end.
// `unitAt(i)` reads the i-th of `count` units.
template <typename UnitAt>
char* writeUtf8(char* p, std::size_t count, UnitAt unitAt, bool keepLoneSurrogates)
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

} // namespace

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
