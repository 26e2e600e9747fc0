#pragma once
// mag.dat: the axial field as the display reads it, a count line "(3X,I6)" and one sample a
// line "(3X,E12.4,4X,E12.4)", z in mm and B in gauss, at most 1000 samples in increasing z.

#include <string>
#include <string_view>
#include <vector>

#include "source/project_files/capacities.h"
#include "source/solver/beam/axial_magnetic_field.h"

namespace kelm::solver {

// The field sampled evenly over [z0, z1] in at most 1000 samples.
std::string magneticFieldText(const AxialMagneticField& field, double z0_m, double z1_m);

// The solver's field from a table of the axial field (klinput.dat's magfield): two numbers a
// line, z in mm and B in gauss, in any real-number form, after an optional count line as a
// mag.dat has; blank lines and '#' comments are skipped. For a gun that runs from z0 to z1.
// False, with the line at fault, for a table that does not parse, or that cannot describe the
// field along the gun: fewer than two samples, none within the gun, samples further apart there
// than the gun is long, or an end inside the gun where the field has not fallen to 1 % of its
// peak (beyond the ends the field is zero, so it would step there). The field is the table's
// spline, sampled every step_m but no finer than 0.5 mm.
bool readMagneticField(std::string_view text, double z0_m, double z1_m, double step_m, AxialMagneticField& field,
                       std::string& error);

}  // namespace kelm::solver
