#pragma once
// Space-charge-limited emission across a thin layer in front of the cathode: Child's law from
// the potential at the layer's outer surface, and the layer's own charge from the planar Child
// flow, in which x grows as t³ (docs/method.md, "Emission").

namespace kelm::solver {

// (4ε0/9)·√(2e/m): J = kChildConstant·V^{3/2}/d².
double childConstant();
// The planar gap whose Child current density equals that on a concave spherical cathode of
// radius R across a layer of depth d: R·|α| of Langmuir and Blodgett, with α from its series in
// ln((R − d)/R). A layer converging onto the centre carries more than the planar law says, about
// d/R more. R 0: a flat cathode, the depth itself.
double childGap(double depth_m, double cathodeRadius_m);
// The space-charge-limited current density (A/m²) for a layer of depth d at potential V above
// the cathode; 0 when the field holds the electrons back.
double childDensity(double layerPotential_V, double depth_m);
// The density a cathode that could give temperatureLimit emits where space charge allows
// spaceChargeLimit: 1/J^p = 1/J_T^p + 1/J_SCL^p with p = kEmissionBlend, never above either.
inline constexpr double kEmissionBlend = 8;
// Richardson–Dushman: A·T²·exp(−(W − ΔW)/kT), with the Schottky lowering ΔW = √(e³E/(4πε0))
// by the accelerating field E at the surface. Never quite 0, since 0 stands for no limit.
double thermionicDensity(double temperature_K, double workFunction_eV, double richardson_A_per_m2K2,
                         double surfaceField_V_per_m);
double limitedDensity(double temperatureLimit_A_per_m2, double spaceChargeLimit_A_per_m2);
// A start before any charge is known: Child's law across the planar gap V·d/φ_s that the
// vacuum potential φ_s at the layer implies for the accelerating voltage V. Child's law at the
// layer itself would overshoot by √(gap/d).
double vacuumEstimate(double layerPotential_V, double depth_m, double voltage_V);
// The next density of an iteration at one point of the cathode. The space charge lowers the
// layer's potential from vacuumLayer_V to layer_V while the density `used` is emitted; taking
// that lowering as proportional to the density, this solves J = limitedDensity(J_T,
// Child(vacuumLayer_V − (vacuumLayer_V − layer_V)·J/used)) by bisection. Child's law alone
// would answer a small lowering with a large swing. temperatureLimit 0: no such limit.
double consistentDensity(double used_A_per_m2, double layer_V, double vacuumLayer_V, double depth_m,
                         double temperatureLimit_A_per_m2);
// The layer potential at which Child's law gives the density: its inverse.
double childPotential(double density_A_per_m2, double depth_m);
// Momentum / (m c) of an electron that has fallen through V.
double momentumAfter(double potential_V);

// The layer's charge: `count` equal parts of the transit time, each at the depth (fraction of
// d) the flow reaches at the middle of its part.
struct LayerStep {
  double depthFraction = 0;
  double timeFraction = 0;  // of the transit time
};
inline constexpr int kLayerSteps = 8;
LayerStep layerStep(int k);
// The transit time of the Child flow across the layer: 3d/v at the surface.
double layerTransitTime(double layerPotential_V, double depth_m);

}  // namespace kelm::solver
