#include "records/formatted.h"

#include <optional>
#include <string>

#include "records/edit_input.h"
#include "records/edit_output.h"
#include "records/error_numbers.h"
#include "records/format.h"
#include "records/list_scanner.h"
#include "records/unit_table.h"
#include "records/window_port.h"

namespace kelm::records {

namespace {

// List-directed records to the windows are at most this wide; longer text goes on.
constexpr std::size_t kListLineWidth = 79;

enum class Target { kUnit, kInternalWrite, kInternalRead };

}  // namespace

struct FormattedTransfer::State {
  Target target = Target::kUnit;
  bool input = false;
  const Format* format = nullptr;  // nullptr: list-directed
  std::optional<UnitGuard> guard;
  Unit* unit = nullptr;
  int status = 0;
  bool ended = false;

  // Input: the current record and the 0-based position in it.
  std::string record;
  std::size_t pos = 0;
  std::string_view internalText;
  bool internalTaken = false;
  std::optional<ListScanner> scanner;

  // Output: the record being built, and the destination of an internal write.
  std::string line;
  std::span<char> destination;
  int recordsWritten = 0;

  // Format position: the descriptor and how many times a repeated one has been used.
  std::size_t edit = 0;
  int used = 0;
  std::optional<int> runTimeWidth;

  bool failed() const { return status != 0; }
  void fail(int number) {
    if (status == 0) status = number;
  }

  int fetchRecord(std::string& into) {
    if (target == Target::kInternalRead) {
      if (internalTaken) return kEndOfFile;
      internalTaken = true;
      into.assign(internalText);
      return 0;
    }
    const int result = unit->file.readLine(into);
    if (result != FileStream::kEnd) unit->position = {.record = unit->position.record + 1};
    if (result == FileStream::kTooLong) return kRecordTooLong;
    return result == FileStream::kError ? kFileReadFailed : result;
  }

  void startInputRecord() {
    pos = 0;
    if (const int result = fetchRecord(record); result != 0) fail(result);
  }

  void emitRecord() {
    if (target == Target::kInternalWrite) {
      if (recordsWritten > 0 || line.size() > destination.size()) fail(kRecordOverflow);
      if (recordsWritten == 0) assignPadded(destination, line);
    } else if (unit->kind == UnitKind::kDisk) {
      line.push_back('\n');
      if (!unit->file.write(line.data(), line.size())) fail(kFileWriteFailed);
    } else {
      windowPort().writeRecord(unit->kind == UnitKind::kOutput ? 0 : unit->number, line);
    }
    ++recordsWritten;
    line.clear();
  }

  // ---- format cursor ---------------------------------------------------------------

  void applyControl(const EditDescriptor& control) {
    if (control.kind == EditKind::kSkip) {
      if (input) pos += static_cast<std::size_t>(control.repeat);
      else line.append(static_cast<std::size_t>(control.repeat), ' ');
    } else if (input) {
      pos += control.literal.size();
    } else {
      line += control.literal;
    }
  }

  // The descriptor for the next item; controls on the way are applied. At the end of the
  // format a new record begins and the format starts over.
  const EditDescriptor* nextDataEdit() {
    const auto& edits = format->edits();
    if (!format->hasDataEdit()) {
      fail(kFormatWithoutData);
      return nullptr;
    }
    for (;;) {
      if (edit == edits.size()) {
        edit = 0;
        used = 0;
        if (input) startInputRecord();
        else emitRecord();
        if (failed()) return nullptr;
      }
      const EditDescriptor& current = edits[edit];
      if (!isDataEdit(current.kind)) {
        applyControl(current);
        ++edit;
        continue;
      }
      if (++used >= current.repeat) {
        ++edit;
        used = 0;
      }
      return &current;
    }
  }

  // Controls after the last item still apply up to the next data descriptor: "(I4,'K')".
  void finishFormat() {
    const auto& edits = format->edits();
    if (used != 0) return;
    for (; edit < edits.size() && !isDataEdit(edits[edit].kind); ++edit) applyControl(edits[edit]);
  }

  int widthOf(const EditDescriptor& data) {
    if (!data.runTimeWidth) return data.width;
    if (!runTimeWidth) {
      fail(kMissingRunTimeWidth);
      return 0;
    }
    const int w = *runTimeWidth;
    runTimeWidth.reset();
    return w;
  }

