#pragma once
// One electron through the gun's static fields: the relativistic equations of motion in (r, z)
// with the azimuthal motion from Busch's theorem (the canonical angular momentum is that the
// electron left the cathode with, its thermal r·uθ there and the cathode's flux), integrated by an embedded Runge–Kutta pair
// with step control. The beam's own azimuthal magnetic field comes with the electric field,
// when the iteration has built it from an earlier pass.

#include <vector>

#include "source/solver/beam/axial_magnetic_field.h"
#include "source/solver/beam/potential_field.h"
#include "source/solver/beam/trace.h"

namespace kelm::solver {

struct ParticleStart {
  double r_m = 0, z_m = 0;
  double ur = 0, uz = 0;         // momentum / (m c)
  double cathodeFlux_Wb = 0;     // magnetic flux through the cathode circle of the start radius
  double angularMomentum_m = 0;  // r·uθ at the cathode, apart from the magnetic field's part
  double dirR = 0, dirZ = 1;     // the emission direction: moving against it means turned back
};

struct TraceSettings {
  double tolerance = 1e-6;        // local error per step, relative to a cell and to the momentum
  double maxStep_cells = 0.5;     // so that the charge lands in every cell it crosses
  int maxSteps = 100000;
  double energyScale_eV = 0;      // the energy errors are measured against; 0: the electron's own
};

// The paraxial flux through the circle of radius r at z.
double magneticFlux(const AxialMagneticField& field, double r_m, double z_m);

// uθ = γ·vθ/c of an electron at (r, z) that left a cathode circle of the given flux unturned.
double azimuthalMomentum(const AxialMagneticField& field, double r_m, double z_m, double cathodeFlux_Wb);

Trace traceParticle(const PotentialField& electric, const AxialMagneticField& magnetic,
                    const ParticleStart& start, const TraceSettings& settings);

}  // namespace kelm::solver
