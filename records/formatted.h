#pragma once
// Formatted and list-directed statements over units and over character variables.
//
// A statement is begin (the constructor) -> one transfer call per item, in order -> end().
// After the first non-zero status the remaining item calls do nothing, so a caller may issue
// them all and test end() once. The variadic helpers below do exactly that.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "records/status.h"
#include "records/units.h"
#include "runtime/fixed_text.h"

namespace kelm::records {

// A parsed format. Formats are literals, so each distinct text is parsed once and kept.
class Format;
const Format& cachedFormat(std::string_view text);

// Supplies the width of the next '^' in the format; pass it as an item before the value.
struct RunTimeWidth {
  int width;
};

class FormattedTransfer {
 public:
  // External unit; format nullptr means list-directed. input selects READ or WRITE.
  FormattedTransfer(int unit, const Format* format, bool input);
  // Internal write: the record is the destination variable, blank-padded at end().
  FormattedTransfer(std::span<char> record, const Format* format);
  // Internal read from a character value.
  FormattedTransfer(std::string_view record, const Format* format);
  ~FormattedTransfer();
  FormattedTransfer(const FormattedTransfer&) = delete;
  FormattedTransfer& operator=(const FormattedTransfer&) = delete;

  void setRunTimeWidth(int n);

  // READ items.
  void in(std::int32_t& value);
  void in(float& value);
  void in(double& value);
  void in(std::span<char> text);  // character item, blank-padded or cut to its length
  template <std::size_t N>
  void in(FixedText<N>& text) { in(text.span()); }
  void in(RunTimeWidth w) { setRunTimeWidth(w.width); }

  // WRITE items.
  void out(std::int32_t value);
  void out(float value);
  void out(double value);
  void out(std::string_view text);
  template <std::size_t N>
  void out(const FixedText<N>& text) { out(text.view()); }
  void out(const char* text) { out(std::string_view(text)); }
  void out(RunTimeWidth w) { setRunTimeWidth(w.width); }

  // Ends the statement (skips the rest of an input record, emits an output record).
  // Returns 0, -1 at end of file, or a positive error number. Idempotent.
  int end();
  int status() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// ---- Statements as one call ------------------------------------------------------------

template <class... Items>
[[nodiscard]] int read(int unit, std::string_view format, Items&&... items) {
  FormattedTransfer t(unit, &cachedFormat(format), true);
  (t.in(items), ...);
  return t.end();
}

template <class... Items>
[[nodiscard]] int readList(int unit, Items&&... items) {
  FormattedTransfer t(unit, nullptr, true);
  (t.in(items), ...);
  return t.end();
}

template <class... Items>
int write(int unit, std::string_view format, const Items&... items) {
  FormattedTransfer t(unit, &cachedFormat(format), false);
  (t.out(items), ...);
  return t.end();
}

template <class... Items>
int writeList(int unit, const Items&... items) {
  FormattedTransfer t(unit, nullptr, false);
  (t.out(items), ...);
  return t.end();
}

template <class... Items>
int writeInternal(std::span<char> record, std::string_view format, const Items&... items) {
  FormattedTransfer t(record, &cachedFormat(format));
  (t.out(items), ...);
  return t.end();
}

template <class... Items>
int writeListInternal(std::span<char> record, const Items&... items) {
  FormattedTransfer t(record, nullptr);
  (t.out(items), ...);
  return t.end();
}

template <class... Items>
[[nodiscard]] int readInternal(std::string_view record, std::string_view format, Items&&... items) {
  FormattedTransfer t(record, &cachedFormat(format));
  (t.in(items), ...);
  return t.end();
}

template <class... Items>
[[nodiscard]] int readListInternal(std::string_view record, Items&&... items) {
  FormattedTransfer t(record, nullptr);
  (t.in(items), ...);
  return t.end();
}

// List-directed write to the default output unit (the "Output" window). It has no error
// branch: a failure ends the program with the run-time error box.
template <class... Items>
void print(const Items&... items) {
  requireSuccess(writeList(kDefaultUnit, items...));
}

}  // namespace kelm::records
