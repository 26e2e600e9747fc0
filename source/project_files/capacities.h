#pragma once
// What the project files can hold, as the display's store takes them. The solver writes within
// these limits and the store is sized by them, so both read them from here.

namespace kelm {

inline constexpr int kMaxGeomPoints = 20000;   // geom.dat's outline points
inline constexpr int kMaxGeomSegments = 12;
inline constexpr int kMaxTrajectories = 1000;  // klplt.res
inline constexpr int kMaxTrajPoints = 300;     // a trajectory in the store
// What the solver writes of a trajectory, its start point included: the store's last slot is
// the reader's end mark.
inline constexpr int kMaxResultPoints = kMaxTrajPoints - 1;
inline constexpr int kMaxMagSamples = 1000;    // mag.dat
inline constexpr int kMaxPotLines = 100;       // pot.dat
inline constexpr int kMaxPotPoints = 30000;

}  // namespace kelm
