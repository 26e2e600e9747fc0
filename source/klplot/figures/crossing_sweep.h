#pragma once
// The crossings of many planes at once. Each trajectory is walked once for all of them, and
// every plane gets exactly the crossings findCrossings gives it alone, in the same order.

#include <cstddef>
#include <functional>
#include <span>

#include "source/klplot/figures/beam_figures.h"

namespace kelm::klplot {

// planes: ascending. visit(j, crossings of planes[j]) is called for j = 0, 1, ... in order.
void sweepCrossings(const ProjectData& data, std::span<const float> planes,
                    const std::function<void(std::size_t, const Crossings&)>& visit);

}  // namespace kelm::klplot
