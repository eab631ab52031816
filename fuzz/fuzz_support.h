// Shared by the fuzz targets: a broken property aborts, so libFuzzer keeps the
// input as a finding.
#ifndef KESTROVA_FUZZ_FUZZ_SUPPORT_H_
#define KESTROVA_FUZZ_FUZZ_SUPPORT_H_

#include <cstdio>
#include <cstdlib>

namespace kestrova::fuzz {

inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace kestrova::fuzz

#endif  // KESTROVA_FUZZ_FUZZ_SUPPORT_H_
