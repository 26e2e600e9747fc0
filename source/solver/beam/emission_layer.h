#pragma once
// Space-charge-limited emission across a thin layer in front of the cathode: Child's law from
// the potential at the layer's outer surface, and the layer's own charge from the planar Child
// flow, in which x grows as t³.

namespace kelm::solver {

// (4ε0/9)·√(2e/m): J = kChildConstant·V^{3/2}/d².
double childConstant();
// The space-charge-limited current density (A/m²) for a layer of depth d at potential V above
// the cathode; 0 when the field holds the electrons back.
double childDensity(double layerPotential_V, double depth_m);
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
