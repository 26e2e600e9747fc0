#include "source/solver/beam/magnetic_field_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "records/formatted.h"
#include "runtime/fixed_text.h"

namespace kelm::solver {
namespace {

constexpr double kGaussPerTesla = 1e4;
constexpr double kFinestTableStep_m = 0.5e-3;

std::string line(std::span<char> record) {
  std::string_view text(record.data(), record.size());
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(0, last == std::string_view::npos ? 0 : last + 1)) + "\n";
}

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

std::string magneticFieldText(const AxialMagneticField& field, double z0_m, double z1_m) {
  const double samples = (z1_m - z0_m) / field.step_m() + 1;
  const int n = samples >= kMaxFieldSamples ? kMaxFieldSamples : samples > 2 ? static_cast<int>(samples) : 2;
  FixedText<40> record;
  std::string text;
  (void)records::writeInternal(record.span(), "('N= ',I6)", static_cast<std::int32_t>(n));
  text += line(record.span());
  for (int k = 0; k < n; ++k) {
    const double z = z0_m + (z1_m - z0_m) * k / (n - 1);
    (void)records::writeInternal(record.span(), "('Z= ',E12.4,' B= ',E12.4)", static_cast<float>(z * 1e3),
                                 static_cast<float>(field.at(z).b_T * kGaussPerTesla));
    text += line(record.span());
  }
  return text;
}

bool parseMagneticField(std::string_view text, std::vector<double>& z_m, std::vector<double>& b_T,
                        std::string& error) {
  z_m.clear();
  b_T.clear();
  std::size_t at = 0;
  int lineNumber = 0;
  auto nextLine = [&](std::string_view& out) {
    if (at >= text.size()) return false;
    const auto end = std::min(text.find('\n', at), text.size());
    out = text.substr(at, end - at);
    if (!out.empty() && out.back() == '\r') out.remove_suffix(1);
    at = end + 1;
    ++lineNumber;
    return true;
  };
  std::string_view record;
  std::int32_t count = 0;
  if (!nextLine(record) || records::readInternal(record, "(3X,I6)", count) != 0 || count < 0) {
    error = "line 1 does not hold the sample count";
    return false;
  }
  count = std::min(count, kMaxFieldSamples);
  for (int k = 0; k < count; ++k) {
    float z = 0, b = 0;
    if (!nextLine(record)) {
      error = "ends after " + std::to_string(k) + " of its " + std::to_string(count) + " samples";
      return false;
    }
    if (records::readInternal(record, "(3X,E12.4,4X,E12.4)", z, b) != 0 || !std::isfinite(z) ||
        !std::isfinite(b)) {
      error = "line " + std::to_string(lineNumber) + " is not a sample of z and B";
      return false;
    }
    if (!z_m.empty() && !(z * 1e-3 > z_m.back())) {
      error = "line " + std::to_string(lineNumber) + ": the positions must increase";
      return false;
    }
    z_m.push_back(z * 1e-3);
    b_T.push_back(b / kGaussPerTesla);
  }
  return true;
}

bool readMagneticField(std::string_view text, double z0_m, double z1_m, double step_m, AxialMagneticField& field,
                       std::string& error) {
  std::vector<double> z, b;
  if (!parseMagneticField(text, z, b, error)) return false;
  auto lineOf = [](std::size_t sample) { return "line " + std::to_string(sample + 2); };  // after the count
  auto mm = [](double z_m) { return format("%.6g mm", z_m * 1e3); };
  const std::string gun = "the gun's z range, " + mm(z0_m) + " to " + mm(z1_m);
  if (z.size() < 2) return (error = "line 1: " + std::to_string(z.size()) + " samples; the field needs two at least", false);
  if (!(z.back() > z0_m && z.front() < z1_m))
    return (error = lineOf(0) + ": the samples run from " + mm(z.front()) + " to " + mm(z.back()) + ", outside " + gun, false);
  for (std::size_t k = 1; k < z.size(); ++k)
    if (z[k] > z0_m && z[k - 1] < z1_m && z[k] - z[k - 1] > z1_m - z0_m)
      return (error = lineOf(k) + ": " + mm(z[k] - z[k - 1]) + " after the sample before, longer than " + gun + ": too coarse for the field along it", false);
  double peak = 0;
  for (double value : b) peak = std::max(peak, std::fabs(value));
  for (const std::size_t k : {std::size_t{0}, z.size() - 1}) {
    const bool inside = k == 0 ? z[k] > z0_m : z[k] < z1_m;
    if (inside && std::fabs(b[k]) > 0.01 * peak)
      return (error = lineOf(k) + ": the table ends at " + mm(z[k]) + ", within " + gun + ", where B is still " +
                      format("%.4g G", b[k] * kGaussPerTesla) + "; the field would step to zero there", false);
  }
  // A mag.dat holds four digits: finer than half a millimetre their rounding would reach
  // r²B''/4 and r³B'''/16 many times over (at 0.06 mm, B_r's noise exceeds its signal).
  field = AxialMagneticField::fromTable(z, b, std::max(step_m, kFinestTableStep_m));
  return true;
}

}  // namespace kelm::solver
