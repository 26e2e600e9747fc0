#include "source/export/scan_plot_view.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "source/export/export_options.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/tick_label.h"

namespace kelm::exporting {
namespace {

using klplot::Canvas;
using klplot::GridLabel;
using klplot::ValueAxis;

// Dark enough on white, and none of them the grid's grey.
constexpr std::array<std::int32_t, 8> kLineColours{
    klplot::kBlack, klplot::kRed,   klplot::kGreen, klplot::kNavy,
    klplot::kPurple, 0x0080FF /* orange */, 0x808000 /* teal */, 0x004080 /* brown */};

// Names come from the file: control characters shown, and cut to fit beside the plot.
std::string shownName(const std::string& name) {
  constexpr std::size_t kLongest = 60;
  return shownText(name.size() > kLongest ? name.substr(0, kLongest) + "..." : name);
}

// The plot's own labels: a figure of 7e-5 reads as that, not as the views' .70E-04.
GridLabel tickText(float value) {
  GridLabel text;
  klplot::tickLabel(value, text.span(), int(text.size()), klplot::TickStyle::kPlain);
  return text;
}

std::string_view trimmed(const GridLabel& text) {
  const std::string_view view = text.view();
  const std::size_t first = view.find_first_not_of(' ');
  return first == view.npos ? std::string_view() : view.substr(first);
}

// Ticks counted from the axis's start, so that rounding does not build up along it.
template <class Tick>
void forEachTick(const ValueAxis& axis, Tick tick) {
  const long ticks = std::min(100L, std::lround((axis.y1 - axis.y0) / axis.step));
  for (long i = 0; i <= ticks; ++i) {
    const double at = axis.y0 + double(i) * axis.step;
    tick(std::fabs(at) < 1e-6 * axis.step ? 0.0 : at);  // 0, not the rounding's 2.8e-17
  }
}

void drawGrid(const klplot::ViewContext& v, const ValueAxis& x, const ValueAxis& y, const std::string& xName) {
  Canvas& c = v.canvas;
  const double xSpan = x.y1 - x.y0, ySpan = y.y1 - y.y0;
  const double labelY = y.y0 - 0.04 * ySpan, shift = 0.015 * xSpan;
  forEachTick(x, [&](double at) {
    c.setDrawColor(klplot::kGrey);
    v.mapping.line(c, at, y.y0, at, y.y1);
    c.setDrawColor(klplot::kBlack);
    v.mapping.textAtPoint(c, at - shift, labelY, trimmed(tickText(float(at))), v.textHeight);
  });
  v.mapping.textAtPoint(c, 0.5 * x.y0 + 0.5 * x.y1 - shift, y.y0 - 0.09 * ySpan, shownName(xName), v.textHeight);
  // Right-aligned labels would need the font's widths; the views leave the blanks in instead.
  const double labelX = x.y0 - 0.12 * xSpan;
  forEachTick(y, [&](double at) {
    c.setDrawColor(klplot::kGrey);
    v.mapping.line(c, x.y0, at, x.y1, at);
    c.setDrawColor(klplot::kBlack);
    const GridLabel text = tickText(float(at));
    v.mapping.textAtPoint(c, labelX, at - 0.015 * ySpan, text.view(), v.textHeight);
  });
}

void drawLine(const klplot::ViewContext& v, const ScanLine& line, std::int32_t colour, bool joined, bool named) {
  Canvas& c = v.canvas;
  const klplot::PlotMapping& m = v.mapping;
  c.setDrawColor(colour);
  std::vector<float> xs, ys;
  for (const ScanPoint& p : line.points) {
    xs.push_back(float(p.x));
    ys.push_back(float(p.y));
  }
  if (joined) m.polyline(c, int(xs.size()), xs.data(), ys.data());
  for (std::size_t k = 0; k < xs.size(); ++k) {
    const klplot::Pixel p = m.map(xs[k], ys[k]);
    c.drawRectangle(3, klplot::toPixel(p.x - 3.0), klplot::toPixel(p.y - 3.0), klplot::toPixel(p.x + 3.0),
                    klplot::toPixel(p.y + 3.0));
  }
  if (!named) return;
  c.setDrawColor(klplot::kBlack);
  // Beside the marker, up and to the right, so that the text does not hide it.
  const klplot::Pixel origin = m.map(0.0f, 0.0f), offset = m.map(1.0f, 1.0f);
  const double dx = 6.0 / std::max(1e-30, std::fabs(offset.x - origin.x)), dy = 6.0 / std::max(1e-30, std::fabs(offset.y - origin.y));
  for (std::size_t k = 0; k < xs.size(); ++k)
    m.textAtPoint(c, xs[k] + dx, ys[k] + dy, shownName(line.points[k].label), v.textHeight);
}

// A short stroke of each line's colour and its value, down from the top right, as many as fit.
void drawLegend(const klplot::ViewContext& v, const ScanSeries& series, const ValueAxis& x, const ValueAxis& y,
                const std::string& group, double plotPixels) {
  Canvas& c = v.canvas;
  const double xSpan = x.y1 - x.y0, ySpan = y.y1 - y.y0;
  const double rowHeight = 1.5 * v.textHeight / std::max(1.0, plotPixels) * ySpan;
  const std::size_t room = std::size_t(std::max(2.0, plotPixels / (1.5 * std::max(1, v.textHeight))));
  const double left = x.y1 + 0.04 * xSpan, right = x.y1 + 0.1 * xSpan;
  double at = y.y1;
  c.setDrawColor(klplot::kBlack);
  v.mapping.textAtPoint(c, left, at, shownName(group), v.textHeight);
  for (std::size_t k = 0; k < series.lines.size(); ++k) {
    at -= rowHeight;
    if (k + 2 >= room && k + 1 < series.lines.size()) {
      c.setDrawColor(klplot::kBlack);
      v.mapping.textAtPoint(c, left, at, "and " + std::to_string(series.lines.size() - k) + " more",
                          v.textHeight);
      break;
    }
    // Text stands on its point: the stroke goes through the middle of its line of text.
    c.setDrawColor(scanLineColour(k));
    v.mapping.line(c, left, at + rowHeight / 3.0, right, at + rowHeight / 3.0);
    c.setDrawColor(klplot::kBlack);
    v.mapping.textAtPoint(c, right + 0.01 * xSpan, at, shownName(series.lines[k].group), v.textHeight);
  }
}

}  // namespace

std::int32_t scanLineColour(std::size_t k) { return kLineColours[k % kLineColours.size()]; }

ValueAxis scanAxis(double low, double high) {
  const double scale = std::max(std::fabs(low), std::fabs(high));
  // Spans below 1e-30 would take the nice step below what a float holds.
  if (!(high - low > std::max(scale * 1e-4, 1e-30))) {
    const double middle = 0.5 * low + 0.5 * high;
    const double half = scale > 1e-30 ? 0.1 * scale : 1.0;
    low = middle - half;
    high = middle + half;
  }
  return klplot::roundedValueAxis(low, high, klplot::StepVariant::kPanel);
}

void drawScanPlot(const klplot::ViewContext& v, const ScanSeries& series, const ScanPlotNames& names) {
  double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
  for (const ScanLine& line : series.lines) {
    for (const ScanPoint& p : line.points) {
      xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
      yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
    }
  }
  if (!(xMin <= xMax)) return;
  const ValueAxis x = scanAxis(xMin, xMax), y = scanAxis(yMin, yMax);
  const std::int32_t deviceHeight = 2 * (v.H / 2 - 24);
  v.mapping.setDeviceSize(v.W - 16, deviceHeight);
  v.mapping.setWindow(1, x.y0, x.y1, y.y0, y.y1);
  v.mapping.setViewport(1, kScanPlotLeft, kScanPlotRight, kScanPlotBottom, kScanPlotTop);

  Canvas& c = v.canvas;
  drawGrid(v, x, y, names.x);
  c.setDrawColor(klplot::kBlack);
  v.mapping.rectangleOutline(c, x.y0, x.y1, y.y0, y.y1);
  v.mapping.textAtPoint(c, x.y0, y.y1 + 0.03 * (y.y1 - y.y0), shownName(names.y), v.textHeight);
  for (std::size_t k = 0; k < series.lines.size(); ++k)
    drawLine(v, series.lines[k], scanLineColour(k), !series.scatter, names.points);
  if (!names.group.empty()) {
    drawLegend(v, series, x, y, names.group, (kScanPlotTop - kScanPlotBottom) * deviceHeight);
  }
  c.setDrawColor(klplot::kBlack);
}

}  // namespace kelm::exporting
