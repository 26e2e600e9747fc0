// Every geom.cod and klinput.dat a document shows, parsed by KELM's own readers: a block is
// marked by its file's name, as <pre title="geom.cod"> in the help file, a roff comment
// ".\" example geom.cod" before .nf in a man page, or a ```geom.cod fence in Markdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

namespace fs = std::filesystem;

struct Fragment {
  std::string where, file, text;
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The text as the reader sees it once the document's own escapes are undone.
std::string unescaped(std::string text, bool roff) {
  if (roff) return replaced(replaced(text, "\\-", "-"), "\\e", "\\");
  return replaced(replaced(replaced(text, "&lt;", "<"), "&gt;", ">"), "&amp;", "&");
}

std::vector<Fragment> fragmentsOf(const fs::path& document) {
  std::ifstream in(document);
  std::stringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  static const std::regex marked[] = {
      std::regex(R"re(<pre title="(geom\.cod|klinput\.dat)">\n?([\s\S]*?)</pre>)re"),
      std::regex(R"re(\.\\" example (geom\.cod|klinput\.dat)\n\.nf\n(?:\.ft CR\n)?([\s\S]*?)\.fi)re"),
      std::regex(R"re(```(geom\.cod|klinput\.dat)\n([\s\S]*?)```)re"),
  };
  std::vector<Fragment> found;
  for (std::size_t kind = 0; kind < std::size(marked); ++kind) {
    for (std::sregex_iterator m(text.begin(), text.end(), marked[kind]), end; m != end; ++m) {
      std::string body = unescaped((*m)[2].str(), kind == 1);
      if (kind == 1) body = std::regex_replace(body, std::regex(R"re(\.ft[ A-Z]*\n)re"), "");
      found.push_back({document.filename().string(), (*m)[1].str(), body});
    }
  }
  return found;
}

TEST(DocumentedExamples, EveryShownGeomCodAndKlinputDatIsRead) {
  const fs::path root = KELM_SOURCE_DIR;
  std::vector<fs::path> documents = {root / "README.md", root / "help" / "KELM.HLP", root / "docs" / "method.md"};
  for (const auto& entry : fs::directory_iterator(root / "packaging" / "man")) documents.push_back(entry.path());
  int gunFiles = 0, inputFiles = 0;
  for (const fs::path& document : documents) {
    for (const Fragment& f : fragmentsOf(document)) {
      Diagnostic error;
      if (f.file == "geom.cod") {
        GunDescription gun;
        EXPECT_TRUE(parseGunDescription(f.text, gun, error))
            << f.where << ": " << error.line << ":" << error.column << ": " << error.message << "\n" << f.text;
        ++gunFiles;
      } else {
        SolverInput input;
        EXPECT_TRUE(parseSolverInput(f.text, input, error))
            << f.where << ": " << error.line << ":" << error.column << ": " << error.message << "\n" << f.text;
        ++inputFiles;
      }
    }
  }
  // The help file and the file-format page each show both files at least.
  EXPECT_GE(gunFiles, 2);
  EXPECT_GE(inputFiles, 2);
}

}  // namespace
}  // namespace kelm::solver
