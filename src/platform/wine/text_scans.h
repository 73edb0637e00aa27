#pragma once

// The scans that run over every byte, or every key line, of a registry file as it is loaded, in two
// versions where the fast one earns its place: plain loops, and SSE2 or eight-bytes-at-a-time
// versions. The build option TESSIVAR_PLAIN_SCANS (see simd.h) makes the plain ones the ones used,
// so that they are built and tested on every machine; bench_text_scans times both versions in one
// run and prints what each fast version saves of a load. Internal to the Wine back-end.

#include "platform/wine/simd.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tessivar::wine {

// Registry text is looked at 64 bytes at a time for its line ends and for the rare bytes (NUL,
// CR) that need a closer reading of the lines that hold them.
struct LineBlock {
    std::uint64_t lineEnds = 0; // one bit per "\n"
    bool nul = false;
    bool carriageReturn = false;
};

namespace plain {

// Looks at the 64 bytes at `bytes`.
inline LineBlock scanLineBlock(const char* bytes)
{
    LineBlock block;
    for (int i = 0; i < 64; ++i) {
        block.lineEnds |= static_cast<std::uint64_t>(bytes[i] == '\n') << i;
        block.nul = block.nul || bytes[i] == '\0';
        block.carriageReturn = block.carriageReturn || bytes[i] == '\r';
    }
    return block;
}

// The offset of the first byte from `pos` on that cannot stand in a plain key name: a backslash,
// "]", a control character or a byte beyond ASCII; or the end of the text.
inline std::size_t plainNameEnd(std::string_view text, std::size_t pos)
{
    for (; pos < text.size(); ++pos) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (c == '\\' || c == ']' || c < 0x20 || c >= 0x7f)
            return pos;
    }
    return pos;
}

inline std::size_t commonPrefixLength(std::string_view a, std::string_view b)
{
    const std::size_t limit = std::min(a.size(), b.size());
    std::size_t length = 0;
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// Copies the leading ASCII units of the UTF-16LE `bytes` (`count` units) to `out` as bytes and
// returns how many it copied; the general conversion takes over from there. The plain version
// leaves it all to the general conversion.
inline std::size_t narrowAsciiPrefix(const unsigned char*, std::size_t, char*)
{
    return 0;
}

} // namespace plain

#if defined(__SSE2__)
namespace fast {

inline LineBlock scanLineBlock(const char* bytes)
{
    LineBlock block;
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    __m128i nuls = zero;
    __m128i returns = zero;
    for (int part = 0; part < 4; ++part) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, newline)));
        block.lineEnds |= static_cast<std::uint64_t>(bits) << (16 * part);
        nuls = _mm_or_si128(nuls, _mm_cmpeq_epi8(chunk, zero));
        returns = _mm_or_si128(returns, _mm_cmpeq_epi8(chunk, carriageReturn));
    }
    block.nul = _mm_movemask_epi8(nuls) != 0;
    block.carriageReturn = _mm_movemask_epi8(returns) != 0;
    return block;
}

inline std::size_t plainNameEnd(std::string_view text, std::size_t pos)
{
    for (; pos + 16 <= text.size(); pos += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + pos));
        // As signed bytes, everything from 0x80 on is below 0x20 too.
        const __m128i stop = _mm_or_si128(
            _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7f))),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8(']'))));
        if (const auto bits = static_cast<unsigned>(_mm_movemask_epi8(stop)))
            return pos + static_cast<std::size_t>(std::countr_zero(bits));
    }
    return plain::plainNameEnd(text, pos);
}

inline std::size_t commonPrefixLength(std::string_view a, std::string_view b)
{
    const std::size_t limit = std::min(a.size(), b.size());
    std::size_t length = 0;
    for (; length + 8 <= limit; length += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + length, 8);
        std::memcpy(&y, b.data() + length, 8);
        if (x != y)
            break;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// Names and data are mostly plain ASCII; the general conversion takes over from the first block
// that holds anything else, so no pair is ever cut in two.
inline std::size_t narrowAsciiPrefix(const unsigned char* bytes, std::size_t count, char* out)
{
    std::size_t i = 0;
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    for (; i + 8 <= count; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
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

} // namespace fast
#endif

#if defined(TESSIVAR_SSE2)
using fast::commonPrefixLength;
using fast::narrowAsciiPrefix;
using fast::plainNameEnd;
using fast::scanLineBlock;
#else
using plain::commonPrefixLength;
using plain::narrowAsciiPrefix;
using plain::plainNameEnd;
using plain::scanLineBlock;
#endif

// `text` (ASCII) as UTF-16. (An SSE2 version saved about 1% of a load.)
inline void widenAscii(std::string_view text, std::u16string& out)
{
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
}

} // namespace tessivar::wine
