#pragma once
// SHA-256 of the files a solve read and wrote, as lower-case hex, so that a record names them
// by content.

#include <string>
#include <string_view>

namespace kelm::projectfiles {

std::string sha256Hex(std::string_view bytes);

// The hash of the regular file at path; false (hex empty) when it is missing, not a regular
// file or unreadable.
bool fileSha256(const std::string& path, std::string& hex);

}  // namespace kelm::projectfiles
