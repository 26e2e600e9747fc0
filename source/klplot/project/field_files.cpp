#include <algorithm>
#include <array>

#include "records/formatted.h"
#include "records/units.h"
#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

namespace {

constexpr int kMagUnit = 22;
constexpr int kPotUnit = 23;
constexpr long kPotLinesColumn = 7;   // of the line count in the first line
constexpr long kPotCountColumn = 21;  // of the point count in a line's header

// One list: a leading word, then count numbers from index first.
int readList(Array1<float, kMaxPotPoints>& values, int first, int count) {
  std::array<char, 2> word{};
  records::FormattedTransfer list(kPotUnit, nullptr, true);
  list.in(std::span<char>(word));
  for (int i = 0; i < count; ++i) list.in(values(first + i));
  return list.end();
}

FileOutcome readEquipotentials(ProjectData& d, int lines) {
  if (lines < 0 || lines > kMaxPotLines) return damagedInRecord(kPotUnit, kPotLinesColumn);
  d.potFirst(1) = 1;
  const double scale = d.meshScale;
  for (int k = 1; k <= lines; ++k) {
    std::int32_t count = 0;
    if (const int status = records::read(kPotUnit, "(2X,F15.3,3X,I5)", d.potValue(k), count); status != 0)
      return damagedAt(kPotUnit, status);
    d.potPointCount(k) = count;
    const int first = d.potFirst(k);
    // Counts beyond the point store, or negative, cannot be placed back to back.
    if (count < 0 || first - 1 + count > kMaxPotPoints) return damagedInRecord(kPotUnit, kPotCountColumn);
    for (Array1<float, kMaxPotPoints>* list : {&d.potZ, &d.potR})
      if (const int status = readList(*list, first, count); status != 0) return damagedAt(kPotUnit, status);
    for (int i = first; i < first + count; ++i) {
      d.potZ(i) = saturatedSingle(d.potZ(i) / scale);
      d.potR(i) = saturatedSingle(d.potR(i) / scale);
    }
    d.potFirst(k + 1) = first + count;
  }
  d.potLineCount = lines;
  return kLoaded;
}

}  // namespace

FileOutcome loadMagneticField(ProjectData& d) {
  d.magCount = 0;
  if (!openProjectFile(ProjectFile::kMagneticField, kMagUnit, "formatted")) return kNotFound;
  std::int32_t n = 0;
  int status = records::read(kMagUnit, "(3X,I6)", n);
  n = std::min(n, kMaxMagSamples);
  for (int k = 1; status == 0 && k <= n; ++k) status = records::read(kMagUnit, "(3X,E12.4,4X,E12.4)", d.magZ(k), d.magB(k));
  const FileOutcome outcome = status == 0 ? kLoaded : damagedAt(kMagUnit, status);
  records::closeUnit(kMagUnit);
  if (status == 0) d.magCount = std::max(n, 0);
  // A broken mag.dat has never had a line of its own in "Output".
  reportOutcome(ProjectFile::kMagneticField, outcome, status != 0);
  return outcome;
}

FileOutcome loadEquipotentials(ProjectData& d) {
  d.potLineCount = 0;
  if (!openProjectFile(ProjectFile::kEquipotentials, kPotUnit, "formatted")) return kNotFound;
  std::int32_t lines = 0;
  const int first = records::read(kPotUnit, "(6X,I4)", lines);
  const FileOutcome outcome = first == 0 ? readEquipotentials(d, lines) : damagedAt(kPotUnit, first);
  records::closeUnit(kPotUnit);
  if (outcome.status != FileStatus::kLoaded) d.potLineCount = 0;
  // An unreadable first line is passed over in silence there too.
  reportOutcome(ProjectFile::kEquipotentials, outcome, first != 0);
  return outcome;
}

FieldOutcomes loadFieldFiles(ProjectData& d) {
  const FileOutcome magneticField = loadMagneticField(d);
  return {magneticField, loadEquipotentials(d)};
}

double fieldAt(float z) {
  const ProjectData& d = projectData;
  const int n = std::min(d.magCount, kMaxMagSamples);
  if (n <= 1 || z < d.magZ(1) || z > d.magZ(n)) return 0.0;
  int j = 2;
  while (j <= n && !(d.magZ(j) > z)) ++j;
  if (j > n) return d.magB(n);
  if (d.magZ(j - 1) == d.magZ(j)) return d.magB(j);
  const double z0 = d.magZ(j - 1), z1 = d.magZ(j), b0 = d.magB(j - 1), b1 = d.magB(j);
  // The fraction first: it lies in [0, 1), so samples very close together cannot overflow.
  return b0 + (b1 - b0) * ((static_cast<double>(z) - z0) / (z1 - z0));
}

}  // namespace kelm::klplot
