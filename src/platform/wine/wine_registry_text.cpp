#include "platform/wine/wine_registry_text.h"

#include "platform/registry.h"
#include "platform/wine/reg_text.h"

#include <bit>

#include "platform/wine/simd.h"

namespace tessivar::wine {

bool isStringType(std::uint32_t type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

namespace {

// Copies the leading ASCII units of the UTF-16LE `bytes` (`count` units) to `out` as bytes and
// returns how many it copied. Names and data are mostly plain ASCII; the general rule takes over
// from the first block that holds anything else, so no pair is ever cut in two.
std::size_t narrowAsciiPrefix(const unsigned char* bytes, std::size_t count, char* out)
{
    std::size_t i = 0;
#if defined(TESSIVAR_SSE2)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; i + 8 <= count; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
#endif
    for (; i + 4 <= count; i += 4) {
        const unsigned char* q = bytes + 2 * i;
        if ((q[1] | q[3] | q[5] | q[7]) != 0 || ((q[0] | q[2] | q[4] | q[6]) & 0x80) != 0)
            break;
        out[i] = static_cast<char>(q[0]);
        out[i + 1] = static_cast<char>(q[2]);
        out[i + 2] = static_cast<char>(q[4]);
        out[i + 3] = static_cast<char>(q[6]);
    }
    return i;
}

} // namespace

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

std::string narrowData(const RegValue& value)
{
    if (!isStringType(value.type))
        return value.data;
    std::string text;
    assignDataText(text, value.data);
    return text;
}

} // namespace tessivar::wine
