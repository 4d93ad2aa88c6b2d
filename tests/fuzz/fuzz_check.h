#pragma once
// A property check for the fuzz targets: a broken property aborts with the
// message, so libFuzzer keeps the input as a crash and prints the reason.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                             \
  do {                                                                         \
    if (!(condition)) {                                                        \
      std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                            \
    }                                                                          \
  } while (0)
