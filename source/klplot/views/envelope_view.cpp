#include "source/klplot/views/envelope_view.h"

#include <algorithm>
#include <span>

#include "records/formatted.h"
#include "source/klplot/plotting/panel_scale.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/z_grid.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::exporting {
namespace {

using klplot::Canvas;
using klplot::GridLabel;
using ValueOf = double (*)(const PlaneFigures&);

struct Curve {
  ValueOf valueOf;
  std::int32_t colour;
};

struct Panel {
  double bottom, top;  // viewport fractions of the device height
  const char* title;
  std::span<const Curve> curves;
};

double rMaxOf(const PlaneFigures& f) { return f.rMax; }
double rmsRadiusOf(const PlaneFigures& f) { return f.rmsRadius; }
double coreOf(const PlaneFigures& f) { return f.emittance.coreRms; }

const Curve kRadii[] = {{rMaxOf, klplot::kBlack}, {rmsRadiusOf, klplot::kRed}};
const Curve kEmittance[] = {{coreOf, klplot::kBlack}};
const Panel kPanels[] = {
    {0.575, 0.95, "r_max (black) and r_rms (red), mm", kRadii},
    {0.075, 0.45, "90 % core rms emittance, mm mrad", kEmittance},
};

// Labelled as the views' panels label their y axes.
GridLabel panelLabel(float value, double span) {
  GridLabel text;
  const int exponent = klplot::niceStep(span, klplot::StepVariant::kPanel).exponent;
  (void)records::writeInternal(text.span(), klplot::panelLabelFormat(exponent), value);
  return text;
}

// Runs of consecutive planes that carry current, each drawn as one polyline.
void drawCurve(const klplot::ViewContext& v, const std::vector<PlaneFigures>& planes, const Curve& curve) {
  Canvas& c = v.canvas;
  c.setDrawColor(curve.colour);
  std::vector<float> zs, values;
  auto flush = [&] {
    v.mapping.polyline(c, int(zs.size()), zs.data(), values.data());
    zs.clear();
    values.clear();
  };
  for (const PlaneFigures& f : planes) {
    if (!f.shaped) {
      flush();
      continue;
    }
    zs.push_back(f.z);
    values.push_back(klplot::saturatedSingle(curve.valueOf(f)));
  }
  flush();
  c.setDrawColor(klplot::kBlack);
}

void drawPanel(const klplot::ViewContext& v, const klplot::ProjectData& d,
               const std::vector<PlaneFigures>& planes, const Panel& panel) {
  // Both ends include 0, as the panels of the phase plane do; an empty panel still gets an axis.
  double high = 0.0;
  for (const PlaneFigures& f : planes) {
    for (const Curve& curve : panel.curves) {
      if (f.shaped) high = std::max(high, curve.valueOf(f));
    }
  }
  if (high == 0.0) high = 1.0;
  const klplot::ValueAxis axis = klplot::roundedValueAxis(0.0, high, klplot::StepVariant::kPanel);
  const klplot::AxialRange z{d.zAxisMinF, d.zAxisMaxF, d.zTickStep};
  v.mapping.setWindow(1, z.zMin, z.zMax, axis.y0, axis.y1);
  // Narrower than the field view's 0.9, so that "Z(mm)" beyond the right end stays in the picture.
  v.mapping.setViewport(1, 0.1, 0.85, panel.bottom, panel.top);
  v.mapping.textAtPoint(v.canvas, double(z.zMin) + z.zStep, axis.y1 + (axis.y1 - axis.y0) * 0.02, panel.title,
                      v.textHeight);
  klplot::drawZGrid(v, z, axis.y0, axis.y1);
  const double span = axis.y1 - axis.y0;
  klplot::drawValueGrid(v, z, axis.y0, axis.y1, axis.step,
                        [span](float value) { return panelLabel(value, span); });
  for (const Curve& curve : panel.curves) drawCurve(v, planes, curve);
}

}  // namespace

klplot::SurfaceSize envelopeSize(int W, int H) {
  const klplot::SurfaceSize view = klplot::wideViewSurface(W, H);
  return {view.width, 2 * view.height};
}

void drawEnvelopeView(const klplot::ViewContext& v, const klplot::ProjectData& data,
                      const std::vector<PlaneFigures>& planes) {
  v.mapping.setDeviceSize(v.W - 16, 2 * (v.H / 2 - 24));
  for (const Panel& panel : kPanels) drawPanel(v, data, planes, panel);
}

}  // namespace kelm::exporting
