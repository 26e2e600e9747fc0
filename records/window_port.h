#pragma once
// How the record layer reaches the windows without knowing anything about them.
// The window layer registers its port at start-up; tests register a fake one.

#include <string_view>

namespace kelm::records {

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Opens a child window for a unit opened on the file "USER"; false when none can be made.
  virtual bool openWindow(int unit, std::string_view title) = 0;
  // Removes the child window of a window unit.
  virtual void closeWindow(int unit) = 0;
  // One finished text record for a window unit; unit 0 is the "Output" window, which also
  // receives every record of the default output unit.
  virtual void writeRecord(int unit, std::string_view record) = 0;
  // A failing statement without an error branch: show the run-time error and end the program.
  [[noreturn]] virtual void runtimeError(int number, std::string_view message) = 0;
  // A line for the program's log alone, never shown: why a file could not be opened, where
  // the program's own message only says "not found".
  virtual void logNote(std::string_view /*note*/) {}
};

// nullptr restores the console port: records to standard output, errors to standard error.
void setWindowPort(WindowPort* port);
WindowPort& windowPort();

}  // namespace kelm::records
