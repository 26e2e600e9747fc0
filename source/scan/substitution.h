#pragma once
// ${name} in a template's geom.cod and klinput.dat, replaced by a point's values.

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace kelm::scan {

// The names a text uses, or false with "FILE:LINE: ..." for a ${ that is not closed on its
// line or holds no parameter name.
bool parametersUsed(std::string_view text, const std::string& file, std::set<std::string>& names,
                    std::string& error);

// Every ${name} replaced by its value. The first name without a value fails, its file and
// line in error; nothing else in the text changes, not even a lone $.
bool substituted(std::string_view text, const std::string& file, const std::map<std::string, std::string>& values,
                 std::string& out, std::string& error);

}  // namespace kelm::scan
