#include "source/solver/beam/magnetic_field_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "runtime/fp_traps.h"

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

// The numbers on a line, whatever stands between them ("Z=", "B=", blanks, commas).
std::vector<double> numbersOn(std::string_view line) {
  std::vector<double> numbers;
  const std::string text(line);
  const char* at = text.c_str();
  while (*at != '\0') {
    char* end = nullptr;
    const bool starts = std::isdigit(static_cast<unsigned char>(*at)) || *at == '.' || *at == '+' || *at == '-';
    double value = 0.0;
    if (starts) {
      // The C library raises overflow for a number beyond a double; the caller refuses it as
      // not finite instead.
      const FloatingPointTrapsSuspended untrapped;
      value = std::strtod(at, &end);
    }
    if (starts && end != at) {
      numbers.push_back(value);
      at = end;
    } else {
      ++at;
    }
  }
  return numbers;
}

struct Samples {
  std::vector<double> z_m, b_T;
  std::vector<int> line;  // where each sample stands, from 1
};

// Two numbers a line, z in mm and B in gauss, in any real-number form; blank lines and lines
// from '#' are skipped. A first line of one whole number is the sample count, as in a mag.dat,
// and then that many samples must follow.
bool parseSamples(std::string_view text, Samples& out, std::string& error) {
  out = {};
  long count = -1;
  int lineNumber = 0;
  for (std::size_t at = 0; at < text.size();) {
    const auto end = std::min(text.find('\n', at), text.size());
    std::string_view record = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    record = record.substr(0, record.find('#'));
    if (record.find_first_not_of(" \t\r,") == std::string_view::npos) continue;
    const std::vector<double> n = numbersOn(record);
    if (count < 0 && out.z_m.empty() && n.size() == 1 && n[0] >= 0 && n[0] <= 1e6 && n[0] == std::floor(n[0])) {
      count = static_cast<long>(n[0]);
      continue;
    }
    if (count >= 0 && static_cast<long>(out.z_m.size()) == count) break;
    if (n.size() != 2 || !std::isfinite(n[0]) || !std::isfinite(n[1]) || std::fabs(n[0]) > 1e30 || std::fabs(n[1]) > 1e30)
      return (error = "line " + std::to_string(lineNumber) + " is not a sample of z and B", false);
    if (!out.z_m.empty() && !(n[0] * 1e-3 > out.z_m.back() + 1e-9))  // by a nanometre at least
      return (error = "line " + std::to_string(lineNumber) + ": the positions must increase", false);
    out.z_m.push_back(n[0] * 1e-3);
    out.b_T.push_back(n[1] / kGaussPerTesla);
    out.line.push_back(lineNumber);
  }
  if (count >= 0 && static_cast<long>(out.z_m.size()) < count)
    return (error = "ends after " + std::to_string(out.z_m.size()) + " of its " + std::to_string(count) + " samples", false);
  return true;
}

}  // namespace

std::string magneticFieldText(const AxialMagneticField& field, double z0_m, double z1_m) {
  const double samples = (z1_m - z0_m) / field.step_m() + 1;
  const int n = samples >= kMaxMagSamples ? kMaxMagSamples : samples > 2 ? static_cast<int>(samples) : 2;
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

bool readMagneticField(std::string_view text, double z0_m, double z1_m, double step_m, AxialMagneticField& field,
                       std::string& error) {
  Samples samples;
  if (!parseSamples(text, samples, error)) return false;
  const std::vector<double>&z = samples.z_m, &b = samples.b_T;
  auto lineOf = [&](std::size_t sample) { return "line " + std::to_string(samples.line[sample]); };
  auto mm = [](double z_m) { return format("%.6g mm", z_m * 1e3); };
  const std::string gun = "the gun's z range, " + mm(z0_m) + " to " + mm(z1_m);
  if (z.size() < 2) return (error = std::to_string(z.size()) + " samples; the field needs two at least", false);
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
  field = AxialMagneticField::fromTable(z, b, z0_m, z1_m, std::max(step_m, kFinestTableStep_m));
  return true;
}

}  // namespace kelm::solver
