// The tables of kelm-export against the phase plane itself: every row of the figures along z
// is the phase plane computed at that z, the default plane's figures are what the view prints,
// and the summary tells each example's files and numbers apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "source/command_line_tools/csv.h"
#include "source/export/beam_energy.h"
#include "source/export/figure_tables.h"
#include "source/export/project_export.h"
#include "source/klplot/views/phase_plane_view.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"
#include "tests/views/recording_canvas.h"

namespace kelm::exporting {
namespace {

using klplot::projectData;
using Row = std::vector<std::string>;
namespace fs = std::filesystem;
const fs::path kExamples(KELM_EXAMPLES_DIR);

// A CSV as its header names it.
struct Table {
  Row header;
  std::vector<Row> rows;
  std::size_t column(const std::string& name) const {
    const auto at = std::find(header.begin(), header.end(), name);
    EXPECT_NE(at, header.end()) << name;
    return std::size_t(at - header.begin());
  }
  const std::string& cell(std::size_t row, const std::string& name) const {
    return rows.at(row).at(column(name));
  }
};

Table tableOf(const std::string& csv) {
  std::vector<cli::CsvRow> lines;
  std::string why;
  EXPECT_TRUE(cli::readCsv(csv, lines, why)) << why;
  Table table;
  for (const cli::CsvRow& line : lines) (table.header.empty() ? table.header : table.rows.emplace_back()) = line.cells;
  return table;
}

template <class T>
T numberOf(const std::string& field) {
  T value{};
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  EXPECT_TRUE(error == std::errc() && end == field.data() + field.size()) << "\"" << field << "\"";
  return value;
}

class Tables : public ::testing::Test {
 protected:
  void load(const std::filesystem::path& project) {
    std::filesystem::current_path(project);
    klplot::loadProjectFiles(klplot::projectData);
    std::filesystem::current_path(home_);
  }
  const std::filesystem::path home_ = std::filesystem::current_path();
  testing::RecordingPort port_;
};

TEST_F(Tables, EachRowAlongZIsThePhasePlaneAtThatZ) {
  load(kExamples / "full");
  const std::vector<float> planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, 201);
  const BeamEnergy energy(projectData, 10000.0);
  const Table t = tableOf(figuresCsv(figuresAlong(projectData, planes), energy, TableUnits{}, true));
  ASSERT_EQ(t.rows.size(), planes.size());
  auto alone = std::make_unique<klplot::Crossings>();
  int fullPlanes = 0, fromPotentials = 0;
  for (std::size_t j = 0; j < t.rows.size(); ++j) {
    ASSERT_EQ(t.rows[j].size(), t.header.size());
    klplot::findCrossings(projectData, planes[j], *alone);
    ASSERT_EQ(numberOf<float>(t.cell(j, "z [mm]")), planes[j]);
    ASSERT_EQ(numberOf<int>(t.cell(j, "crossings")), alone->count) << "z " << planes[j];
    EXPECT_EQ(numberOf<double>(t.cell(j, "current [A]")), alone->totalCurrent);
    EXPECT_EQ(numberOf<double>(t.cell(j, "axial_field [G]")), klplot::fieldAt(planes[j]));
    if (alone->count == 0) {
      EXPECT_EQ(t.cell(j, "r_max [mm]") + t.cell(j, "emittance_phase_plane [mm mrad]"), "") << planes[j];
      continue;
    }
    EXPECT_EQ(numberOf<float>(t.cell(j, "r_max [mm]")), alone->rMax) << "z " << planes[j];
    // The phase plane's figure in mm*rad, the table's in mm*mrad.
    EXPECT_NEAR(numberOf<double>(t.cell(j, "emittance_phase_plane [mm mrad]")), alone->emittance * 1000.0,
                1e-8 * (1.0 + alone->emittance * 1000.0))
        << "z " << planes[j];
    const std::string source = t.cell(j, "energy_source");
    EXPECT_TRUE(source == "pot.dat" || source == "voltage") << source;
    fromPotentials += source == "pot.dat";
    const double energyThere = numberOf<double>(t.cell(j, "kinetic_energy [eV]"));
    EXPECT_NEAR(numberOf<double>(t.cell(j, "emittance_rms_x_norm [mm mrad]")),
                numberOf<double>(t.cell(j, "emittance_rms_x [mm mrad]")) * betaGamma(energyThere), 1e-12);
    fullPlanes += alone->count == kMaxTrajectories;
  }
  // The whole beam runs from the cathode at about 5 mm to the end of the mesh at 59.5 mm.
  EXPECT_GT(fullPlanes, 175);
  // Inside the gun the energy comes from the equipotentials, beyond them from --voltage.
  EXPECT_GT(fromPotentials, 20);
  EXPECT_LT(fromPotentials, 190);
}

TEST_F(Tables, NormalizedEmittanceStaysFlatWhileTheBeamGainsEnergy) {
  // Between the equipotentials that meet the axis (past the first, at 100 V) the full
  // example's rms emittance falls several times as the electrons gain energy; normalized with
  // the local energy it changes far less. With one energy for every plane it would fall as the
  // emittance does.
  load(kExamples / "full");
  const std::vector<float> planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, 12);
  const Table t =
      tableOf(figuresCsv(figuresAlong(projectData, planes), BeamEnergy(projectData, {}), TableUnits{}, true));
  std::vector<double> rms, normalized;
  for (std::size_t j = 0; j < t.rows.size(); ++j) {
    if (t.cell(j, "energy_source") != "pot.dat" || t.cell(j, "emittance_rms_x [mm mrad]").empty() ||
        numberOf<double>(t.cell(j, "kinetic_energy [eV]")) < 100.0) {
      continue;
    }
    rms.push_back(numberOf<double>(t.cell(j, "emittance_rms_x [mm mrad]")));
    normalized.push_back(numberOf<double>(t.cell(j, "emittance_rms_x_norm [mm mrad]")));
  }
  ASSERT_GE(rms.size(), 5u);
  const auto spread = [](const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end()) / *std::min_element(v.begin(), v.end());
  };
  EXPECT_GT(spread(rms), 3.0);
  // A self-consistent beam's emittance grows somewhat in the gun, but far less than the energy.
  EXPECT_LT(spread(normalized), std::sqrt(spread(rms))) << spread(rms) << " " << spread(normalized);
}

