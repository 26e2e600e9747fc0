#pragma once
// Values of list-directed input, taken one by one from a sequence of records.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kelm::records {

class ListScanner {
 public:
  // Supplies the next record: 0, -1 at end of file, or an error number.
  using NextRecord = std::function<int(std::string& record)>;
  explicit ListScanner(NextRecord nextRecord) : nextRecord_(std::move(nextRecord)) {}

  enum class Kind { kValue, kNull, kSlash };
  // The next value for one item: 0 with kind and text, or -1 / an error number.
  int next(Kind& kind, std::string& text);

 private:
  int readToken(std::string& text);

  NextRecord nextRecord_;
  std::string record_;
  bool haveRecord_ = false;
  std::size_t pos_ = 0;
  bool afterValue_ = false;  // a comma right after a value only separates
  bool slashSeen_ = false;
  int repeatLeft_ = 0;
  bool repeatNull_ = false;
  std::string repeatText_;
};

}  // namespace kelm::records
