#pragma once
// A project's input files (geom.cod, klinput.dat, a field file) read whole, refusing what is not
// a regular file before reading from it: a FIFO would wait for a writer for ever.

#include <cstddef>
#include <string>

namespace kelm::projectfiles {

enum class InputRead { kOk, kMissing, kNotRegular, kTooLong, kUnreadable };

// At most limit bytes; one more makes kTooLong. why says what the file is ("a FIFO, not a
// regular file") or what failed, for kNotRegular and kUnreadable.
InputRead readInputFile(const std::string& path, std::size_t limit, std::string& text, std::string& why);

// "geom.cod not found", "geom.cod: a FIFO, not a regular file", ...: one line for a failed read.
std::string inputFailure(const std::string& name, InputRead read, const std::string& why);

}  // namespace kelm::projectfiles
