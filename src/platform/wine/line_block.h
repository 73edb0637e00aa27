#pragma once

// Registry text is looked at 64 bytes at a time for its line ends and for the rare bytes (NUL,
// CR) that need a closer reading of the lines that hold them. Internal to the Wine back-end.

#include <cstdint>

#include "platform/wine/simd.h"

namespace tessivar::wine {

struct LineBlock {
    std::uint64_t lineEnds = 0; // one bit per "\n"
    bool nul = false;
    bool carriageReturn = false;
};

// Looks at the 64 bytes at `bytes`.
inline LineBlock scanLineBlock(const char* bytes)
{
    LineBlock block;
#if defined(TESSIVAR_SSE2)
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
#else
    for (int i = 0; i < 64; ++i) {
        block.lineEnds |= static_cast<std::uint64_t>(bytes[i] == '\n') << i;
        block.nul = block.nul || bytes[i] == '\0';
        block.carriageReturn = block.carriageReturn || bytes[i] == '\r';
    }
#endif
    return block;
}

} // namespace tessivar::wine
