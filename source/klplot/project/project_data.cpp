#include "source/klplot/project/project_data.h"

#include <memory>

namespace kelm::klplot {

namespace {
ProjectData store;  // static storage: the store is far too large for a stack
}  // namespace

ProjectData& projectData = store;

void clearStore(ProjectData& d) {
  std::destroy_at(&d);
  std::construct_at(&d);
}

void resetOutlineForLoad(ProjectData& d) {
  d.geomLoaded = 0;
  d.geomSegFirst(1) = 1;
  d.geomSegCount = 0;
  d.rAxisMin = 0.0;
  d.rAxisMax = 200.0;
  d.meshScale = 1.0f;
}

void resetResultForLoad(ProjectData& d) {
  d.resultLoaded = 0;
  d.resultIteration = 0;
  d.trajCount = 0;
  d.surfaceMarked = false;
}

}  // namespace kelm::klplot
