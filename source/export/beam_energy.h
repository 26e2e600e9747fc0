#pragma once
// The kinetic energy of the beam's electrons at a plane z, for normalized emittances: from the
// potential on the axis measured from the cathode's, or from --voltage where that is unknown.

#include <optional>
#include <vector>

#include "source/klplot/project_data.h"

namespace kelm::exporting {

enum class EnergySource { kNone, kEquipotentials, kVoltage };

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
  // A potential map (once the solver writes one) becomes a second factory beside this one;
  // BeamEnergy takes whichever has samples.

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
  BeamEnergy(const klplot::ProjectData& data, std::optional<double> voltage);
  LocalEnergy at(double z) const;

 private:
  AxisPotential axis_;
  double cathode_ = 0.0;  // V
  std::optional<double> voltage_;
};

const char* sourceName(EnergySource source);

}  // namespace kelm::exporting
