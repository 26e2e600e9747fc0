#pragma once
// A format text parsed into its edit descriptors. Internal to the record layer.

#include <string>
#include <vector>

#include "records/formatted.h"

namespace kelm::records {

enum class EditKind { kInteger, kFixed, kExponent, kGeneral, kSkip, kLiteral };

struct EditDescriptor {
  EditKind kind = EditKind::kSkip;
  int repeat = 1;       // data descriptors: how many items; X: characters skipped
  int width = 0;        // data descriptors
  bool runTimeWidth = false;
  int digits = 0;       // d of F, E, G
  std::string literal;  // kLiteral, apostrophes undoubled
};

inline bool isDataEdit(EditKind kind) {
  return kind != EditKind::kSkip && kind != EditKind::kLiteral;
}

class Format {
 public:
  explicit Format(std::string_view text);
  // 0, or kBadFormat for a text that is not a format this layer knows.
  int error() const { return error_; }
  const std::vector<EditDescriptor>& edits() const { return edits_; }
  bool hasDataEdit() const { return hasDataEdit_; }

 private:
  int error_ = 0;
  bool hasDataEdit_ = false;
  std::vector<EditDescriptor> edits_;
};

}  // namespace kelm::records
