#include "source/klplot/views/cathode_view.h"

#include "source/klplot/plotting/panel_axes.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

void drawCathodeView(const ViewContext& v, const ProjectData& data) {
  v.mapping.setWindow(0, 0.0, 0.0, 0.0, 0.0);
  v.mapping.textAtPoint(v.canvas, v.W * 0.14285714285714285, v.H * 0.1,
              "Current density on cathode (A/mm**2)", v.textHeight);
  scatterPanel(v, storedTrajectories(data), data.cathodeR.from(1), data.cathodeDensity.from(1));
}

}  // namespace kelm::klplot
