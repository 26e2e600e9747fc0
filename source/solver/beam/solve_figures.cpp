#include "source/solver/beam/solve_figures.h"

#include <cstdio>

#include "source/project_files/solve_record.h"

namespace kelm::solver {
namespace {

using projectfiles::recordNumber;

std::string format(const char* pattern, auto... values) {
  char line[300];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

constexpr double kVPerMPerKVPerMm = 1e6;

void surfaceRows(const GunDescription& gun, const SurfaceField& field, double limit, SolveFigures& out) {
  if (field.strongest < 0) {
    out.lines.push_back("Surface field: no electrode surface faces the free region");
    return;
  }
  const auto strongest = static_cast<std::size_t>(field.strongest);
  const SurfaceMaximum& top = field.electrodes[strongest];
  const std::string& name = gun.electrodes[strongest].name;
  const double peak = top.field_V_per_m / kVPerMPerKVPerMm;
  out.lines.push_back(format("Surface field: at most %.4g kV/mm, on %s at z %.4g mm, r %.4g mm", peak, name.c_str(),
                             top.z_m * 1e3, top.r_m * 1e3));
  out.rows.emplace_back("surface_field_max [kV/mm]", recordNumber(peak));
  out.rows.emplace_back("surface_field_max_z [mm]", recordNumber(top.z_m * 1e3));
  out.rows.emplace_back("surface_field_max_r [mm]", recordNumber(top.r_m * 1e3));
  out.rows.emplace_back("surface_field_electrode", name);
  for (std::size_t e = 0; e < field.electrodes.size(); ++e) {
    const SurfaceMaximum& m = field.electrodes[e];
    if (!m.sampled) continue;
    const std::string& n = gun.electrodes[e].name;
    out.lines.push_back(format("  %s: %.4g kV/mm at z %.4g mm, r %.4g mm", n.c_str(),
                               m.field_V_per_m / kVPerMPerKVPerMm, m.z_m * 1e3, m.r_m * 1e3));
    out.rows.emplace_back("surface_field_max [kV/mm]:" + n, recordNumber(m.field_V_per_m / kVPerMPerKVPerMm));
    out.rows.emplace_back("surface_field_max_z [mm]:" + n, recordNumber(m.z_m * 1e3));
    out.rows.emplace_back("surface_field_max_r [mm]:" + n, recordNumber(m.r_m * 1e3));
  }
  const bool over = limit > 0 && peak > limit;
  out.rows.emplace_back("surface_field_ok", over ? "0" : "1");
  if (limit > 0) {
    out.rows.emplace_back("surface_field_limit [kV/mm]", recordNumber(limit));
    if (over) {
      out.warning = format("Warning: surface field %.4g kV/mm on %s exceeds the limit of %.4g kV/mm", peak,
                           name.c_str(), limit);
      out.lines.push_back(out.warning);
    }
  }
}

void currentRows(const GunDescription& gun, const CurrentAccount& a, SolveFigures& out) {
  std::string intercepted;
  out.rows.emplace_back("emitted_current [A]", recordNumber(a.emitted_A));
  for (std::size_t e = 0; e < a.intercepted_A.size() && e < gun.electrodes.size(); ++e) {
    const std::string& n = gun.electrodes[e].name;
    out.rows.emplace_back("intercepted_current [A]:" + n, recordNumber(a.intercepted_A[e]));
    intercepted += (intercepted.empty() ? " " : ", ") + n + format(" %.4g A", a.intercepted_A[e]);
  }
  out.rows.emplace_back("exit_current [A]", recordNumber(a.exit_A));
  out.rows.emplace_back("reflected_current [A]", recordNumber(a.reflected_A));
  out.rows.emplace_back("stalled_current [A]", recordNumber(a.stalled_A));
  out.lines.push_back(format("Current: emitted %.6g A; intercepted:", a.emitted_A) + intercepted +
                      format("; out of the mesh %.6g A; turned back %.6g A", a.exit_A, a.reflected_A));
  if (a.stalled_A > 0) out.lines.push_back(format("  stopped by the step limit: %.6g A", a.stalled_A));
}

}  // namespace

SolveFigures solveFigures(const GunDescription& gun, const SurfaceField& field, const CurrentAccount* account,
                          double limit_kV_per_mm) {
  SolveFigures out;
  if (field.electrodes.size() == gun.electrodes.size()) surfaceRows(gun, field, limit_kV_per_mm, out);
  if (account) currentRows(gun, *account, out);
  return out;
}

}  // namespace kelm::solver
