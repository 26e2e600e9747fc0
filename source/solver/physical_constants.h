#pragma once
// Physical constants in SI units, CODATA 2018.

namespace kelm::solver {

inline constexpr double kElementaryCharge_C = 1.602176634e-19;
inline constexpr double kElectronMass_kg = 9.1093837015e-31;
inline constexpr double kVacuumPermittivity_F_per_m = 8.8541878128e-12;
inline constexpr double kVacuumPermeability_H_per_m = 1.25663706212e-6;
inline constexpr double kSpeedOfLight_m_per_s = 299792458.0;
inline constexpr double kElectronRestEnergy_eV = 510998.95;
inline constexpr double kBoltzmann_eV_per_K = 8.617333262e-5;

}  // namespace kelm::solver
