#include <bit>
#include <cmath>
#include <cstdint>

#include "records/unformatted.h"
#include "records/formatted.h"
#include "records/units.h"
#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

namespace {

constexpr int kUnit = 21;
constexpr double kOneOverTwoPi = 0.15915494580678602;

// Raw doubles from the file may be anything; values no view can draw make the file damaged
// rather than reaching a trap in a view. A signalling NaN traps even when it is only compared,
// so the exponent bits are looked at before the value is used as a number.
bool plausible(double value) {
  constexpr std::uint64_t kExponent = 0x7FF0000000000000;
  if ((std::bit_cast<std::uint64_t>(value) & kExponent) == kExponent) return false;
  return std::fabs(value) <= 1e30;
}

FileOutcome readStartRecords(ProjectData& d) {
  const double scale = d.meshScale;
  for (int k = 1; k <= d.trajCount; ++k) {
    std::int32_t i = 0;
    double r = 0, z = 0, density = 0, current = 0;
    if (const int status = records::readUnformatted(kUnit, i, r, z, density, current); status != 0)
      return damagedAt(kUnit, status);
    if (i < 1 || i > kMaxTrajectories) return damagedInRecord(kUnit);
    if (!plausible(r) || !plausible(z) || !plausible(density) || !plausible(current)) return damagedInRecord(kUnit);
    d.trajR(i, 1) = r / scale;
    d.trajZ(i, 1) = z / scale;
    d.cathodeDensity(i) = saturatedSingle(density * scale * scale * kOneOverTwoPi);
    d.trajCurrent(i) = current;
    d.totalCurrent += current;
  }
  return kLoaded;
}

FileOutcome readPointRecords(ProjectData& d) {
  const double scale = d.meshScale;
  for (;;) {
    std::int32_t j = 0;
    double r = 0, z = 0;
    if (const int status = records::readUnformatted(kUnit, j, r, z); status != 0) return damagedAt(kUnit, status);
    if (j == 0) return kLoaded;
    // Points of a trajectory beyond the store, or of one that does not exist, make the file
    // one that cannot be shown as written.
    if (j < 1 || j > d.trajCount) return damagedInRecord(kUnit);
    const int p = d.trajNext(j);
    if (p > kMaxTrajPoints || !plausible(r) || !plausible(z)) return damagedInRecord(kUnit);
    d.trajR(j, p) = r / scale;
    d.trajZ(j, p) = z / scale;
    d.trajNext(j) = p + 1;
  }
}

FileOutcome readRecords(ProjectData& d) {
  std::int32_t iteration = 0, count = 0;
  if (const int status = records::readUnformatted(kUnit, iteration); status != 0) return damagedAt(kUnit, status);
  if (const int status = records::readUnformatted(kUnit, count); status != 0) return damagedAt(kUnit, status);
  d.resultIteration = iteration;
  if (count < 0 || count > kMaxTrajectories) return damagedInRecord(kUnit);
  d.trajCount = count;
  // Set before the start records, so that a file failing among them leaves every counted
  // trajectory with one point, not with the point count of an earlier project.
  for (int k = 1; k <= d.trajCount; ++k) d.trajNext(k) = 2;
  if (const FileOutcome starts = readStartRecords(d); starts.status != FileStatus::kLoaded) return starts;
  return readPointRecords(d);
}

}  // namespace

FileOutcome loadResult(ProjectData& d) {
  // Reset with the counts, so a file that fails early never shows the last project's current.
  d.totalCurrent = 0.0;
  if (!openProjectFile(ProjectFile::kResult, kUnit, "unformatted")) return kNotFound;
  const FileOutcome outcome = readRecords(d);
  records::closeUnit(kUnit);
  // The cathode view plots the start radii in single precision, of what was read even from a
  // damaged file, as every view draws that.
  for (int i = 1; i <= storedTrajectories(d); ++i) d.cathodeR(i) = saturatedSingle(d.trajR(i, 1));
  if (outcome.status == FileStatus::kLoaded) d.resultLoaded = 1;
  reportOutcome(ProjectFile::kResult, outcome);
  return outcome;
}

}  // namespace kelm::klplot
