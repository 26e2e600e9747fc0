#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"

namespace kelm::klplot {

void loadProjectFiles() {
  ProjectData& d = projectData;
  resetOutlineForLoad(d);
  loadGeometry();
  loadFieldFiles();
  resetResultForLoad(d);
  loadResult();
  deriveExtents();
}

}  // namespace kelm::klplot
