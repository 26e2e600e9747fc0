#pragma once
// What the tests of kelm-scan and kelm-optimize share: a program started in the background, a
// bounded wait for what it does, and the CSV tables it writes, read by column name.

#include <gtest/gtest.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "source/command_line_tools/csv.h"
#include "tests/records/temp_directory.h"

namespace kelm::testing {

using Row = std::map<std::string, std::string>;

// The rows of a CSV file below its header, each cell under its column's name.
inline std::vector<Row> csvRows(const std::string& file) {
  std::vector<cli::CsvRow> rows;
  std::string why;
  EXPECT_TRUE(cli::readCsv(TempDirectory::readFile(file), rows, why)) << file << ": " << why;
  std::vector<Row> out;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    Row& row = out.emplace_back();
    for (std::size_t k = 0; k < rows[r].cells.size() && k < rows[0].cells.size(); ++k)
      row[rows[0].cells[k]] = rows[r].cells[k];
  }
  return out;
}

inline double number(const Row& row, const std::string& column) { return std::stod(row.at(column)); }

// A shell command line started as the test's own child, the shell replaced by the program.
inline pid_t spawned(const std::string& command) {
  std::string sh = "sh", c = "-c", line = "exec " + command;
  char* argv[] = {sh.data(), c.data(), line.data(), nullptr};
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ), 0) << command;
  return pid;
}

// Whether done holds within the limit, looked at every 10 ms.
inline bool within(std::chrono::seconds limit, const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

}  // namespace kelm::testing
