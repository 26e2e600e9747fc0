#include "source/kelm/klmaindemo.h"

#include "records/formatted.h"

namespace kelm {
namespace {

void writeDemoWarning(const char* commandLine) {
  records::print();
  records::print("Warning! Demo version");
  records::print(commandLine);
  records::print();
}

}  // namespace

void runSolve() { writeDemoWarning("SOLVE command not implemented"); }

void runBuildNet() { writeDemoWarning("BUILD NET command not implemented"); }

}  // namespace kelm
