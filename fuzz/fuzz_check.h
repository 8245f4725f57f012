// The fuzz targets' assertion: unlike assert(), it stays on in release
// builds, and libFuzzer reports the abort with the input that caused it.
#ifndef SCRPACK_FUZZ_FUZZ_CHECK_H_
#define SCRPACK_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) {                                                \
      std::fprintf(stderr, "%s:%d: FUZZ_CHECK failed: %s\n", __FILE__, \
                   __LINE__, #condition);                              \
      std::abort();                                                    \
    }                                                                  \
  } while (0)

#endif  // SCRPACK_FUZZ_FUZZ_CHECK_H_
