// A promise of the code under test that the fuzz input broke: reported like
// a crash, with the promise in words.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KORVALIN_FUZZ_CHECK(condition)                                                        \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: broken promise: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)
