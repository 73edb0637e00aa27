#include "platform/wine/large_blocks.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace tessivar::wine {

namespace {

std::size_t hugeRounded(std::size_t bytes)
{
    return (bytes + kHugeBlockBytes - 1) / kHugeBlockBytes * kHugeBlockBytes;
}

} // namespace

void* allocateBlock(std::size_t bytes)
{
    if (bytes < kHugeBlockBytes)
        return ::operator new(bytes);
    // A huge page must start on its own boundary: take one more and give back what lies outside.
    const std::size_t size = hugeRounded(bytes);
    void* mapping = ::mmap(nullptr, size + kHugeBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (start + kHugeBlockBytes - 1) / kHugeBlockBytes * kHugeBlockBytes;
    if (aligned > start)
        ::munmap(mapping, aligned - start);
    if (const std::uintptr_t end = start + size + kHugeBlockBytes; end > aligned + size)
        ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void freeBlock(void* block, std::size_t bytes)
{
    if (!block)
        return;
    if (bytes < kHugeBlockBytes)
        ::operator delete(block);
    else
        ::munmap(block, hugeRounded(bytes));
}

} // namespace tessivar::wine
