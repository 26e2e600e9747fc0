#include "source/export/beam_energy.h"

#include <algorithm>
#include <cmath>

namespace kelm::exporting {
namespace {

constexpr double kOnAxis = 1e-4;  // mm: a point of a line this close to r = 0 is on the axis

// The cathode's potential from the map: the lowest of the nodes around its start point, since the
// point lies on the electrode surface, between nodes held at the cathode's potential and free
// nodes above it. Unknown off the mesh.
std::optional<double> cathodePotential(const solver::PotentialMap& map, double r, double z) {
  const double cell = map.cell_m * 1e3;
  // A start point read from klplt.res may be anything; comparing a NaN would trap.
  if (!(cell > 0.0) || map.nr < 2 || map.nz < 2 || !std::isfinite(r) || !std::isfinite(z)) return std::nullopt;
  // On the mesh before dividing: a start far off it would overflow.
  if (std::fabs(r) > (map.nr - 1) * cell || z < 0.0 || z > (map.nz - 1) * cell) return std::nullopt;
  const double x = std::fabs(r) / cell, y = z / cell;
  const int ir = std::min(static_cast<int>(x), map.nr - 2), iz = std::min(static_cast<int>(y), map.nz - 2);
  double lowest = map.potential_V[static_cast<std::size_t>(iz) * static_cast<std::size_t>(map.nr) + static_cast<std::size_t>(ir)];
  for (int j = iz; j <= iz + 1; ++j)
    for (int i = ir; i <= ir + 1; ++i)
      lowest = std::min(lowest, map.potential_V[static_cast<std::size_t>(j) * static_cast<std::size_t>(map.nr) +
                                                static_cast<std::size_t>(i)]);
  return lowest;
}

}  // namespace

AxisPotential::AxisPotential(std::vector<std::pair<double, double>> samples) : samples_(std::move(samples)) {
  std::erase_if(samples_, [](const auto& s) { return !std::isfinite(s.first) || !std::isfinite(s.second); });
  std::stable_sort(samples_.begin(), samples_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

AxisPotential AxisPotential::fromEquipotentials(const klplot::ProjectData& d) {
  std::vector<std::pair<double, double>> samples;
  const int lines = std::clamp(d.potLineCount, 0, kMaxPotLines);
  for (int k = 1; k <= lines; ++k) {
    const long first = d.potFirst(k), count = d.potPointCount(k);
    for (long p = first; p < first + count; ++p) {
      if (!Array1<float, kMaxPotPoints>::inRange(p)) break;
      if (std::fabs(d.potR(p)) <= kOnAxis) {
        samples.emplace_back(d.potZ(p), d.potValue(k));
        break;  // a line meets the axis once
      }
    }
  }
  return AxisPotential(std::move(samples));
}

AxisPotential AxisPotential::fromPotentialMap(const solver::PotentialMap& map) {
  std::vector<std::pair<double, double>> samples;
  if (map.nr < 1 || map.potential_V.size() != static_cast<std::size_t>(map.nr) * static_cast<std::size_t>(map.nz))
    return {};
  for (int iz = 0; iz < map.nz; ++iz)
    samples.emplace_back(iz * map.cell_m * 1e3, map.potential_V[static_cast<std::size_t>(iz) * static_cast<std::size_t>(map.nr)]);
  return AxisPotential(std::move(samples));
}

std::optional<double> AxisPotential::at(double z) const {
  if (samples_.empty() || !std::isfinite(z) || z < samples_.front().first || z > samples_.back().first)
    return std::nullopt;
  const auto upper = std::lower_bound(samples_.begin(), samples_.end(), z,
                                      [](const auto& s, double value) { return s.first < value; });
  if (upper->first == z || upper == samples_.begin()) return upper->second;
  const auto lower = upper - 1;
  const double span = upper->first - lower->first;
  if (!(span > 0.0)) return upper->second;
  return lower->second + (upper->second - lower->second) * (z - lower->first) / span;
}

AxisPotential AxisPotential::with(double z, double potential) const {
  auto samples = samples_;
  samples.emplace_back(z, potential);
  return AxisPotential(std::move(samples));
}

double AxisPotential::levelStep() const {
  return samples_.size() < 2 ? 0.0 : samples_[1].second - samples_[0].second;
}

BeamEnergy::BeamEnergy(const klplot::ProjectData& d, std::optional<double> voltage,
                       const solver::PotentialMap* map)
    : voltage_(voltage) {
  if (map != nullptr) fromPotentialMap(d, *map);
  if (axis_.empty()) fromEquipotentials(d);
}

void BeamEnergy::fromPotentialMap(const klplot::ProjectData& d, const solver::PotentialMap& map) {
  axis_ = AxisPotential::fromPotentialMap(map);
  if (axis_.empty()) return;
  axisSource_ = EnergySource::kPotentialMap;
  const bool started = d.trajCount >= 1 && d.trajNext(1) > 1;
  const std::optional<double> there = started ? cathodePotential(map, d.trajR(1, 1), d.trajZ(1, 1)) : std::nullopt;
  cathode_ = there.value_or(axis_.first());
}

void BeamEnergy::fromEquipotentials(const klplot::ProjectData& d) {
  axis_ = AxisPotential::fromEquipotentials(d);
  axisSource_ = EnergySource::kEquipotentials;
  if (axis_.empty()) return;
  // The cathode is where the first trajectory starts. Before the first line that meets the axis
  // its potential is one level step below that line's, the levels being drawn evenly from it.
  const bool started = d.trajCount >= 1 && d.trajNext(1) > 1;
  const std::optional<double> there = started ? axis_.at(d.trajZ(1, 1)) : std::nullopt;
  cathode_ = there.value_or(axis_.first() - axis_.levelStep());
  // From the cathode to the first line the potential rises from the cathode's.
  if (started && !there && d.trajZ(1, 1) < axis_.firstZ()) axis_ = axis_.with(d.trajZ(1, 1), cathode_);
}

LocalEnergy BeamEnergy::at(double z) const {
  if (const auto potential = axis_.at(z)) {
    const double energy = *potential - cathode_;
    if (energy > 0.0) return {energy, axisSource_};
  }
  if (voltage_) return {*voltage_, EnergySource::kVoltage};
  return {};
}

const char* sourceName(EnergySource source) {
  switch (source) {
    case EnergySource::kPotentialMap:
      return "potmap.dat";
    case EnergySource::kEquipotentials:
      return "pot.dat";
    case EnergySource::kVoltage:
      return "voltage";
    case EnergySource::kNone:
      break;
  }
  return "";
}

}  // namespace kelm::exporting
