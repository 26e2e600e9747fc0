#pragma once
// Numbers edited into output fields. Internal to the record layer.

#include <cstdint>
#include <string>

namespace kelm::records {

// Each appends exactly w characters: the right-justified text, or w asterisks when it does not fit.
void editInteger(std::string& out, std::int64_t value, int w);
void editFixed(std::string& out, double value, int w, int d);
void editExponent(std::string& out, double value, int w, int d);
void editGeneral(std::string& out, double value, int w, int d);

// List-directed forms: the shortest text that reads back as the same value.
std::string listInteger(std::int32_t value);
std::string listReal(float value);
std::string listReal(double value);

}  // namespace kelm::records
