// Text project files read with every input format of the program and list-directed.
#include <array>
#include <string_view>

#include "fuzz_input_file.h"
#include "records/formatted.h"
#include "records/units.h"

using namespace kelm::records;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::int32_t i = 0, j = 0, k = 0;
  float r = 0, z = 0;
  double wide = 0;
  (void)readInternal(text, "(5X,I5,6X,I5,7X,F7.4)", i, j, r);
  (void)readInternal(text, "(3I5,5X,2F10.5)", i, j, k, r, z);
  (void)readInternal(text, "(2X,F15.3,3X,I5)", wide, i);
  (void)readListInternal(text, r, i);

  kelm::fuzzing::writeInputFile(data, size);
  if (openUnit(23, {.file = kelm::fuzzing::inputFileName(), .status = "OLD", .action = "read"}) != 0) {
    return 0;
  }
  std::array<char, 12> word{};
  for (int statement = 0; statement < 200; ++statement) {
    int status;
    switch (statement % 5) {
      case 0: status = read(23, "(3X,I6)", i); break;
      case 1: status = read(23, "(3X,E12.4,4X,E12.4)", r, z); break;
      case 2: status = read(23, "(6X,I4)", i); break;
      case 3: status = readList(23, r, z, i, std::span<char>(word)); break;
      default: status = readList(23, wide, wide, wide); break;
    }
    if (status < 0) break;
  }
  closeUnit(23);
  return 0;
}
