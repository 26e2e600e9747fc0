// Every geom.cod and klinput.dat a document shows, read by KELM's own readers. A block is
// marked by its file's name: <pre title="geom.cod"> in the help file, a roff comment
// ".\" example geom.cod" before .nf in a man page, a ```geom.cod fence in Markdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

TEST(DocumentedExamples, EveryShownGeomCodAndKlinputDatIsRead) {
  namespace fs = std::filesystem;
  const fs::path root = KELM_SOURCE_DIR;
  std::vector<fs::path> documents = {root / "README.md", root / "help" / "KELM.HLP", root / "docs" / "method.md"};
  for (const auto& entry : fs::directory_iterator(root / "packaging" / "man")) documents.push_back(entry.path());
  const std::regex marked(R"re((?:<pre title="|\.\\" example |```)(geom\.cod|klinput\.dat)(?:">)?\n(?:\.nf\n)?(?:\.ft CR\n)?([\s\S]*?)(?:</pre>|\.ft\n\.fi|\.fi|```))re");
  int shown[2] = {0, 0};
  for (const fs::path& document : documents) {
    std::stringstream text;
    text << std::ifstream(document).rdbuf();
    const std::string whole = text.str();
    for (std::sregex_iterator m(whole.begin(), whole.end(), marked), end; m != end; ++m) {
      const bool gunFile = (*m)[1] == "geom.cod";
      Diagnostic error;
      GunDescription gun;
      SolverInput input;
      EXPECT_TRUE(gunFile ? parseGunDescription((*m)[2].str(), gun, error) : parseSolverInput((*m)[2].str(), input, error))
          << document.filename() << ": " << error.line << ":" << error.column << ": " << error.message;
      ++shown[gunFile ? 0 : 1];
    }
  }
  // The help file and the file-format page show both files at least.
  EXPECT_GE(shown[0], 2);
  EXPECT_GE(shown[1], 2);
}

}  // namespace
}  // namespace kelm::solver
