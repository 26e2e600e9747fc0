// kelm-export on a hot planar diode's solve, where the transverse momenta are kept: from
// beam.h5 the emittance holds every ray and its azimuthal thermal velocity, and is the thermal
// (R_c/2)·√(kT/(m c²)) within 3 %; from klplt.res alone it is short of that, and said so once.
// The (r, r') phase plane's figure is the same from either, within 1 %.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "source/command_line_tools/csv.h"
#include "tests/records/program_outcome.h"
#include "tests/solver/beam/planar_diode.h"

namespace kelm::exporting {
namespace {

using testing::TempDirectory;

TEST(ThermalFigures, BeamFileGivesTheThermalEmittanceAndKlpltResLessWithANote) {
  constexpr double gap = 25, cell = 0.5, radius = 4, kelvin = 1300;
  const double thermal = radius / 2 * std::sqrt(8.617333262e-5 * kelvin / 510998.95) * 1e3;  // mm mrad
  // 300 sites of 4 rays, of which klplt.res holds 1000; 1 A/m², far below Child's.
  const std::string input = "trajectories 300\ncathode temperature 1300\ncathode rays 2\nemission temperature 1e-4\n";
  const struct { std::string name, output, from; int crossings, notes; } cases[] = {
      {"full", "output openpmd\n", "beam.h5", 1200, 0}, {"klplt", "", "klplt.res", 1000, 1}};
  TempDirectory scratch;
  double phasePlane = 0;
  for (const auto& c : cases) {
    std::filesystem::create_directory(c.name);
    TempDirectory::writeFile(c.name + "/geom.cod", solver::testing::planarDiode(gap, cell, 3e3, 1.5 * radius, radius));
    TempDirectory::writeFile(c.name + "/klinput.dat", input + c.output);
    const testing::Outcome solved = testing::runCommand("'" KELM_SOLVE_PROGRAM "' " + c.name);
    ASSERT_EQ(solved.status, 0) << solved.err;
    const std::string plane = std::to_string(4 * cell + 0.8 * gap);
    const testing::Outcome exported =
        testing::runCommand("'" KELM_EXPORT_PROGRAM "' --z " + plane + " --summary-csv - " + c.name);
    ASSERT_EQ(exported.status, 0) << exported.err;
    // The summary's only row, by column name.
    std::vector<cli::CsvRow> lines;
    std::string why;
    ASSERT_TRUE(cli::readCsv(exported.out, lines, why) && lines.size() == 2) << why << exported.out;
    std::map<std::string, std::string> row;
    for (std::size_t k = 0; k < lines[0].cells.size(); ++k) row[lines[0].cells[k]] = lines[1].cells.at(k);
    EXPECT_EQ(row["figures_from"], c.from);
    EXPECT_EQ(row["crossings"], std::to_string(c.crossings));
    int notes = 0;
    for (auto at = exported.err.find("azimuthal"); at != std::string::npos; at = exported.err.find("azimuthal", at + 1))
      ++notes;
    EXPECT_EQ(notes, c.notes) << exported.err;
    const double ratio = std::stod(row["emittance_rms_x_norm [mm mrad]"]) / thermal;
    std::printf("%-6s normalized rms emittance / thermal %.5f\n", c.name.c_str(), ratio);
    EXPECT_NEAR(ratio, c.notes ? 0.7 : 1.0, c.notes ? 0.1 : 0.03);
    const double radialOnly = std::stod(row["emittance_phase_plane [mm mrad]"]);
    if (phasePlane > 0) {
      EXPECT_NEAR(radialOnly / phasePlane, 1.0, 0.01);
    }
    phasePlane = radialOnly;
  }
}

}  // namespace
}  // namespace kelm::exporting
