#pragma once
// ${…} in a template's geom.cod and klinput.dat, replaced by a point's values: a bare ${name}
// by the value as written, anything else evaluated as arithmetic over the parameters (+ - * /
// ^, sqrt, sin, cos, ... and pi) and written in the fewest digits that read back exactly.

#include <map>
#include <string>
#include <string_view>

namespace kelm::scan {

// The names a text uses, each with "FILE:LINE:COLUMN" of its first use; or false with
// "FILE:LINE:COLUMN: WHY" for a ${ not closed on its line or an expression that cannot be read.
bool parametersUsed(std::string_view text, const std::string& file, std::map<std::string, std::string>& names,
                    std::string& error);

// Every ${…} replaced. The first name without a value, value that is no number inside an
// expression, or result that is no finite number fails, with its place in error; nothing else
// in the text changes, not even a lone $.
bool substituted(std::string_view text, const std::string& file, const std::map<std::string, std::string>& values,
                 std::string& out, std::string& error);

// The fewest digits that read back to exactly value ("0.1", "1e-05", "12").
std::string shortestText(double value);

}  // namespace kelm::scan
