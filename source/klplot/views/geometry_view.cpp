#include "source/klplot/views/geometry_view.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "runtime/fixed_text.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/plotting/tick_walk.h"
#include "source/klplot/project/single_precision.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/section_drawing.h"
#include "source/klplot/views/zoomed_beam.h"

namespace kelm::klplot {
namespace {

struct Frame {
  double L;
  float fL, fR, fB, fT;
};

// plotHeight is H/2 - 24 and plotWidth W - 16 of the window the frame is chosen for.
Frame chooseFrame(std::int32_t plotWidth, std::int32_t plotHeight, const ProjectData& d) {
  Frame f{};
  f.L = wholeBeamRange(d).start;
  // Whole numbers as in 32 bits, formed in double so that no screen size can overflow them.
  const double a = 90.0 * (double(plotHeight) + 24.0) - 4320.0;
  const double b = 85.0 * double(plotWidth);
  // An outline whose height vanishes beside its length keeps the full width.
  const double heightPerLength = std::max(2.0 * d.rAxisMax / (d.zAxisMax - f.L), 1e-300);
  const double q = (b != 0.0 ? a / b : 0.0) / heightPerLength;
  f.fL = 0.05f;
  f.fB = 0.15f;
  if (q >= 1.0) {
    f.fR = 0.95f;
    f.fT = float(0.85 / q + 0.15);
  } else {
    f.fR = saturatedSingle(0.9 * q + 0.05);
    f.fT = 1.0f;
  }
  return f;
}

void drawZAxis(const ViewContext& v, const ProjectData& d, const Frame& f) {
  Canvas& c = v.canvas;
  const float y0 = saturatedSingle(-1.15 * d.rAxisMax);
  const float yT = saturatedSingle(y0 + (d.rAxisMax - d.rAxisMin) * 0.04);
  const double a = d.rAxisMax * 0.09;
  double lastLabel = -1.0;
  if (d.zAxisMaxF >= d.zAxisMinF && d.zTickStep > 0.0f) {
    walkTicks(d.zAxisMinF, d.zAxisMaxF, d.zTickStep, [&](float z) {
      FixedText<5> text;
      tickLabel(z, text.span(), 5);
      const double phi = (double(f.fR) - f.fL) / (d.zAxisMax - f.L) * (z - f.L);
      if (lastLabel + 0.05 < phi) {
        v.mapping.textAtPoint(c, z - 1.8 * a, yT + 0.2 * a, text.view(),
                    v.textHeight);
        v.mapping.line(c, z, y0, z, yT);
        lastLabel = phi;
      } else {
        v.mapping.line(c, z, y0, z, y0 + (d.rAxisMax - d.rAxisMin) * 0.02);
      }
    });
  }
  v.mapping.line(c, d.zAxisMinF, y0, d.zAxisMaxF, y0);
}

// A small cross on the strongest surface field and its value beside it; the printed page
// leaves it out.
void drawSurfaceMark(const ViewContext& v, const ProjectData& d, const AxialFrame& frame) {
  const double arm = 0.015 * (frame.valueHigh - frame.valueLow);
  const double z = d.surfaceZ, r = d.surfaceR;
  v.canvas.setDrawColor(kBlack);
  v.mapping.line(v.canvas, z - arm, r - arm, z + arm, r + arm);
  v.mapping.line(v.canvas, z - arm, r + arm, z + arm, r - arm);
  char text[40];
  std::snprintf(text, sizeof text, "%.3g kV/mm", double{d.surfaceField_kV_per_mm});
  v.mapping.textAtPoint(v.canvas, z + 1.5 * arm, r + 1.5 * arm, text, v.textHeight);
}

}  // namespace

ZRange wholeBeamRange(const ProjectData& d) {
  double span = d.zAxisMax - d.zAxisMin;
  int e = 0;
  while (span > 10.0) {
    span *= 0.1;
    ++e;
  }
  const double p = std::pow(10.0, e);
  const double start = std::trunc(d.zAxisMin * (1.0 / p)) * p;
  // Truncating a range that lies at or below zero toward zero can put the left edge on or
  // beyond the right one (outline z within (-1, 0]); the range's own start is the edge then.
  return {start < d.zAxisMax ? start : d.zAxisMin, d.zAxisMax};
}

AxialFrame wholeGunFrame(std::int32_t plotWidth, std::int32_t plotHeight, const ProjectData& data) {
  const Frame f = chooseFrame(plotWidth, plotHeight, data);
  return {f.L, data.zAxisMax, f.fL, f.fR, plotWidth, -data.rAxisMax, data.rAxisMax, f.fB, f.fT, plotHeight};
}

AxialFrame drawGeometryView(const ViewContext& v, const ProjectData& data, GeometryToggles shown) {
  setViewDevice(v);
  v.mapping.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  v.mapping.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  const bool zoomed = v.zoom.active();
  const Frame f = chooseFrame(v.W - 16, v.H / 2 - 24, data);
  const AxialFrame frame = zoomed ? zoomedBeamFrame(v, v.zoom) : wholeGunFrame(v.W - 16, v.H / 2 - 24, data);
  v.mapping.setWindow(1, frame.zStart, frame.zEnd, frame.valueLow, frame.valueHigh);
  v.mapping.setViewport(1, frame.left, frame.right, frame.bottom, frame.top);

  // Zoomed, the drawing runs past the plot: its margins are blanked before the axis goes in.
  if (!zoomed) drawZAxis(v, data, f);
  Canvas& c = v.canvas;
  drawOutline(
      v.mapping, c, data,
      [&](int j) {
        const bool solid = data.geomCode(j) != 0 && (j <= 1 || data.geomCode(j - 1) != 0);
        c.setDrawColor(solid ? kNavy : kCyan);
      },
      [&] { c.setDrawColor(kCyan); });
  if (shown.beam) {
    c.setDrawColor(kGreen);
    drawTrajectories(v.mapping, c, data);
  }
  if (shown.potential) {
    drawEquipotentials(v.mapping, c, data, [&](int) { c.setDrawColor(kPurple); });
    c.setDrawColor(kBlack);
  }
  if (data.surfaceMarked) drawSurfaceMark(v, data, frame);
  if (zoomed) drawZoomedMargins(v, frame);
  return frame;
}

}  // namespace kelm::klplot
