#pragma once
// What the fuzz targets share.
//
// FUZZ_CHECK: an invariant a target asserts. Unlike assert() it stays on in
// optimised builds; a broken invariant prints itself and aborts, which
// libFuzzer reports as a crash, saving the input that caused it.
//
// FUZZ_UNTRACED: for a target's own helpers that loop over whole images.
// Left out of the coverage instrumentation, they neither drown libFuzzer's
// view of the code under test nor slow every run down.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))
