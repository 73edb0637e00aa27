#pragma once

// Memory for the many small things of a large registry file (its keys, their names), taken in
// blocks that grow with the file. Blocks of two megabytes and more come straight from the
// kernel on huge pages where it offers them: a file of a million values has hundreds of
// thousands of keys, and a fault for every small page of them costs more than building them.
// Internal to the Wine back-end.

#include <cstddef>

namespace tessivar::wine {

// The size from which a block is taken on huge pages.
inline constexpr std::size_t kHugeBlockBytes = std::size_t{2} << 20;

// `bytes` of fresh memory, aligned for any object; throws std::bad_alloc when there is none.
void* allocateBlock(std::size_t bytes);
// Gives back a block allocateBlock(bytes) returned.
void freeBlock(void* block, std::size_t bytes);

// The size of the next block of a series that starts at `first` bytes and doubles up to
// `largest` bytes, given how many blocks there are already.
inline std::size_t nextBlockBytes(std::size_t first, std::size_t largest, std::size_t blocks)
{
    std::size_t bytes = first;
    for (std::size_t i = 0; i < blocks && bytes < largest; ++i)
        bytes *= 2;
    return bytes < largest ? bytes : largest;
}

} // namespace tessivar::wine
