#pragma once
// Pixel graphics on the active child window of the calling thread. Coordinates are the
// window's pixels, origin top-left; colours are 24-bit RGB with red in the low byte.

#include <cstdint>
#include <string_view>

namespace kelm::window {

inline constexpr std::int32_t kBlack = 0x000000;
inline constexpr std::int32_t kWhite = 0xFFFFFF;

struct PixelPoint {
  std::int16_t x = 0, y = 0;
};

std::int32_t setDrawColor(std::int32_t rgb);        // previous colour, -1 with no active child
std::int32_t setBackgroundColor(std::int32_t rgb);  // previous colour, -1 with no active child
int clearWindow(std::int32_t area);                 // fills with the background colour
void moveTo(std::int16_t x, std::int16_t y, PixelPoint* previous = nullptr);
int lineTo(std::int16_t x, std::int16_t y);         // non-zero on success
enum FillMode : int { kOutline = 2, kFilled = 3 };
int drawRectangle(int fillMode, std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2);
std::int32_t setPixel(std::int16_t x, std::int16_t y);    // -1 outside the surface
std::int32_t getPixelColor(std::int16_t x, std::int16_t y);  // RGB, -1 outside
std::int32_t surfaceHeight();  // pixel rows of the drawing surface, 0 with no active one
std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb);  // previous RGB
void drawText(std::string_view text);  // full length, trailing blanks included

// Fonts: registry of the display's fonts and selection by option string ("t'Arial'h19'b").
int registerFonts();                      // count, 0 none, -1 no active child
int selectFont(std::string_view options);  // font number (from 1), or -1
int graphicsStatus();                     // status of the last graphics operation

}  // namespace kelm::window
