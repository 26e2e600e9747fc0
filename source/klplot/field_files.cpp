#include <algorithm>
#include <array>

#include "records/formatted.h"
#include "records/units.h"
#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"
#include "source/klplot/single_precision.h"

namespace kelm::klplot {

namespace {

void loadMagneticField(ProjectData& d) {
  d.magCount = 0;
  if (records::openUnit(22, {.file = "mag.dat", .status = "OLD", .form = "formatted", .action = "read"}) != 0) {
    records::print("File MAG.DAT not found");
    return;
  }
  std::int32_t n = 0;
  bool ok = records::read(22, "(3X,I6)", n) == 0;
  n = std::min(n, kMaxMagSamples);
  for (int k = 1; ok && k <= n; ++k) {
    ok = records::read(22, "(3X,E12.4,4X,E12.4)", d.magZ(k), d.magB(k)) == 0;
  }
  records::closeUnit(22);
  if (!ok) return;
  d.magCount = std::max(n, 0);
  records::print("File MAG.DAT loaded");
}

// One list: a leading word, then count numbers from index first.
bool readList(Array1<float, kMaxPotPoints>& values, int first, int count) {
  std::array<char, 2> word{};
  records::FormattedTransfer list(23, nullptr, true);
  list.in(std::span<char>(word));
  for (int i = 0; i < count; ++i) list.in(values(first + i));
  return list.end() == 0;
}

enum class PotOutcome { kLoaded, kUnreadable, kDamaged };

PotOutcome readEquipotentials(ProjectData& d) {
  std::int32_t lines = 0;
  if (records::read(23, "(6X,I4)", lines) != 0) return PotOutcome::kUnreadable;
  if (lines < 0 || lines > kMaxPotLines) return PotOutcome::kDamaged;
  d.potFirst(1) = 1;
  const double scale = d.meshScale;
  for (int k = 1; k <= lines; ++k) {
    std::int32_t count = 0;
    if (records::read(23, "(2X,F15.3,3X,I5)", d.potValue(k), count) != 0) return PotOutcome::kDamaged;
    d.potPointCount(k) = count;
    const int first = d.potFirst(k);
    // Counts beyond the point store, or negative, cannot be placed back to back.
    if (count < 0 || first - 1 + count > kMaxPotPoints) return PotOutcome::kDamaged;
    if (!readList(d.potZ, first, count) || !readList(d.potR, first, count)) return PotOutcome::kDamaged;
    for (int i = first; i < first + count; ++i) {
      d.potZ(i) = saturatedSingle(d.potZ(i) / scale);
      d.potR(i) = saturatedSingle(d.potR(i) / scale);
    }
    d.potFirst(k + 1) = first + count;
  }
  d.potLineCount = lines;
  return PotOutcome::kLoaded;
}

void loadEquipotentials(ProjectData& d) {
  d.potLineCount = 0;
  if (records::openUnit(23, {.file = "pot.dat", .status = "OLD", .form = "formatted", .action = "read"}) != 0) {
    records::print("File POT.DAT not found");
    return;
  }
  const PotOutcome outcome = readEquipotentials(d);
  records::closeUnit(23);
  if (outcome == PotOutcome::kLoaded) records::print("File POT.DAT loaded");
  if (outcome == PotOutcome::kDamaged) {
    d.potLineCount = 0;
    records::print("File POT.DAT damaged");
  }
}

}  // namespace

void loadFieldFiles() {
  loadMagneticField(projectData);
  loadEquipotentials(projectData);
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
