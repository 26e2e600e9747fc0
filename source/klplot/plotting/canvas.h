#pragma once
// The device operations the views and the printed pages draw with. The screen forwards to the
// window layer, the printer to the open print job; tests record the calls so that geometry and
// labels can be checked exactly.

#include <cstdint>
#include <string_view>

namespace kelm::klplot {

// What both devices offer: lines from a current position, and text whose top-left corner
// lies at the current position.
class LineCanvas {
 public:
  virtual ~LineCanvas() = default;
  virtual void moveTo(std::int16_t x, std::int16_t y) = 0;
  virtual void lineTo(std::int16_t x, std::int16_t y) = 0;
  virtual void drawText(std::string_view text) = 0;
};

// A view window: colours and single pixels besides.
class Canvas : public LineCanvas {
 public:
  virtual std::int32_t setDrawColor(std::int32_t rgb) = 0;
  virtual void drawRectangle(int fillMode, std::int16_t x1, std::int16_t y1, std::int16_t x2,
                             std::int16_t y2) = 0;
  virtual void setPixel(std::int16_t x, std::int16_t y) = 0;
  virtual std::int32_t getPixelColor(std::int16_t x, std::int16_t y) = 0;
  virtual std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) = 0;
  virtual std::int32_t windowHeight() const = 0;
};

// A printed page: text measured with the printer font's metrics, and a pen whose width the
// figures change for their data.
class PageCanvas : public LineCanvas {
 public:
  virtual std::int32_t textWidth(std::string_view text) const = 0;  // device units
  virtual std::int32_t textHeight() const = 0;  // the font's height in device units
  // Returns the previous width, so that a figure can put it back.
  virtual std::int32_t setPenWidth(std::int32_t deviceUnits) = 0;
};

}  // namespace kelm::klplot
