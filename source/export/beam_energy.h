#pragma once
// The kinetic energy of the beam's electrons at a plane z, for normalized emittances: from the
// potential on the axis measured from the cathode's, or from --voltage where that is unknown.

#include <optional>
#include <vector>

#include "source/klplot/project/project_data.h"
#include "source/solver/field/potential_map.h"

namespace kelm::exporting {

enum class EnergySource { kNone, kPotentialMap, kEquipotentials, kVoltage };

struct LocalEnergy {
  double electronVolts = 0.0;
  EnergySource source = EnergySource::kNone;
};

// The potential along the axis as samples (z in mm, V) in increasing z, interpolated linearly
// between them and unknown outside them.
class AxisPotential {
 public:
  AxisPotential() = default;
  explicit AxisPotential(std::vector<std::pair<double, double>> samples);

  // Where the equipotential lines of pot.dat meet the axis (r = 0).
  static AxisPotential fromEquipotentials(const klplot::ProjectData& data);
  // The axis column of KELM's own potential map, a sample at every node.
  static AxisPotential fromPotentialMap(const solver::PotentialMap& map);

  bool empty() const { return samples_.empty(); }
  // The same with one more sample.
  AxisPotential with(double z, double potential) const;
  std::optional<double> at(double z) const;
  double first() const { return samples_.front().second; }
  double firstZ() const { return samples_.front().first; }
  // The step between the two lowest levels, 0 with fewer than two.
  double levelStep() const;

 private:
  std::vector<std::pair<double, double>> samples_;
};

class BeamEnergy {
 public:
  // The potential map, when the project has one, is preferred to pot.dat's lines: it knows the
  // potential at every node, the cathode's included.
  BeamEnergy(const klplot::ProjectData& data, std::optional<double> voltage,
             const solver::PotentialMap* map = nullptr);
  LocalEnergy at(double z) const;

 private:
  void fromEquipotentials(const klplot::ProjectData& data);
  void fromPotentialMap(const klplot::ProjectData& data, const solver::PotentialMap& map);

  AxisPotential axis_;
  EnergySource axisSource_ = EnergySource::kEquipotentials;
  double cathode_ = 0.0;  // V
  std::optional<double> voltage_;
};

const char* sourceName(EnergySource source);

}  // namespace kelm::exporting
