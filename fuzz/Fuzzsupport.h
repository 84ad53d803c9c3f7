// Helpers shared by the fuzz targets.
#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a sanitizer report: print and abort so
// that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                        \
    do {                                                                             \
        if (!(condition)) {                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                            \
        }                                                                            \
    } while (0)
