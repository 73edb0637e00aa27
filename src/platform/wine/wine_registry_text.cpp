#include "platform/wine/wine_registry_text.h"

#include "platform/registry.h"

namespace tessivar::wine {

namespace {

// UTF-16 code units to UTF-8 (lone surrogates become U+FFFD) or to WTF-8 (lone surrogates are
// kept): the text utf16ToUtf8 and utf16ToWtf8 give, written in place so that a text reused from
// call to call allocates nothing. `unitAt(i)` reads the i-th of `count` units.
template <typename UnitAt>
void assignUtf8(std::string& out, std::size_t count, UnitAt unitAt, bool keepLoneSurrogates)
{
    out.resize(count * 3); // no unit takes more; a pair takes four bytes for its two units
    char* p = out.data();
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
    out.resize(static_cast<std::size_t>(p - out.data()));
}

} // namespace

bool isStringType(std::uint32_t type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void assignDataText(std::string& out, std::string_view bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    assignUtf8(out, bytes.size() / 2, [b](std::size_t i) { return std::uint32_t{b[2 * i]} | (std::uint32_t{b[2 * i + 1]} << 8); },
               false);
}

void assignNameText(std::string& out, std::u16string_view name)
{
    assignUtf8(out, name.size(), [name](std::size_t i) { return std::uint32_t{name[i]}; }, true);
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
