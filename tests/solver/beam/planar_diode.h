#pragma once
// geom.cod of a planar diode, for the solver's tests and for kelm-export's run on a solve.

#include <cmath>
#include <cstdio>
#include <string>

namespace kelm::solver::testing {

// A flat cathode of the given radius facing an anode plate across the gap: the open side wall
// keeps the flow one-dimensional. The plate's face may fall between nodes. emitting_mm, when
// given, is the emitting part's radius.
inline std::string planarDiode(double gap_mm, double cell_mm, double volts, double radius_mm, double emitting_mm = 0) {
  const double cathode = 4 * cell_mm, face = cathode + gap_mm, top = std::ceil(face / cell_mm + 2) * cell_mm;
  const double emitting = emitting_mm > 0 ? emitting_mm : radius_mm;
  char rest[100] = "";
  if (emitting < radius_mm) std::snprintf(rest, sizeof rest, " line %.6g %.6g\n", radius_mm, cathode);
  char text[800];
  std::snprintf(text, sizeof text,
                "mesh r %.6g z %.6g cell %.6g\n"
                "edge zmin held 0\nedge zmax held %g\nedge rmax open\n"
                "electrode cathode 0\n from 0 0\n line 0 %.6g\n line %.6g %.6g emitting\n%s line %.6g 0\n close\nend\n"
                "electrode anode %g\n from 0 %.6g\n line %.6g %.6g\n line %.6g %.6g\n line 0 %.6g\n close\nend\n",
                radius_mm, top, cell_mm, volts, cathode, emitting, cathode, rest, radius_mm, volts, face, radius_mm, face,
                radius_mm, top, top);
  return text;
}

}  // namespace kelm::solver::testing
