#include "records/format.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "records/error_numbers.h"

namespace kelm::records {

namespace {

constexpr int kMaxFieldWidth = 10000;

class FormatParser {
 public:
  explicit FormatParser(std::string_view text) : text_(text) {}

  bool parse(std::vector<EditDescriptor>& edits) {
    skipBlanks();
    if (!take('(')) return false;
    skipBlanks();
    if (take(')')) return atEnd();
    for (;;) {
      EditDescriptor edit;
      if (!parseItem(edit)) return false;
      edits.push_back(std::move(edit));
      skipBlanks();
      if (take(')')) return atEnd();
      if (!take(',')) return false;
    }
  }

 private:
  bool parseItem(EditDescriptor& edit) {
    skipBlanks();
    if (peek() == '\'' || peek() == '"') return parseLiteral(edit);
    int count = -1;
    if (isDigit(peek()) && !parseNumber(count)) return false;
    skipBlanks();
    const char letter = upper(next());
    if (letter == 'X') {
      edit.kind = EditKind::kSkip;
      edit.repeat = count < 0 ? 1 : count;
      return edit.repeat > 0;
    }
    switch (letter) {
      case 'I': edit.kind = EditKind::kInteger; break;
      case 'F': edit.kind = EditKind::kFixed; break;
      case 'E':
      case 'D': edit.kind = EditKind::kExponent; break;
      case 'G': edit.kind = EditKind::kGeneral; break;
      default: return false;
    }
    edit.repeat = count < 0 ? 1 : count;
    if (edit.repeat <= 0) return false;
    skipBlanks();
    if (take('^')) {
      edit.runTimeWidth = true;
    } else if (!parseNumber(edit.width) || edit.width <= 0) {
      return false;
    }
    if (edit.kind == EditKind::kInteger) return true;
    skipBlanks();
    if (!take('.')) return false;
    skipBlanks();
    return parseNumber(edit.digits);
  }

  bool parseLiteral(EditDescriptor& edit) {
    const char quote = next();
    edit.kind = EditKind::kLiteral;
    for (;;) {
      if (pos_ >= text_.size()) return false;  // no closing apostrophe
      const char c = next();
      if (c == quote) {
        if (peek() != quote) return true;
        ++pos_;
      }
      edit.literal.push_back(c);
    }
  }

  bool parseNumber(int& value) {
    if (!isDigit(peek())) return false;
    value = 0;
    while (isDigit(peek())) {
      value = value * 10 + (next() - '0');
      if (value > kMaxFieldWidth) return false;
    }
    return true;
  }

  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
  char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  char next() { return pos_ < text_.size() ? text_[pos_++] : '\0'; }
  bool take(char c) {
    if (peek() != c || pos_ >= text_.size()) return false;
    ++pos_;
    return true;
  }
  void skipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool atEnd() {
    skipBlanks();
    return pos_ == text_.size();
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

Format::Format(std::string_view text) {
  if (!FormatParser(text).parse(edits_)) {
    error_ = kBadFormat;
    edits_.clear();
    return;
  }
  for (const EditDescriptor& edit : edits_) hasDataEdit_ = hasDataEdit_ || isDataEdit(edit.kind);
}

const Format& cachedFormat(std::string_view text) {
  static std::mutex lock;
  static std::unordered_map<std::string, std::unique_ptr<Format>> formats;
  std::lock_guard guard(lock);
  auto found = formats.find(std::string(text));
  if (found == formats.end()) {
    found = formats.emplace(std::string(text), std::make_unique<Format>(text)).first;
  }
  return *found->second;
}

}  // namespace kelm::records
