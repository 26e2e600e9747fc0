// The tables of kelm-export against the phase plane itself: every row of the figures along z
// is the phase plane computed at that z, the default plane's figures are what the view prints,
// and the summary tells each example's files and numbers apart.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "source/export/figure_tables.h"
#include "source/export/project_export.h"
#include "source/klplot/phase_plane_view.h"
#include "source/klplot/project_readers.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"
#include "tests/views/recording_canvas.h"

namespace kelm::exporting {
namespace {

using klplot::projectData;
using Row = std::vector<std::string>;
const std::filesystem::path kExamples(KELM_EXAMPLES_DIR);

// The data rows: comment lines and the header dropped, fields split at commas (outside quotes).
std::vector<Row> rowsOf(const std::string& csv) {
  std::vector<Row> rows;
  std::istringstream lines(csv);
  bool header = true;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) continue;
    if (std::exchange(header, false)) continue;
    Row row(1);
    bool quoted = false;
    for (char c : line) {
      if (c == '"')
        quoted = !quoted;
      else if (c == ',' && !quoted)
        row.emplace_back();
      else
        row.back() += c;
    }
    rows.push_back(row);
  }
  return rows;
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
    klplot::loadProjectFiles();
    std::filesystem::current_path(home_);
  }
  const std::filesystem::path home_ = std::filesystem::current_path();
  testing::RecordingPort port_;
};

TEST_F(Tables, EachRowAlongZIsThePhasePlaneAtThatZ) {
  load(kExamples / "full");
  const std::vector<float> planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, 201);
  const std::vector<Row> rows = rowsOf(figuresCsv(figuresAlong(projectData, planes), "full", 10000.0));
  ASSERT_EQ(rows.size(), planes.size());
  auto alone = std::make_unique<klplot::Crossings>();
  int fullPlanes = 0;
  for (std::size_t j = 0; j < rows.size(); ++j) {
    const Row& row = rows[j];
    ASSERT_EQ(row.size(), 12u);
    klplot::findCrossings(projectData, planes[j], *alone);
    ASSERT_EQ(numberOf<float>(row[0]), planes[j]);
    ASSERT_EQ(numberOf<int>(row[1]), alone->count) << "z " << planes[j];
    EXPECT_EQ(numberOf<double>(row[2]), alone->totalCurrent);
    EXPECT_EQ(numberOf<double>(row[8]), klplot::fieldAt(planes[j]));
    if (alone->count == 0) {
      EXPECT_EQ(row[3] + row[4] + row[5] + row[6] + row[7] + row[9], "") << "z " << planes[j];
      continue;
    }
    EXPECT_EQ(numberOf<float>(row[3]), alone->rMax) << "z " << planes[j];
    EXPECT_EQ(numberOf<double>(row[5]), alone->emittance) << "z " << planes[j];
    EXPECT_NEAR(numberOf<double>(row[9]), alone->emittance * betaGamma(10000.0), 1e-15);
    fullPlanes += alone->count == klplot::kMaxTrajectories;
  }
  // The whole beam runs from the cathode at about 5 mm to the end of the mesh at 59.5 mm.
  EXPECT_GT(fullPlanes, 175);
}

TEST_F(Tables, TheDefaultPlaneShowsWhatThePhasePlanePrints) {
  for (const char* project : {"simple", "full"}) {
    load(kExamples / project);
    const float z = static_cast<float>((projectData.zAxisMin + projectData.zAxisMax) * 0.5);
    klplot::testing::RecordingCanvas canvas;
    (void)klplot::drawPhasePlaneView({canvas, 1920, 1080, 28}, projectData,
                                     klplot::PhasePlaneInput{z, klplot::fieldAt(z), 10});
    const std::vector<std::string> printed = canvas.texts();
    ASSERT_GE(printed.size(), 7u);

    // The middle of 201 planes is the default plane; its row must print as the view does.
    const std::vector<float> planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, 201);
    ASSERT_EQ(planes[100], z);
    const Row row = rowsOf(figuresCsv(figuresAlong(projectData, planes), project, std::nullopt))[100];
    auto field = [](std::string_view format, double value, std::size_t width) {
      std::string text(width, ' ');
      (void)records::writeInternal(std::span<char>(text), format, value);
      return text;
    };
    EXPECT_EQ(printed[2], "Rmax = " + field("(F7.2)", numberOf<float>(row[3]), 7) + " mm") << project;
    EXPECT_EQ(printed[3], "Zcross = " + field("(F6.1)", numberOf<float>(row[0]), 7) + " mm") << project;
    EXPECT_EQ(printed[4], "Current = " + field("(F7.2)", numberOf<double>(row[2]), 7) + " A") << project;
    EXPECT_EQ(printed[5], "Emittance = " + field("(F7.4)", numberOf<double>(row[5]), 7) + " mm*rad")
        << project;
    EXPECT_EQ(printed[6], "Magnetic field = " + field("(F12.4)", numberOf<double>(row[8]), 15) + " Gs")
        << project;
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

  const std::vector<Row> rows = rowsOf(testing::TempDirectory::readFile(*options.summaryCsv));
  ASSERT_EQ(rows.size(), 5u);
  struct Expected {
    Row statuses;
    bool beamAtZ;  // whether the beam reaches the plane asked for
  } expected[] = {
      {{"loaded", "loaded", "loaded", "loaded"}, true},
      // Without the mesh scale the paths stay in mesh units, far short of the default range.
      {{"damaged", "loaded", "loaded", "loaded"}, false},
      {{"loaded", "loaded", "damaged", "loaded"}, true},
      // The damage stops the paths after twenty points, before the middle of the gun.
      {{"loaded", "loaded", "loaded", "damaged"}, false},
      {{"loaded", "loaded", "loaded", "loaded"}, true},
  };
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const Row& row = rows[p];
    ASSERT_EQ(row.size(), 17u);
    EXPECT_EQ(Row(row.begin() + 1, row.begin() + 5), expected[p].statuses) << row[0];
    // Each holds trajectories, a damaged result those read before the damage: their count,
    // their current and the waist are there, the plane's figures where the beam reaches it.
    EXPECT_EQ(numberOf<int>(row[5]), 12) << row[0];
    for (std::size_t column = 6; column <= 12; ++column) {
      EXPECT_FALSE(row[column].empty()) << row[0] << " column " << column;
    }
    for (std::size_t column = 13; column < row.size(); ++column) {
      EXPECT_EQ(row[column].empty(), !expected[p].beamAtZ) << row[0] << " column " << column;
    }
  }
  EXPECT_EQ(rows[4][0], (kExamples / "simple").string());  // a file names its directory
  EXPECT_EQ(rows[0][6], rows[4][6]);
}

}  // namespace
}  // namespace kelm::exporting
