#include "source/scan/substitution.h"

#include "source/scan/sweep.h"

namespace kelm::scan {
namespace {

// Calls use(name, line) for each ${name}, copying the text between them to out when given.
template <typename Use>
bool scan(std::string_view text, const std::string& file, std::string* out, std::string& error, Use use) {
  int line = 1;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t open = text.find("${", i);
    const std::size_t stop = open == text.npos ? text.size() : open;
    for (std::size_t k = i; k < stop; ++k) line += text[k] == '\n';
    if (out) out->append(text.substr(i, stop - i));
    if (open == text.npos) break;
    const std::size_t close = text.find('}', open);
    const std::size_t newline = text.find('\n', open);
    const std::string where = file + ":" + std::to_string(line);
    if (close == text.npos || (newline != text.npos && newline < close))
      return (error = where + ": ${ without } on its line", false);
    const std::string name(text.substr(open + 2, close - open - 2));
    if (!isParameterName(name)) return (error = where + ": \"${" + name + "}\" holds no parameter name", false);
    if (!use(name, where)) return false;
    i = close + 1;
  }
  return true;
}

}  // namespace

bool parametersUsed(std::string_view text, const std::string& file, std::set<std::string>& names,
                    std::string& error) {
  return scan(text, file, nullptr, error, [&](const std::string& name, const std::string&) {
    names.insert(name);
    return true;
  });
}

bool substituted(std::string_view text, const std::string& file, const std::map<std::string, std::string>& values,
                 std::string& out, std::string& error) {
  out.clear();
  return scan(text, file, &out, error, [&](const std::string& name, const std::string& where) {
    const auto value = values.find(name);
    if (value == values.end()) return (error = where + ": parameter " + name + " is not in the sweep", false);
    out += value->second;
    return true;
  });
}

}  // namespace kelm::scan
