#include <cmath>

#include "source/klplot/plotting/tick_label.h"

namespace kelm::klplot {

std::string_view tickLabelFormat(float v, int w) {
  const double value = v;
  if (std::fabs(value) < 2e9 && value == std::trunc(value)) return "(I^)";
  int column;
  switch (w) {
    case 5: column = 0; break;
    case 6: column = 1; break;
    case 8: column = 2; break;
    default: return {};
  }
  static constexpr std::string_view kForms[4][3] = {
      {"(F5.1)", "(F6.1)", "(F8.1)"},
      {"(F5.2)", "(F6.2)", "(F8.2)"},
      {"(F5.3)", "(F6.3)", "(F8.3)"},
      {"(E5.1)", "(E6.1)", "(E8.2)"},
  };
  const double scales[3] = {10.0, 100.0, 1000.0};
  const double limits[3] = {1e-5, 1e-4, 1e-3};
  for (int k = 0; k < 3; ++k) {
    const double t = scales[k] * value;
    if (std::fabs(t) < 1e300 && t - std::floor(t) < limits[k]) return kForms[k][column];
  }
  return kForms[3][column];
}

}  // namespace kelm::klplot
