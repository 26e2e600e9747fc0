#include "records/list_scanner.h"

#include "records/error_numbers.h"

namespace kelm::records {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsValue(char c) { return isBlank(c) || c == ',' || c == '/'; }

}  // namespace

int ListScanner::next(Kind& kind, std::string& text) {
  if (slashSeen_) {
    kind = Kind::kSlash;
    return 0;
  }
  if (repeatLeft_ > 0) {
    --repeatLeft_;
    kind = repeatNull_ ? Kind::kNull : Kind::kValue;
    text = repeatText_;
    return 0;
  }
  for (;;) {
    if (!haveRecord_ || pos_ >= record_.size()) {
      if (const int status = nextRecord_(record_); status != 0) return status;
      haveRecord_ = true;
      pos_ = 0;
      continue;
    }
    const char c = record_[pos_];
    if (isBlank(c)) {
      ++pos_;
    } else if (c == ',') {
      ++pos_;
      if (!afterValue_) {
        kind = Kind::kNull;
        return 0;
      }
      afterValue_ = false;
    } else if (c == '/') {
      ++pos_;
      slashSeen_ = true;
      kind = Kind::kSlash;
      return 0;
    } else {
      break;
    }
  }

  std::string token;
  if (const int status = readToken(token); status != 0) return status;
  afterValue_ = true;

  // r*v repeats v, r* stands for r null values.
  const std::size_t star = token.find('*');
  const bool quoted = !token.empty() && (token[0] == '\'' || token[0] == '"');
  if (star != std::string::npos && !quoted) {
    const std::string_view count(token.data(), star);
    int repeat = 0;
    if (count.empty()) return kBadRepeatCount;
    for (char digit : count) {
      if (digit < '0' || digit > '9' || repeat > 100000000) return kBadRepeatCount;
      repeat = repeat * 10 + (digit - '0');
    }
    if (repeat < 1) return kBadRepeatCount;
    repeatText_ = token.substr(star + 1);
    repeatNull_ = repeatText_.empty();
    repeatLeft_ = repeat - 1;
    kind = repeatNull_ ? Kind::kNull : Kind::kValue;
    text = repeatText_;
    return 0;
  }
  kind = Kind::kValue;
  text = std::move(token);
  return 0;
}

int ListScanner::readToken(std::string& text) {
  text.clear();
  const char quote = record_[pos_];
  if (quote != '\'' && quote != '"') {
    while (pos_ < record_.size() && !endsValue(record_[pos_])) text.push_back(record_[pos_++]);
    return 0;
  }
  // A quoted value keeps its blanks and may go on over line ends; doubled quotes are one.
  text.push_back(quote);
  ++pos_;
  for (;;) {
    if (pos_ >= record_.size()) {
      if (const int status = nextRecord_(record_); status != 0) return status;
      pos_ = 0;
      continue;
    }
    const char c = record_[pos_++];
    if (c == quote) {
      if (pos_ < record_.size() && record_[pos_] == quote) {
        ++pos_;
      } else {
        return 0;
      }
    }
    text.push_back(c);
  }
}

}  // namespace kelm::records
