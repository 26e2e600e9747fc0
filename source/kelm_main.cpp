#include "source/command_line.h"
#include "source/program/main_program.h"
#include "source/program/program_words.h"
#include "window/app.h"

int main(int argc, char** argv) {
  if (const auto exitCode = kelm::answerCommandLine(argc, argv)) return *exitCode;
  return kelm::window::runWindowLayer(argc, argv, kelm::mainProgram, kelm::kLogVariable,
                                      kelm::kPrintWords);
}