// The local energy: from the equipotentials where they meet the axis, before them and beyond none,
// beyond them the voltage given. A potential map is preferred to the lines: its axis column gives
// the energy at every z, and the cathode's potential is the lowest node around where trajectory
// 1 starts, not the potential a cell away from the surface.
TEST_F(Tables, TheLocalEnergyComesFromThePotentialMapTheLinesOrTheVoltage) {
  // Lines at 1000 ... 9000 V meet the axis; the cathode, before them, is one step lower, at 0.
  load(kExamples / "simple");
  const BeamEnergy energy(projectData, std::nullopt);
  const AxisPotential axis = AxisPotential::fromEquipotentials(projectData);
  ASSERT_FALSE(axis.empty());
  EXPECT_EQ(axis.first(), 1000.0);
  double firstLineOnAxis = 0.0;
  for (long p = projectData.potFirst(1); p < projectData.potFirst(1) + projectData.potPointCount(1); ++p)
    if (std::fabs(projectData.potR(p)) <= 1e-4) firstLineOnAxis = projectData.potZ(p);
  struct Case {
    double z;
    EnergySource source;
  } cases[] = {{0.0, EnergySource::kNone},
               {firstLineOnAxis, EnergySource::kEquipotentials},
               {1e6, EnergySource::kNone}};
  for (const Case& c : cases) {
    const LocalEnergy e = energy.at(c.z);
    EXPECT_EQ(e.source, c.source) << c.z;
    if (c.source == EnergySource::kEquipotentials) {
      EXPECT_NEAR(e.electronVolts, 1000.0, 1e-3);
    }
  }
  EXPECT_EQ(BeamEnergy(projectData, 5000.0).at(1e6).source, EnergySource::kVoltage);

  const double z0 = projectData.trajZ(1, 1), r0 = projectData.trajR(1, 1);
  solver::PotentialMap map;
  map.nr = 3;
  map.nz = 200;
  map.cell_m = 1e-3 * std::max(0.5, (std::fabs(r0) + 1.0) / 2.0);
  const double cell_mm = map.cell_m * 1e3;
  // -500 V up to and just past the start point's cell, then rising 100 V a millimetre.
  const double cathodeEnd = (std::floor(z0 / cell_mm) + 1) * cell_mm;
  for (int iz = 0; iz < map.nz; ++iz)
    for (int ir = 0; ir < map.nr; ++ir)
      map.potential_V.push_back(iz * cell_mm <= cathodeEnd ? -500.0 : -500.0 + 100.0 * (iz * cell_mm - cathodeEnd));
  const BeamEnergy fromMap(projectData, 7000.0, &map);
  const double z = cathodeEnd + 10 * cell_mm;
  const LocalEnergy e = fromMap.at(z);
  EXPECT_EQ(e.source, EnergySource::kPotentialMap);
  EXPECT_NEAR(e.electronVolts, 100.0 * (z - cathodeEnd), 1e-6);
  EXPECT_STREQ(sourceName(e.source), "potmap.dat");
  // Beyond the map the voltage given stands in.
  EXPECT_EQ(fromMap.at(1e6).source, EnergySource::kVoltage);
}

