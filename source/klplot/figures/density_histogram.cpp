#include "source/klplot/figures/density_histogram.h"

#include <algorithm>
#include <cmath>

namespace kelm::klplot {
namespace {

// A share that a wide spacing pushes past the last bin is never stored outside the bins.
void addShare(DensityHistogram& out, OuterShares outer, long bin, double amount) {
  if (bin < 1 || bin > out.bins + 1) {
    if (outer == OuterShares::kDrop) return;
    bin = bin < 1 ? 1 : out.bins + 1;
  }
  out.density(bin) += amount;
}

// A position in bins as an integer. Far outside the bins it is held just beyond them on its
// side, which files the current exactly where the whole number would have.
long binOf(double position) {
  return static_cast<long>(std::trunc(std::clamp(position, -2.0, kMaxDensityBins + 3.0)));
}

}  // namespace

double startRadiusSpacing(const ProjectData& d) {
  return d.trajCount >= 2 ? std::fabs(d.trajR(2, 1) - d.trajR(1, 1)) : 0.0;
}

void densityHistogram(int n, const Array1<float, kMaxTrajectories>& r,
                      const Array1<float, kMaxTrajectories>& current, double h,
                      std::int32_t divisions, OuterShares outer, DensityHistogram& out) {
  if (n > kMaxTrajectories) n = kMaxTrajectories;
  out.bins = divisions <= 1 ? 10 : (divisions >= 100 ? 100 : divisions);
  out.divisionsUsed = 0;
  out.rMax = 0.0;
  for (int c = 1; c <= n; ++c)
    if (r(c) > out.rMax) out.rMax = r(c);
  for (int m = 1; m <= kMaxDensityBins; ++m) out.density(m) = 0.0;
  if (out.rMax <= 0.0) out.rMax = 1.0;
  out.rMax += 0.5 * h;

  // A spacing below a millionth of the radius asks for more bins than there are, and rMax / h
  // could overflow.
  if (h > 0.0 && out.rMax <= h * 1e6) {
    const double k = std::ceil(out.rMax / h);
    if (out.bins >= k) out.bins = out.divisionsUsed = static_cast<int>(k);
  }
  for (int c = 1; c <= n; ++c) {
    const double t = out.bins * double(r(c)) / out.rMax + 1.0;
    if (h > 0.0) {
      const long kh = binOf(t + 0.5 * h);
      const long kl = binOf(t - 0.5 * h);
      if (kh > 1 && kl != kh) {
        addShare(out, outer, kh - 1, current(c) * ((double(kh) - t) / h + 0.5));
        addShare(out, outer, kh, current(c) * ((t - double(kh)) / h + 0.5));
      } else {
        addShare(out, outer, kh, current(c));
      }
    } else {
      addShare(out, outer, binOf(out.bins * double(r(c)) / out.rMax) + 1, current(c));
    }
  }
  out.density(out.bins) += out.density(out.bins + 1);
  out.density(out.bins + 1) = 0.0;
  const double scale = double(out.bins) * out.bins / (out.rMax * out.rMax) * 0.31830989161357204;
  for (int m = 1; m <= out.bins; ++m) out.density(m) = out.density(m) * scale / (2 * m - 1);
}

DensityRange densityRange(const DensityHistogram& h) {
  DensityRange range{0.0, 0.0};
  for (int k = 1; k <= h.bins; ++k) {
    if (h.density(k) > range.high) range.high = h.density(k);
    if (h.density(k) < range.low) range.low = h.density(k);
  }
  return range;
}

}  // namespace kelm::klplot
