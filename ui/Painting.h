#pragma once
// The four-corner gradient both windows paint: vertex records and, where the platform has no
// gradient fill, the colour of each pixel worked out here.
#include <array>
#include <cstdint>

namespace ui {

// Colours are 0x00BBGGRR, red in the low byte.
struct Gradient {
  uint32_t topLeft, topRight, bottomRight, bottomLeft;
};

// The windows' background and their title strips.
inline constexpr Gradient kWindowGradient{0xE55500, 0xE89675, 0xF2B496, 0xFFFFFF};
inline constexpr Gradient kStripGradient{0xD97726, 0xA87200, 0x750000, 0xD97726};
inline constexpr uint32_t kBackColour = 0xD97726;  // RGB (38, 119, 217)
inline constexpr uint32_t kWhite = 0xFFFFFF;

// Laid out as the platform's TRIVERTEX.
struct GradientVertex {
  int32_t x;
  int32_t y;
  uint16_t Red;
  uint16_t Green;
  uint16_t Blue;
  uint16_t Alpha;
};
using GradientVertices = std::array<GradientVertex, 4>;

// The two triangles (0, 1, 2) and (0, 2, 3), as GRADIENT_TRIANGLE records.
inline constexpr uint32_t kGradientTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};

// Colour byte 0 (red), 1 (green) or 2 (blue) as a 16-bit channel value: the byte times 256.
constexpr uint16_t ChannelOf(uint32_t colour, int byte) {
  return static_cast<uint16_t>(((colour >> (8 * byte)) & 0xFF) << 8);
}

// Vertices 0 = (left, 0), 1 = (width, 0), 2 = (width, height), 3 = (left, height) with the
// corner colours top left, top right, bottom right, bottom left. The window's gradient starts
// at 0, a title strip's at 40 pixels.
GradientVertices GradientCorners(int32_t left, int32_t width, int32_t height,
                                 const Gradient& colours);

// The colour (0x00BBGGRR) of the pixel at (x, y) as the two-triangle gradient paints it: linear
// within each triangle, sampled at the pixel's centre.
uint32_t GradientColourAt(const GradientVertices& vertices, int32_t x, int32_t y);

}  // namespace ui