TEST_F(Tables, TheDefaultPlaneShowsWhatThePhasePlanePrints) {
  for (const char* project : {"simple", "full"}) {
    load(kExamples / project);
    const float z = static_cast<float>((projectData.zAxisMin + projectData.zAxisMax) * 0.5);
    klplot::testing::RecordingCanvas canvas;
    klplot::PlotMapping mapping;
    (void)klplot::drawPhasePlaneView({canvas, mapping, 1920, 1080, 28}, projectData,
                                     klplot::PhasePlaneInput{z, klplot::fieldAt(z), 10});
    const std::vector<std::string> printed = canvas.texts();
    ASSERT_GE(printed.size(), 7u);

    // The middle of 201 planes is the default plane; its row must print as the view does.
    const std::vector<float> planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, 201);
    ASSERT_EQ(planes[100], z);
    const Table t = tableOf(
        figuresCsv(figuresAlong(projectData, planes), BeamEnergy(projectData, {}), TableUnits{}, true));
    const struct {
      const char* label;
      const char* column;
      std::string_view format;
      double scale;  // to the view's unit
      std::size_t width;
      const char* unit;
    } lines[] = {{"Rmax = ", "r_max [mm]", "(F7.2)", 1, 7, " mm"},
                 {"Zcross = ", "z [mm]", "(F6.1)", 1, 7, " mm"},
                 {"Current = ", "current [A]", "(F7.2)", 1, 7, " A"},
                 {"Emittance = ", "emittance_phase_plane [mm mrad]", "(F7.4)", 1e-3, 7, " mm*rad"},
                 {"Magnetic field = ", "axial_field [G]", "(F12.4)", 1, 15, " Gs"}};
    for (std::size_t k = 0; k < std::size(lines); ++k) {
      std::string text(lines[k].width, ' ');
      (void)records::writeInternal(std::span<char>(text), lines[k].format,
                                   numberOf<double>(t.cell(100, lines[k].column)) * lines[k].scale);
      EXPECT_EQ(printed[k + 2], lines[k].label + text + lines[k].unit) << project;
    }
  }
}

