// One input is a potmap.dat file's bytes. It is checked as it comes, and once more with its
// checksum made right, so that the fuzzer reaches past the hash into the header and the values.
// A trap, a sanitizer report, an accepted map that disagrees with its header or an allocation
// beyond the node limit is a finding.
#include <fenv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/fp_traps.h"
#include "source/solver/field/field_operator.h"
#include "source/solver/field/potential_map.h"

namespace {

void fixChecksum(std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::size_t k = 0; k + 8 < bytes.size(); ++k) {
    hash ^= static_cast<unsigned char>(bytes[k]);
    hash *= 0x100000001b3ULL;
  }
  for (int k = 0; k < 8; ++k) bytes[bytes.size() - 8 + k] = static_cast<char>((hash >> (8 * k)) & 0xff);
}

void check(const std::string& bytes) {
  kelm::solver::PotentialMap map;
  std::string error;
  if (kelm::solver::parsePotentialMap(bytes, map, error)) {
    if (map.nr < 2 || map.nz < 2 ||
        map.potential_V.size() != static_cast<std::size_t>(map.nr) * static_cast<std::size_t>(map.nz) ||
        map.potential_V.size() > kelm::solver::kMaxFieldNodes)
      std::abort();
  } else if (error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  kelm::enableFloatingPointTraps([](const char* what) {
    std::fprintf(stderr, "trapped: %s\n", what);
    std::abort();
  });
  check(bytes);
  if (bytes.size() >= 8) {
    fixChecksum(bytes);
    check(bytes);
  }
  fedisableexcept(FE_ALL_EXCEPT);
  feclearexcept(FE_ALL_EXCEPT);
  return 0;
}
