#include "source/command_line_tools/option_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <thread>

namespace kelm::cli {

std::string shownText(std::string_view value) {
  std::string text;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      text += c;
      continue;
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
  }
  return text;
}

std::string quoted(std::string_view value) { return "\"" + shownText(value) + "\""; }

std::optional<int> wholeOf(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> realOf(std::string_view text) {
  if (text.starts_with('+') && text.size() > 1 && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

namespace {
// The largest magnitude that still rounds to a finite single-precision number.
constexpr double kSingleLimit = std::numeric_limits<float>::max() + 0x1p103;

std::optional<float> singleOf(std::string_view text) {
  const auto value = realOf(text);
  if (!value || !(std::fabs(*value) < kSingleLimit)) return std::nullopt;
  return static_cast<float>(*value);
}
}  // namespace

float planeOf(std::string_view text) {
  const auto z = singleOf(text);
  if (!z) throw UsageError("--z needs a position in mm, not " + quoted(text));
  return *z;
}

std::pair<float, float> planeRangeOf(std::string_view text) {
  const std::size_t colon = text.find(':');
  const auto from = singleOf(text.substr(0, colon));
  const auto to = colon == text.npos ? std::nullopt : singleOf(text.substr(colon + 1));
  if (!from || !to || !(*from < *to)) throw UsageError("--range needs Z1:Z2 in mm with Z1 < Z2, not " + quoted(text));
  return {*from, *to};
}

int wholeNumber(std::string_view option, std::string_view text, int low, int high) {
  const auto n = wholeOf(text);
  if (!n || *n < low || *n > high) {
    throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not " + quoted(text));
  }
  return *n;
}

int jobsOf(std::string_view text) { return wholeNumber("--jobs", text, 1, kMaxJobs); }

int jobsOrCores(int jobs) {
  return jobs > 0 ? jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

Shard shardOf(std::string_view text) {
  const std::size_t slash = text.find('/');
  const auto k = wholeOf(text.substr(0, slash));
  const auto n = slash == std::string_view::npos ? std::nullopt : wholeOf(text.substr(slash + 1));
  if (!k || !n || *n < 1 || *n > kMaxShards || *k < 0 || *k >= *n) {
    throw UsageError("--shard needs K/N, task K of N counted from 0 (0 <= K < N <= " + std::to_string(kMaxShards) +
                     "), not " + quoted(text));
  }
  return {*k, *n};
}

std::vector<std::size_t> shareOf(std::size_t count, Shard shard) {
  std::vector<std::size_t> taken;
  if (shard.shard < 0 || shard.shards < 1) return taken;
  for (auto i = static_cast<std::size_t>(shard.shard); i < count; i += static_cast<std::size_t>(shard.shards))
    taken.push_back(i);
  return taken;
}

int usageError(std::string_view program, std::string_view message) {
  const std::string name(program);
  std::fprintf(stderr, "%s: %s (see %s --help)\n", name.c_str(), shownText(message).c_str(), name.c_str());
  return kUsageStatus;
}

int answer(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace kelm::cli
