#pragma once
// File > Save's target: a picture never goes over a project's file, wherever it lies.

#include <string>

namespace kelm {

// Why a picture must not be saved to path (one sentence), or empty when it may.
std::string saveTargetRefusal(const std::string& path);

}  // namespace kelm
