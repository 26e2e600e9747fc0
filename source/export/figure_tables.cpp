#include "source/export/figure_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "source/command_line_tools/csv.h"
#include "source/export/solve_figure_columns.h"

namespace kelm::exporting {
namespace {

using cli::CsvLine;

// "name [unit]" with the length unit put in for "L".
std::string named(const std::string& prefix, std::string_view name, std::string_view unit, TableUnits units) {
  std::string text = prefix + std::string(name);
  if (unit.empty()) return text;
  std::string u(unit);
  if (const std::size_t at = u.find('L'); at != std::string::npos) u.replace(at, 1, units.length());
  return text + " [" + u + "]";
}

struct Column {
  std::string_view name, unit;  // L in unit: the length unit
  bool needsTwiss;
  double (*value)(const PlaneFigures&);
};

// The beam's shape at a plane, where current crosses it.
const Column kShape[] = {
    {"r_rms", "L", false, [](const PlaneFigures& f) { return f.rmsRadius; }},
    {"centroid_r", "L", false, [](const PlaneFigures& f) { return f.centroidR; }},
    {"centroid_slope", "mrad", false, [](const PlaneFigures& f) { return f.centroidSlope; }},
    {"divergence_rms_x", "mrad", false, [](const PlaneFigures& f) { return f.divergence; }},
    {"emittance_phase_plane", "L mrad", false, [](const PlaneFigures& f) { return f.emittance.phasePlane; }},
    {"emittance_rms_x", "L mrad", false, [](const PlaneFigures& f) { return f.emittance.rms; }},
    {"emittance_4rms_x", "L mrad", false, [](const PlaneFigures& f) { return 4.0 * f.emittance.rms; }},
    {"emittance_core90_rms_x", "L mrad", false, [](const PlaneFigures& f) { return f.emittance.coreRms; }},
    {"emittance_90", "L mrad", true, [](const PlaneFigures& f) { return f.emittance.ninety; }},
    {"emittance_100", "L mrad", true, [](const PlaneFigures& f) { return f.emittance.whole; }},
    {"alpha_x", "", true, [](const PlaneFigures& f) { return f.twiss.alpha; }},
    {"beta_x", "L/mrad", true, [](const PlaneFigures& f) { return f.twiss.beta; }},
    {"gamma_x", "mrad/L", true, [](const PlaneFigures& f) { return f.twiss.gamma; }},
};

// The emittances that are normalized by the local beta*gamma.
const Column kNormalized[] = {
    {"emittance_rms_x_norm", "L mrad", false, [](const PlaneFigures& f) { return f.emittance.rms; }},
    {"emittance_4rms_x_norm", "L mrad", false, [](const PlaneFigures& f) { return 4.0 * f.emittance.rms; }},
    {"emittance_core90_rms_x_norm", "L mrad", false,
     [](const PlaneFigures& f) { return f.emittance.coreRms; }},
};

void addNames(CsvLine& header, const std::string& prefix, std::span<const Column> columns, TableUnits units) {
  for (const Column& c : columns) header.add(named(prefix, c.name, c.unit, units));
}

void addValues(CsvLine& line, const PlaneFigures& f, std::span<const Column> columns, bool present,
               double factor = 1.0) {
  for (const Column& c : columns)
    line.addIf(present && f.shaped && (!c.needsTwiss || f.hasTwiss), c.value(f) * factor);
}

void addEnergyNames(CsvLine& header, const std::string& prefix, TableUnits units) {
  header.add(prefix + "kinetic_energy [eV]").add(prefix + "energy_source");
  addNames(header, prefix, kNormalized, units);
}

void addEnergyValues(CsvLine& line, const PlaneFigures& f, const LocalEnergy& energy, bool present) {
  const bool known = present && energy.source != EnergySource::kNone;
  line.addIf(known, energy.electronVolts).add(present ? sourceName(energy.source) : "");
  addValues(line, f, kNormalized, known, known ? betaGamma(energy.electronVolts) : 0.0);
}

}  // namespace

std::string figuresCsv(const std::vector<PlaneFigures>& planes, const BeamEnergy& energy, TableUnits units,
                       bool header) {
  std::string text;
  if (header) {
    CsvLine names;
    names.add(named("", "z", "L", units))
        .add("crossings")
        .add("current [A]")
        .add(named("", "r_max", "L", units));
    addNames(names, "", kShape, units);
    names.add("axial_field [G]");
    addEnergyNames(names, "", units);
    text += names.text();
  }
  for (const PlaneFigures& f : planes) {
    CsvLine line;
    line.add(f.z).add(f.crossings).add(f.current).addIf(f.crossings > 0, f.rMax);
    addValues(line, f, kShape, true);
    line.add(f.field);
    addEnergyValues(line, f, energy.at(f.z), true);
    text += line.text();
  }
  return text;
}

namespace {

std::string crossingsHeader(TableUnits units) {
  return CsvLine()
      .add("trajectory")
      .add(named("", "r", "L", units))
      .add("slope [rad]")
      .add("azimuthal slope [rad]")
      .add("current [A]")
      .text();
}

}  // namespace

std::string crossingsCsv(const klplot::Crossings& c, const klplot::ProjectData& data, TableUnits units,
                         bool header) {
  std::string text = header ? crossingsHeader(units) : "";
  for (int k = 1; k <= c.count; ++k) {
    text += CsvLine()
                .add(c.trajectory(k))
                .add(c.radius(k))
                .add(c.slope(k))
                .addEmpty()
                .add(data.trajCurrent(c.trajectory(k)))
                .text();
  }
  return text;
}

std::string crossingsCsv(std::span<const openpmd::PathCrossing> crossings, bool header) {
  std::string text = header ? crossingsHeader(TableUnits{true}) : "";
  for (const openpmd::PathCrossing& c : crossings)
    text += CsvLine().add(c.id).add(c.r_m * 1e3).add(c.slope).add(c.azimuthalSlope).add(c.current_A).text();
  return text;
}

std::string summaryHeader() {
  const TableUnits mm;
  CsvLine header;
  header.add("directory");
  for (const klplot::ProjectFileName& file : klplot::kProjectFiles) {
    std::string name(file.file);
    std::replace(name.begin(), name.end(), '.', '_');
    header.add(name);
  }
  header.add("results_older_than_mesh");
  header.add("solve_status").add("converged").add("iterations").add("final_change");
  header.add("trajectories").add("total_current [A]").add("voltage [V]").add("perveance [uP]");
  header.add("figures_from").add("waist_z [mm]").add("waist_crossings").add("waist_current [A]");
  addNames(header, "waist_", kShape, mm);
  addEnergyNames(header, "waist_", mm);
  header.add("z [mm]").add("crossings").add("current [A]").add("transmitted_fraction").add("r_max [mm]");
  addNames(header, "", kShape, mm);
  addEnergyNames(header, "", mm);
  addRangeNames(header);
  for (const std::string& name : solveFigureNames()) header.add(name);
  return header.text();
}

std::string summaryLine(const SummaryRow& row) {
  CsvLine line;
  line.add(escapedText(row.directory));
  for (FileStatus s : row.files) line.add(klplot::statusWords(s));
  line.add(int(row.olderThanMesh));
  line.add(row.status).addIf(bool(row.iterations), int(row.converged)).addIf(bool(row.iterations), row.iterations.value_or(0));
  line.addIf(bool(row.iterations), row.finalChange);
  // A damaged result still shows what was read before the damage.
  const bool result = row.files[std::size_t(klplot::ProjectFile::kResult)] == FileStatus::kLoaded || row.trajectories > 0;
  line.addIf(result, row.trajectories).addIf(result, row.totalCurrent);
  const bool perveance = result && row.voltage && row.totalCurrent != 0.0;
  line.addIf(bool(row.voltage), row.voltage.value_or(0.0))
      .addIf(perveance, std::fabs(row.totalCurrent) / std::pow(row.voltage.value_or(1.0), 1.5) * 1e6);
  // Without geom.dat the lengths are in mesh units, which the mm columns must not show.
  const bool inMm = row.files[std::size_t(klplot::ProjectFile::kGeometry)] == FileStatus::kLoaded;
  const PlaneFigures none;
  const PlaneFigures& waist = row.waist ? *row.waist : none;
  const bool hasWaist = row.waist && inMm;
  line.add(row.figuresFrom);
  line.addIf(hasWaist, waist.z).addIf(hasWaist, waist.crossings).addIf(hasWaist, waist.current);
  addValues(line, waist, kShape, hasWaist);
  addEnergyValues(line, waist, row.waistEnergy, hasWaist);
  const PlaneFigures& f = row.atZ;
  line.addIf(inMm, f.z).add(f.crossings).add(f.current);
  line.addIf(row.largestCurrent > 0.0, f.magnitude / row.largestCurrent)
      .addIf(inMm && f.crossings > 0, f.rMax);
  addValues(line, f, kShape, inMm);
  addEnergyValues(line, f, row.energyAtZ, inMm);
  addRangeValues(line, row.range, row.overRange, inMm);
  const std::vector<std::string> cells = row.solveFigures.empty() ? solveFigureCells(nullptr) : row.solveFigures;
  for (const std::string& cell : cells) line.add(cell);
  return line.text();
}

}  // namespace kelm::exporting
