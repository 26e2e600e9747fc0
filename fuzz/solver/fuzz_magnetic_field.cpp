// One input is a mag.dat that klinput.dat names as the field to use. An accepted table goes on
// to the resampled field and back out as mag.dat text, under floating-point traps. A trap, a
// sanitizer report, an accepted table that is not increasing or beyond 1000 samples, or a
// refusal without a reason is a finding.
#include <fenv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/fp_traps.h"
#include "source/solver/beam/magnetic_field_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kelm::enableFloatingPointTraps([](const char* what) {
    std::fprintf(stderr, "trapped: %s\n", what);
    std::abort();
  });
  std::vector<double> z, b;
  std::string error;
  if (kelm::solver::parseMagneticField(text, z, b, error)) {
    if (z.size() != b.size() || z.size() > kelm::kMaxMagSamples) std::abort();
    for (std::size_t k = 1; k < z.size(); ++k)
      if (!(z[k] > z[k - 1])) std::abort();
    const auto field = kelm::solver::AxialMagneticField::fromTable(z, b, 1e-4);
    if (!z.empty()) (void)kelm::solver::magneticFieldText(field, z.front(), z.back());
  } else if (error.empty()) {
    std::abort();
  }
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
  return 0;
}
