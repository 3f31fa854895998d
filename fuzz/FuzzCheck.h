#pragma once
// A broken invariant is a finding: report it and stop so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define BMI_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
