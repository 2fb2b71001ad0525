#pragma once

// SSE2 is part of every x86-64 processor: sample loops use it there, and
// plain C++ that gives the same bytes on other targets. Building with
// GEOFRAME_SIMD off takes the plain path on x86-64 too, to check it.
#if defined(__SSE2__) && !defined(GEOFRAME_NO_SIMD)
#define GEOFRAME_SSE2 1
#include <emmintrin.h>
#else
#define GEOFRAME_SSE2 0
#endif
