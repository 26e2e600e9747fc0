#include <algorithm>
#include <cmath>

#include "records/formatted.h"
#include "records/units.h"
#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

namespace {

constexpr int kUnit = 20;
constexpr long kScaleColumn = 29;

// Reads the point lines from n = 1; n is the index the next point gets.
FileOutcome readOutline(ProjectData& d, int& n) {
  for (;;) {
    std::int32_t code = 0, ir = 0, iz = 0;
    double dr = 0.0, dz = 0.0;
    if (const int status = records::read(kUnit, "(3I5,5X,2F10.5)", code, ir, iz, dr, dz); status != 0)
      return damagedAt(kUnit, status);
    if (d.geomSegCount == 0) d.geomSegCount = 1;
    if (code > 800) return kLoaded;
    if (code >= 701 && code <= 799) {
      d.geomSegFirst(2) = n;
      d.geomSegLast(1) = n - 1;
      d.geomSegCount = 2;
      continue;
    }
    double r, z;
    const bool radialSmall = std::fabs(dr) <= 1.0, axialSmall = std::fabs(dz) <= 1.0;
    if (radialSmall && axialSmall) {
      if (dr == 0.0) r = ir, z = iz + dz;
      else if (dz == 0.0) r = ir + dr, z = iz;
      else r = (ir + (ir + dr)) * 0.5, z = (iz + (iz + dz)) * 0.5;
    } else if (axialSmall) {
      r = ir, z = iz + dz;
    } else if (radialSmall) {
      r = ir + dr, z = iz;
    } else {
      return kLoaded;
    }
    // More points than the store holds: the file cannot be shown whole.
    if (!decltype(d.geomCode)::inRange(n)) return damagedInRecord(kUnit);
    d.geomCode(n) = code;
    d.geomR(n) = static_cast<float>(r);
    d.geomZ(n) = static_cast<float>(z);
    ++n;
  }
}

}  // namespace

FileOutcome loadGeometry(ProjectData& d) {
  if (!openProjectFile(ProjectFile::kGeometry, kUnit, "formatted")) return kNotFound;
  std::int32_t headerA = 0, headerB = 0;
  float scale = 0.0f;
  int n = 1;
  FileOutcome outcome = kLoaded;
  if (const int status = records::read(kUnit, "(5X,I5,6X,I5,7X,F7.4)", headerA, headerB, scale); status != 0) {
    outcome = damagedAt(kUnit, status);
  } else {
    d.geomHeaderA = headerA;
    d.geomHeaderB = headerB;
    d.meshScale = scale;
    // Every coordinate of the project is divided by the scale; 0 leaves nothing to show.
    outcome = scale == 0.0f ? damagedInRecord(kUnit, kScaleColumn) : readOutline(d, n);
  }
  records::closeUnit(kUnit);
  if (outcome.status != FileStatus::kLoaded) {
    // A half-updated segment table would draw stale points: show no outline instead.
    d.geomSegCount = 0;
    if (d.meshScale == 0.0f) d.meshScale = 1.0f;
    reportOutcome(ProjectFile::kGeometry, outcome);
    return outcome;
  }
  d.geomSegLast(d.geomSegCount) = n - 1;
  for (int i = 1; i < n; ++i) {
    d.geomR(i) = saturatedSingle(d.geomR(i) / static_cast<double>(d.meshScale));
    d.geomZ(i) = saturatedSingle(d.geomZ(i) / static_cast<double>(d.meshScale));
  }
  d.geomLoaded = 1;
  reportOutcome(ProjectFile::kGeometry, outcome);
  return outcome;
}

}  // namespace kelm::klplot
