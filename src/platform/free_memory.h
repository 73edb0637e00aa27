#pragma once

// Hands the heap's free pages back to the system. Freed memory otherwise stays with the process,
// which matters for a program that waits in the tray for hours after a scan.

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tessivar {

inline void returnFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace tessivar