TEST_F(Tables, SummaryTellsTheDamagedExamplesApart) {
  testing::TempDirectory out;
  ExportOptions options;
  options.summaryCsv = (out.path() / "summary.csv").string();
  for (const char* p : {"simple", "damaged/geom-scale-zero", "damaged/pot-too-many-lines",
                        "damaged/result-unknown-trajectory", "no-such-project", "simple/geom.cod"}) {
    options.projects.push_back((kExamples / p).string());
  }
  EXPECT_EQ(runExport(options), 1);  // one directory does not exist; the others are listed

  const Table t = tableOf(testing::TempDirectory::readFile(*options.summaryCsv));
  ASSERT_EQ(t.rows.size(), 5u);
  struct Expected {
    Row statuses;
    bool beamAtZ;  // whether the beam reaches the plane asked for
    bool inMm;     // whether geom.dat gave the scale
  } expected[] = {
      {{"loaded", "loaded", "loaded", "loaded"}, true, true},
      // Without the mesh scale the paths are in mesh units: no figure in mm is shown.
      {{"damaged", "loaded", "loaded", "loaded"}, false, false},
      {{"loaded", "loaded", "damaged", "loaded"}, true, true},
      // The damage stops the paths after twenty points, before the middle of the gun.
      {{"loaded", "loaded", "loaded", "damaged"}, false, true},
      {{"loaded", "loaded", "loaded", "loaded"}, true, true},
  };
  for (std::size_t p = 0; p < t.rows.size(); ++p) {
    const Row& row = t.rows[p];
    ASSERT_EQ(row.size(), t.header.size());
    EXPECT_EQ(Row(row.begin() + 1, row.begin() + 5), expected[p].statuses) << row[0];
    // Each holds trajectories, a damaged result those read before the damage.
    EXPECT_EQ(numberOf<int>(t.cell(p, "trajectories")), 12) << row[0];
    EXPECT_FALSE(t.cell(p, "total_current [A]").empty());
    EXPECT_EQ(t.cell(p, "waist_z [mm]").empty(), !expected[p].inMm) << row[0];
    EXPECT_EQ(t.cell(p, "waist_emittance_rms_x [mm mrad]").empty(), !expected[p].inMm) << row[0];
    EXPECT_EQ(t.cell(p, "r_max [mm]").empty(), !expected[p].beamAtZ) << row[0];
    EXPECT_EQ(t.cell(p, "emittance_4rms_x [mm mrad]").empty(), !expected[p].beamAtZ) << row[0];
  }
  EXPECT_EQ(t.rows[4][0], (kExamples / "simple").string());  // a file names its directory
  EXPECT_EQ(t.rows[0], t.rows[4]);
}

// Build net after the solve leaves results that belong to another mesh; files copied together do not.
TEST_F(Tables, SummarySaysWhenTheResultsAreOlderThanTheMesh) {
  for (const auto& [resultsAge, older] : {std::pair{-60, "1"}, {-1, "0"}, {60, "0"}}) {
    testing::TempDirectory out;
    fs::copy(kExamples / "simple", out.path() / "p", fs::copy_options::recursive);
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(out.path() / "p" / "geom.dat", now);
    for (const char* result : {"klplt.res", "pot.dat"})
      fs::last_write_time(out.path() / "p" / result, now + std::chrono::seconds(resultsAge));
    ExportOptions options;
    options.summaryCsv = (out.path() / "summary.csv").string();
    options.projects = {(out.path() / "p").string()};
    ASSERT_EQ(runExport(options), 0);
    EXPECT_EQ(tableOf(testing::TempDirectory::readFile(*options.summaryCsv)).cell(0, "results_older_than_mesh"), older)
        << resultsAge;
  }
}

TEST(Escaping, TextCellsReadAsUtf8) {
  struct Case {
    std::string raw, written;
  } cases[] = {
      {"plain/dir", "plain/dir"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},  // UTF-8 stays
      {"a,b\"c#d\\e", "a\\x2Cb\\x22c\\x23d\\x5Ce"},
      {"bad\xFF\xC3", "bad\\xFF\\xC3"},
      {"line\nbreak", "line\\x0Abreak"},
      {"=1+2", "\\x3D1+2"},  // no formula for a spreadsheet
      {"@a-b", "\\x40a-b"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate is not UTF-8
  };
  for (const Case& c : cases) EXPECT_EQ(escapedText(c.raw), c.written) << c.raw;
}

}  // namespace
}  // namespace kelm::exporting
