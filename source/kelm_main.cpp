#include "source/main_program.h"
#include "window/app.h"

int main(int argc, char** argv) { return kelm::window::runWindowLayer(argc, argv, kelm::mainProgram); }
