#pragma once
// The readers of the project files in the current directory, and what the driver derives from
// them. Each reader writes exactly one line to "Output" (mag.dat's failures none).

namespace kelm::klplot {

void loadGeometry();    // geom.dat on unit 20
void loadFieldFiles();  // mag.dat on unit 22, then pot.dat on unit 23
void loadResult();      // klplt.res on unit 21

// The axial field at z, interpolated linearly between the mag.dat samples; 0 outside them.
double fieldAt(float z);

// The radial and axial plot ranges and the axial tick step from the outline.
void deriveExtents();

// A whole load as the display driver makes it: the resets, the readers in their order and the
// extents derived from what they read.
void loadProjectFiles();

}  // namespace kelm::klplot