  std::string_view takeField(int w) {
    const std::size_t begin = std::min(pos, record.size());
    const std::size_t end = std::min(begin + static_cast<std::size_t>(w), record.size());
    if (!unit_padsShortRecords() && pos + static_cast<std::size_t>(w) > record.size()) {
      fail(kShortRecord);
      return {};
    }
    std::string_view field(record.data() + begin, end - begin);
    const std::size_t comma = field.find(',');
    if (comma != std::string_view::npos) {
      pos = begin + comma + 1;
      return field.substr(0, comma);
    }
    pos += static_cast<std::size_t>(w);
    return field;
  }

  bool unit_padsShortRecords() const { return unit == nullptr || unit->padShortRecords; }
  bool blankAsZero() const { return unit != nullptr && unit->blankAsZero; }

  // ---- formatted items ---------------------------------------------------------------

  // The descriptor and width for an item, nullptr after a failure; I takes integers only.
  const EditDescriptor* dataEditFor(bool integerItem, int& w) {
    const EditDescriptor* data = nextDataEdit();
    if (data == nullptr) return nullptr;
    w = widthOf(*data);
    if (failed()) return nullptr;
    if ((data->kind == EditKind::kInteger) != integerItem) {
      fail(kItemTypeMismatch);
      return nullptr;
    }
    return data;
  }

  template <class Value>
  void readNumber(Value& value) {
    int w = 0;
    const EditDescriptor* data = dataEditFor(std::is_integral_v<Value>, w);
    if (data == nullptr) return;
    const std::size_t column = std::min(pos, record.size()) + 1;
    const std::string_view field = takeField(w);
    if (!failed()) {
      if constexpr (std::is_integral_v<Value>) fail(readIntegerField(field, blankAsZero(), value));
      else fail(readRealField(field, data->digits, blankAsZero(), value));
    }
    if (failed() && unit != nullptr) unit->position.column = static_cast<long>(column);
  }

  template <class Value>
  void writeNumber(Value value) {
    int w = 0;
    const EditDescriptor* data = dataEditFor(std::is_integral_v<Value>, w);
    if (data == nullptr) return;
    const double real = static_cast<double>(value);
    switch (data->kind) {
      case EditKind::kInteger: editInteger(line, static_cast<std::int64_t>(value), w); break;
      case EditKind::kFixed: editFixed(line, real, w, data->digits); break;
      case EditKind::kExponent: editExponent(line, real, w, data->digits); break;
      case EditKind::kGeneral: editGeneral(line, real, w, data->digits); break;
      default: break;
    }
  }

  // ---- list-directed items -----------------------------------------------------------

  // The next value's text, or nullopt when the item keeps its value (null, slash, failure).
  std::optional<std::string> nextListValue() {
    if (!scanner) {
      scanner.emplace([this](std::string& into) { return fetchRecord(into); });
    }
    ListScanner::Kind kind;
    std::string text;
    if (const int result = scanner->next(kind, text); result != 0) {
      fail(result);
      return std::nullopt;
    }
    if (kind != ListScanner::Kind::kValue) return std::nullopt;
    return text;
  }

  template <class Value>
  void readListNumber(Value& value) {
    const std::optional<std::string> text = nextListValue();
    if (!text) return;
    if constexpr (std::is_integral_v<Value>) fail(readIntegerField(*text, false, value));
    else fail(readRealField(*text, 0, false, value));
  }

  void readListText(std::span<char> text) {
    const std::optional<std::string> value = nextListValue();
    if (!value) return;
    const bool quoted = !value->empty() && ((*value)[0] == '\'' || (*value)[0] == '"');
    assignPadded(text, quoted ? std::string_view(*value).substr(1) : std::string_view(*value));
  }

  std::size_t listWidth() const {
    return target == Target::kInternalWrite ? destination.size() : kListLineWidth;
  }

  void writeListNumber(const std::string& text) {
    if (!line.empty() && line.back() != ' ') line.push_back(' ');
    if (target != Target::kInternalWrite && line.size() + text.size() > listWidth() &&
        line.size() > 1) {
      emitRecord();
      line = " ";
    }
    line += text;
  }

  void writeListText(std::string_view text) {
    line += text;
    if (target == Target::kInternalWrite) return;
    while (line.size() > listWidth()) {
      // Break after a blank or a path separator in the second half of the line if there is one.
      std::size_t cut = line.find_last_of(" /", listWidth() - 1);
      if (cut == std::string::npos || cut < listWidth() / 2) cut = listWidth();
      else ++cut;
      std::string rest = " " + line.substr(cut);
      line.resize(cut);
      emitRecord();
      line = std::move(rest);
    }
  }

  // ---- statement ---------------------------------------------------------------------

