#include <bit>
#include <cmath>
#include <cstdint>

#include "records/unformatted.h"
#include "records/formatted.h"
#include "records/units.h"
#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"
#include "source/klplot/single_precision.h"

namespace kelm::klplot {

namespace {

constexpr double kOneOverTwoPi = 0.15915494580678602;

// Raw doubles from the file may be anything; values no view can draw make the file damaged
// rather than reaching a trap in a view. A signalling NaN traps even when it is only compared,
// so the exponent bits are looked at before the value is used as a number.
bool plausible(double value) {
  constexpr std::uint64_t kExponent = 0x7FF0000000000000;
  if ((std::bit_cast<std::uint64_t>(value) & kExponent) == kExponent) return false;
  return std::fabs(value) <= 1e30;
}

bool readStartRecords(ProjectData& d) {
  const double scale = d.meshScale;
  for (int k = 1; k <= d.trajCount; ++k) {
    std::int32_t i = 0;
    double r = 0, z = 0, density = 0, current = 0;
    if (records::readUnformatted(21, i, r, z, density, current) != 0) return false;
    if (i < 1 || i > kMaxTrajectories) return false;
    if (!plausible(r) || !plausible(z) || !plausible(density) || !plausible(current)) return false;
    d.trajR(i, 1) = r / scale;
    d.trajZ(i, 1) = z / scale;
    d.cathodeDensity(i) = saturatedSingle(density * scale * scale * kOneOverTwoPi);
    d.trajCurrent(i) = current;
    d.totalCurrent += current;
  }
  return true;
}

bool readPointRecords(ProjectData& d) {
  const double scale = d.meshScale;
  for (;;) {
    std::int32_t j = 0;
    double r = 0, z = 0;
    if (records::readUnformatted(21, j, r, z) != 0) return false;
    if (j == 0) return true;
    // Points of a trajectory beyond the store, or of one that does not exist, make the file
    // one that cannot be shown as written.
    if (j < 1 || j > d.trajCount) return false;
    const int p = d.trajNext(j);
    if (p > kMaxTrajPoints || !plausible(r) || !plausible(z)) return false;
    d.trajR(j, p) = r / scale;
    d.trajZ(j, p) = z / scale;
    d.trajNext(j) = p + 1;
  }
}

}  // namespace

void loadResult() {
  ProjectData& d = projectData;
  // Reset with the counts, so a file that fails early never shows the last project's current.
  d.totalCurrent = 0.0;
  if (records::openUnit(21, {.file = "klplt.res", .status = "OLD", .form = "unformatted", .action = "read"}) != 0) {
    records::print("File KLPLT.RES not found");
    return;
  }
  std::int32_t iteration = 0, count = 0;
  bool ok = records::readUnformatted(21, iteration) == 0 && records::readUnformatted(21, count) == 0;
  if (ok) {
    d.resultIteration = iteration;
    ok = count >= 0 && count <= kMaxTrajectories;
  }
  if (ok) {
    d.trajCount = count;
    // Set before the start records, so that a file failing among them leaves every counted
    // trajectory with one point, not with the point count of an earlier project.
    for (int k = 1; k <= d.trajCount; ++k) d.trajNext(k) = 2;
    ok = readStartRecords(d) && readPointRecords(d);
  }
  records::closeUnit(21);
  if (!ok) {
    records::print("File KLPLT.RES damaged");
    return;
  }
  d.resultLoaded = 1;
  records::print("File KLPLT.RES loaded");
}

}  // namespace kelm::klplot
