#pragma once
// The values that kelm-export, kelm-solve and kelm-scan take on their command lines, each read
// one way and refused with one wording, so that the three programs answer alike.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelm::cli {

// A fault of the command line or of what it names: one line; the program exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr int kUsageStatus = 2;
inline constexpr int kMaxJobs = 256;
inline constexpr int kMaxShards = 1000000;

// Text for a one-line message: control characters (a line break in a path) shown as \xHH.
std::string shownText(std::string_view value);
// The same in double quotes, for a value as typed.
std::string quoted(std::string_view value);

// A whole number written whole, nothing after it.
std::optional<int> wholeOf(std::string_view text);
// A number written whole, with nothing after it and at most one leading '+'; neither inf nor nan.
std::optional<double> realOf(std::string_view text);

// --z Z: a plane in mm, held in single precision as the programs hold it.
float planeOf(std::string_view text);
// --range Z1:Z2: two such planes, Z1 below Z2.
std::pair<float, float> planeRangeOf(std::string_view text);

// The number, or UsageError "OPTION needs a whole number from LOW to HIGH, not "TEXT"".
int wholeNumber(std::string_view option, std::string_view text, int low, int high);
// --jobs N: 1 to kMaxJobs.
int jobsOf(std::string_view text);
// N itself, or one per core for 0 (--jobs not given).
int jobsOrCores(int jobs);

struct Shard {
  int shard = 0, shards = 1;
};
// --shard K/N: 0 <= K < N <= kMaxShards.
Shard shardOf(std::string_view text);
// The indices shard, shard + shards, ... below count, in order: one array task's share.
std::vector<std::size_t> shareOf(std::size_t count, Shard shard);

// Prints "PROGRAM: MESSAGE (see PROGRAM --help)" on standard error; returns kUsageStatus.
int usageError(std::string_view program, std::string_view message);
// Prints the text of --help or --version; the exit status, 1 when standard output is closed.
int answer(const std::string& text);

}  // namespace kelm::cli
