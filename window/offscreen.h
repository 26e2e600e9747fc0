#pragma once
// Drawing without a display: Qt on its offscreen platform, and pictures that the operations
// of graphics.h draw into exactly as into the surface of a view window.

#include <memory>
#include <string>
#include <string_view>

namespace kelm::window {

// Qt on the offscreen platform for the lifetime of the object; at most one per process, and
// none where an application object exists already.
class OffscreenSession {
 public:
  OffscreenSession(int& argc, char** argv);
  ~OffscreenSession();
  OffscreenSession(const OffscreenSession&) = delete;
  OffscreenSession& operator=(const OffscreenSession&) = delete;

 private:
  struct Application;
  std::unique_ptr<Application> application_;
};

// A white picture of width x height pixels. With a vector title, every operation drawn into
// it is also recorded as a vector drawing of that title (which starts blank: clear it first).
class OffscreenPicture {
 public:
  OffscreenPicture(int width, int height, std::string_view vectorTitle = {});
  ~OffscreenPicture();  // stops being the graphics target
  OffscreenPicture(const OffscreenPicture&) = delete;
  OffscreenPicture& operator=(const OffscreenPicture&) = delete;

  // Makes the picture the calling thread's graphics target (graphics.h).
  void makeActive();
  // The pixels as a PNG file's bytes; empty when they could not be encoded.
  std::string png() const;
  // Ends the vector recording: the SVG file's bytes; empty without a recording.
  std::string svg();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace kelm::window
