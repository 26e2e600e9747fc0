#pragma once
// The words of KELM's text inputs (geom.cod, klinput.dat): one statement a line, words
// separated by blanks, '#' starts a comment. Every word keeps its line and column so that a
// message can point at it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::solver {

struct Word {
  std::string_view text;
  int line = 0;    // 1-based
  int column = 0;  // 1-based, in bytes
};

// A position and what is wrong there, printed as "file:line:column: message".
struct Diagnostic {
  int line = 0;
  int column = 0;
  std::string message;
};

std::string formatDiagnostic(std::string_view fileName, const Diagnostic& d);

// Limits on the text itself, so that a stray binary file is refused quickly.
inline constexpr std::size_t kMaxInputBytes = 4u << 20;
inline constexpr std::size_t kMaxLineBytes = 1000;

// The statements of a text, each the words of one line (blank and comment lines dropped).
// False with a diagnostic for a text too long, a line too long or a control character.
bool splitStatements(std::string_view text, std::vector<std::vector<Word>>& statements, Diagnostic& error);

// Case-insensitive keyword comparison.
bool isKeyword(const Word& w, std::string_view keyword);

// A finite decimal number ("12", "-0.5", "1e3"); nothing else is accepted.
std::optional<double> numberOf(std::string_view text);

// Walks one statement's words, producing diagnostics that point at the word concerned.
class StatementReader {
 public:
  explicit StatementReader(const std::vector<Word>& words) : words_(words) {}
  bool atEnd() const { return next_ >= words_.size(); }
  const Word& peek() const { return words_[next_]; }
  const Word& last() const { return words_[next_ == 0 ? 0 : next_ - 1]; }
  // The position just past the statement, for "missing ..." messages.
  Diagnostic missing(std::string what) const;

  bool word(std::string_view& out, std::string_view what, Diagnostic& error);
  bool keyword(std::string_view keyword, Diagnostic& error);
  bool optionalKeyword(std::string_view keyword);
  // A number within [low, high]; `what` names it in the message.
  bool number(double& out, std::string_view what, double low, double high, Diagnostic& error);
  // A number above 0 and at most high.
  bool positive(double& out, std::string_view what, double high, Diagnostic& error);
  bool integer(int& out, std::string_view what, int low, int high, Diagnostic& error);
  // Diagnostic unless every word has been used.
  bool finished(Diagnostic& error) const;

 private:
  const std::vector<Word>& words_;
  std::size_t next_ = 0;
};

Diagnostic diagnosticAt(const Word& w, std::string message);

}  // namespace kelm::solver
