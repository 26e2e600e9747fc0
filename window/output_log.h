#pragma once
// A log: a file (or "-" for standard error) that receives every "Output" record as shown, so
// that scripts and tests can follow the program without reading pixels. Plain C++.

#include <mutex>
#include <string>
#include <string_view>

namespace kelm::window {

class OutputLog {
 public:
  OutputLog() = default;
  ~OutputLog();

  // Opens target for appending without ever waiting: a FIFO without a reader, a directory or
  // a path that cannot be made is refused. Every refusal, and a log that fails later, is told
  // once as one line on the file descriptor complaints, beginning with program and naming
  // the log as variable=target.
  void open(std::string_view target, std::string_view program, std::string_view variable, int complaints);
  bool isOpen() const;
  // One record and its line end. A log that can no longer be written (its reader gone, its
  // disk full) is dropped and the program goes on without it.
  void write(std::string_view record);

 private:
  void complain(const std::string& what);
  void drop(int error);

  mutable std::mutex lock_;
  int fd_ = -1;
  bool owned_ = false;
  std::string target_;
  std::string program_;
  std::string variable_;
  int complaints_ = -1;
};

// The program's one log, opened from the environment variable by startOutputLog at start-up,
// before any directory change, so that a relative name is taken from where the program was
// started.
OutputLog& outputLog();
void startOutputLog(std::string_view program, const char* variable);

}  // namespace kelm::window
