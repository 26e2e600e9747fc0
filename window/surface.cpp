#include "window/surface.h"

namespace kelm::window {
namespace {
// Each thread draws into its own active child, so a callback on the message thread never
// changes the program thread's target.
thread_local Surface* currentSurface = nullptr;
}  // namespace

Surface* activeSurface() { return currentSurface; }
void makeSurfaceActive(Surface* surface) { currentSurface = surface; }

}  // namespace kelm::window
