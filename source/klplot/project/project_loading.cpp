#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"

namespace kelm::klplot {

ProjectLoad loadProjectFiles(ProjectData& d) {
  ProjectLoad load;
  resetOutlineForLoad(d);
  load[static_cast<std::size_t>(ProjectFile::kGeometry)] = loadGeometry(d);
  const FieldOutcomes fields = loadFieldFiles(d);
  load[static_cast<std::size_t>(ProjectFile::kMagneticField)] = fields.magneticField;
  load[static_cast<std::size_t>(ProjectFile::kEquipotentials)] = fields.equipotentials;
  resetResultForLoad(d);
  load[static_cast<std::size_t>(ProjectFile::kResult)] = loadResult(d);
  deriveExtents(d);
  return load;
}

}  // namespace kelm::klplot
