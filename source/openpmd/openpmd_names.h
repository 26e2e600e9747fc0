#pragma once
// The names beam.h5's writer and reader agree on.

namespace kelm::openpmd {

inline constexpr const char* kBasePath = "/data/%T/";
inline constexpr const char* kSpecies = "electrons";
inline constexpr const char* kBeamFile = "beam.h5";

}  // namespace kelm::openpmd
