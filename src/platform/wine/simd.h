#pragma once
// Whether the hand-written SSE2 scans are compiled in. The build option TESSIVAR_PLAIN_SCANS leaves
// them out, and the compares of eight bytes at a time too, so that the plain loops beside them are
// built, tested and measured on every machine.

#if defined(__SSE2__) && !defined(TESSIVAR_PLAIN_SCANS)
#define TESSIVAR_SSE2 1
#include <emmintrin.h>
#endif
