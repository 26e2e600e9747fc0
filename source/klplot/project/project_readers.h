#pragma once
// The readers of the project files in the current directory, and what the driver derives from
// them. Each reader fills the store, writes its one line to "Output" (some failures are silent
// there) and returns what it made of its file.

#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

FileOutcome loadGeometry(ProjectData& d);        // geom.dat on unit 20
FileOutcome loadMagneticField(ProjectData& d);   // mag.dat on unit 22
FileOutcome loadEquipotentials(ProjectData& d);  // pot.dat on unit 23
FileOutcome loadResult(ProjectData& d);          // klplt.res on unit 21

struct FieldOutcomes {
  FileOutcome magneticField, equipotentials;
};
// mag.dat, then pot.dat.
FieldOutcomes loadFieldFiles(ProjectData& d);

// The axial field at z, interpolated linearly between the mag.dat samples; 0 outside them.
double fieldAt(float z);

// The radial and axial plot ranges and the axial tick step from the outline.
void deriveExtents(ProjectData& d);

// A whole load as the display driver makes it: the resets, the readers in their order and the
// extents derived from what they read.
ProjectLoad loadProjectFiles(ProjectData& d);

}  // namespace kelm::klplot
