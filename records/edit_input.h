#pragma once
// Numeric input fields converted to values. Internal to the record layer.

#include <cstdint>
#include <string_view>

namespace kelm::records {

// Blanks and tabs inside a field are ignored, or read as zeros after the first non-blank
// when blankAsZero. An empty field is zero. Each returns 0 or a positive error number.
int readIntegerField(std::string_view field, bool blankAsZero, std::int32_t& value);
// d implied decimals apply when the field has no decimal point.
int readRealField(std::string_view field, int d, bool blankAsZero, double& value);
// The same, range-checked for a 32-bit item.
int readRealField(std::string_view field, int d, bool blankAsZero, float& value);

}  // namespace kelm::records