  void begin() {
    if (format != nullptr) fail(format->error());
    if (target != Target::kUnit || failed()) return;
    if (!guard) return;
    if (guard->status() != 0) return fail(guard->status());
    unit = guard->unit();
    if (unit->form != Form::kFormatted) return fail(kWrongForm);
    if (input && (unit->kind != UnitKind::kDisk || unit->action == Action::kWrite)) {
      return fail(kWriteOnlyUnit);
    }
    if (!input && unit->action == Action::kRead) return fail(kReadOnlyUnit);
  }
};

FormattedTransfer::FormattedTransfer(int unit, const Format* format, bool input)
    : state_(std::make_unique<State>()) {
  state_->target = Target::kUnit;
  state_->input = input;
  state_->format = format;
  state_->guard.emplace(unit);
  state_->begin();
  if (state_->failed()) return;
  // A READ always takes a record of its own, even with no items; list-directed input takes
  // its records as its values need them.
  if (input && format != nullptr) state_->startInputRecord();
  if (!input && format == nullptr) state_->line = " ";
}

FormattedTransfer::FormattedTransfer(std::span<char> record, const Format* format)
    : state_(std::make_unique<State>()) {
  state_->target = Target::kInternalWrite;
  state_->format = format;
  state_->destination = record;
  state_->begin();
  if (format == nullptr) state_->line = " ";
}

FormattedTransfer::FormattedTransfer(std::string_view record, const Format* format)
    : state_(std::make_unique<State>()) {
  state_->target = Target::kInternalRead;
  state_->input = true;
  state_->format = format;
  state_->internalText = record;
  state_->begin();
  if (!state_->failed() && format != nullptr) state_->startInputRecord();
}

FormattedTransfer::~FormattedTransfer() { end(); }

void FormattedTransfer::setRunTimeWidth(int n) {
  if (state_->failed()) return;
  if (n < 1 || n > 10000) return state_->fail(kBadRunTimeWidth);
  state_->runTimeWidth = n;
}

void FormattedTransfer::in(std::int32_t& value) {
  State& s = *state_;
  if (s.failed() || s.ended || !s.input) return s.fail(s.input ? 0 : kItemTypeMismatch);
  if (s.format != nullptr) s.readNumber(value);
  else s.readListNumber(value);
}

void FormattedTransfer::in(float& value) {
  State& s = *state_;
  if (s.failed() || s.ended || !s.input) return s.fail(s.input ? 0 : kItemTypeMismatch);
  if (s.format != nullptr) s.readNumber(value);
  else s.readListNumber(value);
}

void FormattedTransfer::in(double& value) {
  State& s = *state_;
  if (s.failed() || s.ended || !s.input) return s.fail(s.input ? 0 : kItemTypeMismatch);
  if (s.format != nullptr) s.readNumber(value);
  else s.readListNumber(value);
}

void FormattedTransfer::in(std::span<char> text) {
  State& s = *state_;
  if (s.failed() || s.ended || !s.input) return s.fail(s.input ? 0 : kItemTypeMismatch);
  // Character data under a format needs an A descriptor, which formats here never carry.
  if (s.format != nullptr) return s.fail(kItemTypeMismatch);
  s.readListText(text);
}

void FormattedTransfer::out(std::int32_t value) {
  State& s = *state_;
  if (s.failed() || s.ended || s.input) return s.fail(s.input ? kItemTypeMismatch : 0);
  if (s.format != nullptr) s.writeNumber(value);
  else s.writeListNumber(listInteger(value));
}

void FormattedTransfer::out(float value) {
  State& s = *state_;
  if (s.failed() || s.ended || s.input) return s.fail(s.input ? kItemTypeMismatch : 0);
  if (s.format != nullptr) s.writeNumber(value);
  else s.writeListNumber(listReal(value));
}

void FormattedTransfer::out(double value) {
  State& s = *state_;
  if (s.failed() || s.ended || s.input) return s.fail(s.input ? kItemTypeMismatch : 0);
  if (s.format != nullptr) s.writeNumber(value);
  else s.writeListNumber(listReal(value));
}

void FormattedTransfer::out(std::string_view text) {
  State& s = *state_;
  if (s.failed() || s.ended || s.input) return s.fail(s.input ? kItemTypeMismatch : 0);
  if (s.format != nullptr) return s.fail(kItemTypeMismatch);
  s.writeListText(text);
}

int FormattedTransfer::end() {
  State& s = *state_;
  if (s.ended) return s.status;
  s.ended = true;
  if (!s.failed() && !s.input) {
    if (s.format != nullptr) s.finishFormat();
    s.emitRecord();
  }
  s.guard.reset();
  return s.status;
}

int FormattedTransfer::status() const { return state_->status; }

}  // namespace kelm::records
