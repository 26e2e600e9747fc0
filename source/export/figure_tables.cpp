#include "source/export/figure_tables.h"

#include "source/export/csv_line.h"

namespace kelm::exporting {
namespace {

constexpr const char* kDefinitions =
    "Definitions: crossings are the trajectories that cross the plane z, each counted at its "
    "first crossing as the phase plane counts them; current is the sum of their currents; Rmax "
    "the largest crossing radius; <q> is the current-weighted mean of q over the crossings, taken "
    "about the axis (r = 0, r' = 0), r' = dr/dz; rms radius = sqrt(<r^2>); emittance = "
    "4*sqrt(<r^2><r'^2>-<rr'>^2), the figure the phase plane shows; rms emittance = "
    "sqrt(<r^2><r'^2>-<rr'>^2)/2, that of one transverse plane of the axisymmetric beam, assuming "
    "no azimuthal motion; 90% emittance = the rms emittance of the innermost 90% of the current, "
    "the crossings taken in increasing <r'^2>r^2-2<rr'>rr'+<r^2>r'^2 (the invariant of the rms "
    "ellipse) until 90% of the current is in, the last one in part; axial field interpolated in "
    "mag.dat, 0 outside it. Empty cells: no crossing (Rmax, emittance) or no current through the "
    "plane (the other beam figures).";

const char* statusText(FileStatus s) {
  switch (s) {
    case FileStatus::kLoaded:
      return "loaded";
    case FileStatus::kNotFound:
      return "not found";
    case FileStatus::kDamaged:
      return "damaged";
  }
  return "";
}

// Rmax and the three emittances, empty where they are undefined.
void addShape(CsvLine& line, const PlaneFigures& f, double factor = 1.0) {
  line.addIf(f.crossings > 0, f.emittance.phasePlane * factor)
      .addIf(f.shaped, f.emittance.rms * factor)
      .addIf(f.shaped, f.emittance.ninety * factor);
}

}  // namespace

std::string figuresCsv(const std::vector<PlaneFigures>& planes, const std::string& project,
                       std::optional<double> voltage) {
  std::string text = csvComment("KELM beam figures along z of " + project + ", " +
                                std::to_string(planes.size()) + " planes. " + kDefinitions);
  const double factor = voltage ? betaGamma(*voltage) : 1.0;
  if (voltage) {
    text += csvComment("Normalized emittances: the emittances times beta*gamma = " + numberText(factor) +
                       ", that of an electron of " + numberText(*voltage) + " eV.");
  }
  CsvLine header;
  header.add("z (mm)").add("crossings").add("current (A)").add("Rmax (mm)").add("rms radius (mm)");
  header.add("emittance (mm*rad)").add("rms emittance (mm*rad)").add("90% emittance (mm*rad)");
  header.add("axial field (Gs)");
  if (voltage) {
    header.add("normalized emittance (mm*rad)").add("normalized rms emittance (mm*rad)");
    header.add("normalized 90% emittance (mm*rad)");
  }
  text += header.text();
  for (const PlaneFigures& f : planes) {
    CsvLine line;
    line.add(f.z).add(f.crossings).add(f.current).addIf(f.crossings > 0, f.rMax).addIf(f.shaped, f.rmsRadius);
    addShape(line, f);
    line.add(f.field);
    if (voltage) addShape(line, f, factor);
    text += line.text();
  }
  return text;
}

std::string crossingsCsv(const klplot::Crossings& c, const klplot::ProjectData& data, float z,
                         const std::string& project) {
  std::string text = csvComment("KELM crossings of the plane z = " + numberText(z) + " mm of " + project +
                                ": each trajectory at its first crossing, as the phase plane shows it; "
                                "r' = dr/dz there.");
  text += CsvLine().add("trajectory").add("r (mm)").add("r' (rad)").add("current (A)").text();
  for (int k = 1; k <= c.count; ++k) {
    text += CsvLine()
                .add(c.trajectory(k))
                .add(c.radius(k))
                .add(c.slope(k))
                .add(data.trajCurrent(c.trajectory(k)))
                .text();
  }
  return text;
}

std::optional<PlaneFigures> waistOf(const std::vector<PlaneFigures>& planes) {
  std::optional<PlaneFigures> waist;
  for (const PlaneFigures& f : planes) {
    if (f.shaped && (!waist || f.rmsRadius < waist->rmsRadius)) waist = f;
  }
  return waist;
}

std::string summaryCsv(const std::vector<SummaryRow>& rows) {
  std::string text =
      csvComment(std::string("KELM summary of ") + std::to_string(rows.size()) +
                 " projects. The waist is the plane of the smallest rms radius among the planes "
                 "of the sweep along z; z is the plane asked for, else the middle of the z range. " +
                 kDefinitions);
  CsvLine header;
  header.add("directory");
  for (const char* file : kProjectFiles) header.add(file);
  header.add("trajectories").add("total current (A)");
  header.add("waist z (mm)").add("waist rms radius (mm)").add("waist emittance (mm*rad)");
  header.add("waist rms emittance (mm*rad)").add("waist 90% emittance (mm*rad)");
  header.add("z (mm)")
      .add("Rmax at z (mm)")
      .add("emittance at z (mm*rad)")
      .add("rms emittance at z (mm*rad)");
  header.add("90% emittance at z (mm*rad)");
  text += header.text();
  for (const SummaryRow& row : rows) {
    CsvLine line;
    line.add(row.directory);
    for (FileStatus s : row.files) line.add(statusText(s));
    // A damaged result still shows what was read before the damage.
    const bool result = row.files[3] == FileStatus::kLoaded || row.trajectories > 0;
    line.addIf(result, row.trajectories).addIf(result, row.totalCurrent);
    if (row.waist) {
      line.add(row.waist->z).add(row.waist->rmsRadius);
      addShape(line, *row.waist);
    } else {
      for (int k = 0; k < 5; ++k) line.addEmpty();
    }
    line.add(row.atZ.z).addIf(row.atZ.crossings > 0, row.atZ.rMax);
    addShape(line, row.atZ);
    text += line.text();
  }
  return text;
}

}  // namespace kelm::exporting
