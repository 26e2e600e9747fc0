#pragma once
// A program's options, read by CLI11 and refused with the toolkit's wording: each option at most
// once, a value where one is needed and none on a flag, any other word with a dash unknown.
// --help and --version are not here: runtime/info_arguments answers them before anything else.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/info_arguments.h"
#include "source/command_line_tools/option_values.h"

namespace CLI {
class App;
}

namespace kelm::cli {

class OptionTable {
 public:
  // Arguments that are no option, and all after "--", go to operands in order.
  explicit OptionTable(std::vector<std::string>& operands);
  ~OptionTable();
  OptionTable(const OptionTable&) = delete;
  OptionTable& operator=(const OptionTable&) = delete;

  // names as "--jobs" or "-j,--jobs"; take gets the long name and the value, and throws
  // UsageError for a wrong one.
  using Take = std::function<void(const std::string& name, const std::string& value)>;
  OptionTable& value(const std::string& names, Take take);
  OptionTable& flag(const std::string& names, std::function<void()> set);

  // The options that several programs have, read alike.
  OptionTable& jobs(int& jobs, const std::string& names = "--jobs");  // 1 to kMaxJobs
  OptionTable& shard(int& shard, int& shards);                        // --shard K/N
  // --projects-from FILE ("-": standard input) and --null, which goes only with it.
  OptionTable& projectList(std::optional<std::string>& from, bool& nulSeparated);

  // Reads argv (argv[0] is the program) and hands each value to its option, in the table's
  // order. Throws UsageError.
  void parse(int argc, const char* const* argv);

  // The long names of the options given, in the table's order.
  const std::vector<std::string>& given() const { return given_; }
  bool given(std::string_view name) const;

 private:
  struct Entry;
  const Entry* entryOf(std::string_view name) const;
  std::unique_ptr<CLI::App> app_;
  std::deque<Entry> entries_;  // CLI11 holds references into them
  std::vector<std::string> given_;
};

// A program's command line: --help, then --version, win over anything else on it; else read
// fills the line, and a UsageError that it throws becomes the line's usage error. Line has a
// request of an enum with kHelp, kVersion and kUsageError, and an error.
template <class Line, class Read>
Line readCommandLine(int argc, const char* const* argv, Read read) {
  using Request = decltype(Line::request);
  Line line;
  const runtime::InfoArguments info = runtime::findInfoArguments(argc, argv, true);
  if (info.help != 0 || info.version != 0) {
    line.request = info.help != 0 ? Request::kHelp : Request::kVersion;
    return line;
  }
  try {
    read(line);
  } catch (const UsageError& e) {
    line = Line{};
    line.request = Request::kUsageError;
    line.error = e.what();
  }
  return line;
}

}  // namespace kelm::cli
