#include "source/klplot/project_data.h"

namespace kelm::klplot {

namespace {
ProjectData store;  // static storage: the store is far too large for a stack
}  // namespace

ProjectData& projectData = store;

}  // namespace kelm::klplot
