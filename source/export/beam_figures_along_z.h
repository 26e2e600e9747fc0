#pragma once
// The beam at a plane z = const, in the phase plane's figures and in the further figures a
// report asks for, and the same at planes spread along the whole z range.

#include <vector>

#include "source/klplot/beam_figures.h"

namespace kelm::exporting {

struct Emittances {
  double phasePlane = 0.0;  // 4 sqrt(<r^2><r'^2> - <rr'>^2), the figure the phase plane shows
  double rms = 0.0;         // sqrt(<r^2><r'^2> - <rr'>^2) / 2, one transverse plane
  double ninety = 0.0;      // rms of the innermost 90 % of the current
};

struct PlaneFigures {
  float z = 0.0f;
  int crossings = 0;
  double current = 0.0;  // A
  float rMax = 0.0f;     // mm
  double field = 0.0;    // G on the axis
  // Only where the plane carries current (current > 0); the moments need it as divisor.
  bool shaped = false;
  double rmsRadius = 0.0;  // sqrt(<r^2>), mm
  Emittances emittance;    // mm*rad; phasePlane is set wherever there are crossings
};

PlaneFigures figuresOf(const klplot::Crossings& c, float z, double field);

// The figures at z as the phase plane finds them.
PlaneFigures figuresAt(const klplot::ProjectData& data, float z);

// steps planes evenly spaced from zMin to zMax, both included, in single precision.
std::vector<float> planesAlong(double zMin, double zMax, int steps);

// The figures at each plane; each trajectory is walked once for all of them.
std::vector<PlaneFigures> figuresAlong(const klplot::ProjectData& data, const std::vector<float>& planes);

// beta * gamma of an electron of this kinetic energy in eV: the factor of normalized emittances.
double betaGamma(double electronVolts);

}  // namespace kelm::exporting
