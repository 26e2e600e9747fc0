#pragma once
// The one store of a loaded project. Readers fill it, the display driver derives the extents,
// views and printed pages only read it (phaseZ excepted). Lengths in mm after the division by
// meshScale; single precision where the files hold single, double for trajectories and extents.

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "runtime/fixed_array.h"
#include "source/project_files/capacities.h"

namespace kelm::klplot {


struct ProjectData {
  // Geometry (geom.dat).
  float meshScale = 1.0f;
  std::int32_t geomHeaderA = 0, geomHeaderB = 0;
  Array1<std::int32_t, kMaxGeomPoints> geomCode;
  Array1<float, kMaxGeomPoints> geomR, geomZ;
  std::int32_t geomSegCount = 0;
  Array1<std::int32_t, kMaxGeomSegments> geomSegFirst, geomSegLast;
  std::int32_t geomLoaded = 0;

  // Trajectories (klplt.res).
  std::int32_t resultIteration = 0;
  std::int32_t trajCount = 0;
  Array1<double, kMaxTrajectories> trajCurrent;
  double totalCurrent = 0.0;
  Array1<float, kMaxTrajectories> cathodeDensity;
  Array2<double, kMaxTrajectories, kMaxTrajPoints> trajR, trajZ;
  Array1<std::int32_t, kMaxTrajectories> trajNext;  // points are 1 .. trajNext(i) - 1
  Array1<float, kMaxTrajectories> cathodeR;
  std::int32_t resultLoaded = 0;
  // The strongest field on the electrodes, from the solve's record: the Beam window marks it.
  bool surfaceMarked = false;
  float surfaceZ = 0.0f, surfaceR = 0.0f, surfaceField_kV_per_mm = 0.0f;

  // Field tables (mag.dat, pot.dat).
  std::int32_t magCount = 0;
  Array1<float, kMaxMagSamples> magZ, magB;
  std::int32_t potLineCount = 0;
  Array1<float, kMaxPotLines> potValue;
  Array1<std::int32_t, kMaxPotLines> potPointCount;
  Array1<std::int32_t, kMaxPotLines + 1> potFirst;
  Array1<float, kMaxPotPoints> potZ, potR;

  // Extents derived after loading; phaseZ also changed by the Z-coordinate handling.
  double rAxisMin = 0.0, rAxisMax = 200.0;
  double zAxisMin = 0.0, zAxisMax = 500.0;
  float zAxisMinF = 0.0f, zAxisMaxF = 500.0f;
  float zTickStep = 100.0f;
  // Written by the Z-coordinate dialog and the mouse on the message thread while views read it.
  std::atomic<float> phaseZ{250.0f};
};

// The trajectories, and the points of trajectory i, that the store holds: the counts the
// reader leaves may reach past the store's capacity.
inline int storedTrajectories(const ProjectData& d) { return std::clamp(d.trajCount, 0, kMaxTrajectories); }
inline int storedPoints(const ProjectData& d, int i) { return std::clamp(d.trajNext(i) - 1, 0, kMaxTrajPoints); }

// The global store, living for the whole run (about 10 MB, so never on a stack).
extern ProjectData& projectData;

// The store as it is at start-up: nothing of an earlier project left in it, even where a
// reader leaves untouched what its file does not name.
void clearStore(ProjectData& d);

// What the display driver clears before the readers run: the outline and the plot's radial
// range before geom.dat, the result counts before klplt.res.
void resetOutlineForLoad(ProjectData& d);
void resetResultForLoad(ProjectData& d);

}  // namespace kelm::klplot
