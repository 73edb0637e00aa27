#pragma once
// Whether the hand-written SSE2 scans are the ones used. The build option TESSIVAR_PLAIN_SCANS
// uses the plain loops beside them instead, and the compares of eight bytes at a time too, so that
// the plain loops are built, tested and measured on every machine (the SSE2 versions are still
// compiled, for the bench that times both).

#if defined(__SSE2__)
#include <emmintrin.h>
#if !defined(TESSIVAR_PLAIN_SCANS)
#define TESSIVAR_SSE2 1
#endif
#endif
