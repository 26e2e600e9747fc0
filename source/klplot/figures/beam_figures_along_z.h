#pragma once
// The beam at a plane z = const, in the phase plane's figures and in the further figures a
// beam physicist reads, and the same at planes spread along the whole z range. Moments are
// weighted by |current|, so either sign convention for electrons gives the same figures.

#include <optional>
#include <vector>

#include "source/klplot/figures/beam_figures.h"

namespace kelm::exporting {

// Emittances in mm*mrad, without pi. x is one transverse plane of the axisymmetric beam.
struct Emittances {
  // 4 sqrt(<r^2><r'^2> - <rr'>^2), as the phase plane shows it: 8 rms without azimuthal motion
  double phasePlane = 0.0;
  // sqrt(<x^2><x'^2> - <xx'>^2) = sqrt(<r^2>(<r'^2> + <(r theta')^2>) - <rr'>^2) / 2
  double rms = 0.0;
  double coreRms = 0.0;     // rms of the innermost 90 % of the current
  double ninety = 0.0;      // area / pi of the rms-similar (r, r') ellipse holding 90 % of the current
  double whole = 0.0;       // the same holding all of it
};

// The rms ellipse of one transverse plane: x in mm, x' in mrad.
struct Twiss {
  double alpha = 0.0, beta = 0.0, gamma = 0.0;  // beta in mm/mrad, gamma in mrad/mm
};

struct PlaneFigures {
  float z = 0.0f;
  int crossings = 0;
  double current = 0.0;    // A, the signed sum the phase plane shows
  double magnitude = 0.0;  // A, the sum of |current|: the weight of every moment
  float rMax = 0.0f;       // mm
  double field = 0.0;      // G on the axis
  // Only where the plane carries current (magnitude > 0); the moments need it as divisor.
  bool shaped = false;
  double rmsRadius = 0.0;      // sqrt(<r^2>), mm
  double centroidR = 0.0;      // <r>, mm
  double centroidSlope = 0.0;  // <r'>, mrad
  double divergence = 0.0;     // sqrt(<x'^2>), mrad
  Emittances emittance;
  bool hasTwiss = false;  // where the rms emittance is above 0
  Twiss twiss;
};

// One ray's crossing of a plane, from whichever source: r in mm (mesh units without geom.dat),
// the slopes dr/dz and r dtheta/dz, the current in A.
struct PlaneCrossing {
  double r = 0.0, slope = 0.0, azimuthalSlope = 0.0, current = 0.0;
};

// The crossings of one plane, as many as the source holds.
struct CrossingSet {
  std::vector<PlaneCrossing> items;
  double totalCurrent = 0.0;  // signed
  float rMax = 0.0f;
};

CrossingSet crossingSetOf(const klplot::Crossings& c);

PlaneFigures figuresOf(const CrossingSet& c, float z, double field);
PlaneFigures figuresOf(const klplot::Crossings& c, float z, double field);

// The figures at z as the phase plane finds them.
PlaneFigures figuresAt(const klplot::ProjectData& data, float z);

// steps planes evenly spaced from zMin to zMax, both included, in single precision.
std::vector<float> planesAlong(double zMin, double zMax, int steps);

// The figures at each plane; each trajectory is walked once for all of them.
std::vector<PlaneFigures> figuresAlong(const klplot::ProjectData& data, const std::vector<float>& planes);

// The plane of the smallest rms radius among those that carry at least 90 % of the largest
// |current| of all planes: a waist where most of the beam is lost means nothing.
std::optional<PlaneFigures> waistOf(const std::vector<PlaneFigures>& planes);
double largestCurrentOf(const std::vector<PlaneFigures>& planes);

// beta * gamma of an electron of this kinetic energy in eV: the factor of normalized emittances.
double betaGamma(double electronVolts);

}  // namespace kelm::exporting
