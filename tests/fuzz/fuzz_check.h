// A check that stops a fuzzer with a message when a property fails.
#pragma once

#include <cstdio>
#include <cstdlib>

#define CHECK(condition)                                                               \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "check failed: %s (line %d)\n", #condition, __LINE__);      \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)
