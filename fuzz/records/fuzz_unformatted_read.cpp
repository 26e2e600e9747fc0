// Result files walked record by record with item lists of varying length.
#include <cstdint>
#include <vector>

#include "fuzz_input_file.h"
#include "records/unformatted.h"
#include "records/units.h"

using namespace kelm::records;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelm::fuzzing::writeInputFile(data, size);
  if (openUnit(21, {.file = kelm::fuzzing::inputFileName(), .status = "OLD",
                    .form = "unformatted", .action = "read"}) != 0) {
    return 0;
  }
  std::vector<std::uint8_t> item(64);
  for (std::size_t statement = 0; statement < 1000; ++statement) {
    UnformattedRead read(21);
    // The shape of each list comes from the input, so every framing path is reachable.
    const std::size_t items = size > 0 ? data[statement % size] % 8 : 1;
    for (std::size_t n = 0; n < items; ++n) read.readItem(item.data(), n % 2 == 0 ? 4 : 8);
    if (read.end() != 0) break;
  }
  closeUnit(21);
  return 0;
}
