#include "tests/solver/beam/test_gun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "source/solver/geometry/mesh_builder.h"

namespace kelm::solver::testing {

bool makeTestGun(const std::string& geomCod, TestGun& t) {
  Diagnostic d;
  if (!parseGunDescription(geomCod, t.gun, d) || !buildMesh(t.gun, t.mesh, d)) {
    ADD_FAILURE() << formatDiagnostic("geom.cod", d);
    return false;
  }
  std::string error;
  if (!t.field.prepare(t.mesh, error) ||
      (t.gun.cathode.shape != CathodeSurface::Shape::kNone && !cathodeOf(t.gun, t.mesh, t.cathode, error))) {
    ADD_FAILURE() << error;
    return false;
  }
  return true;
}

std::string planarDiode(double gap_mm, double cell_mm, double volts, double radius_mm, double emitting_mm) {
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

double radiusAt(const Trace& trace, double z_m) {
  const auto& p = trace.points;
  for (std::size_t k = 1; k < p.size(); ++k)
    if (p[k].z_m >= z_m && p[k - 1].z_m < z_m)
      return p[k - 1].r_m + (p[k].r_m - p[k - 1].r_m) * (z_m - p[k - 1].z_m) / (p[k].z_m - p[k - 1].z_m);
  return std::nan("");
}

}  // namespace kelm::solver::testing
