#include "ui/Painting.h"

#include <algorithm>

namespace ui {

GradientVertices GradientCorners(int32_t left, int32_t width, int32_t height,
                                 const Gradient& colours) {
  const auto vertex = [](int32_t x, int32_t y, uint32_t colour) {
    return GradientVertex{x, y, ChannelOf(colour, 0), ChannelOf(colour, 1), ChannelOf(colour, 2),
                          0};
  };
  return {vertex(left, 0, colours.topLeft), vertex(width, 0, colours.topRight),
          vertex(width, height, colours.bottomRight), vertex(left, height, colours.bottomLeft)};
}

uint32_t GradientColourAt(const GradientVertices& v, int32_t x, int32_t y) {
  const double px = x + 0.5;
  const double py = y + 0.5;
  // Which side of the diagonal from vertex 0 to vertex 2 the pixel lies on picks the triangle.
  const double cross = (v[2].x - v[0].x) * (py - v[0].y) - (v[2].y - v[0].y) * (px - v[0].x);
  const GradientVertex& a = v[0];
  const GradientVertex& b = v[2];
  const GradientVertex& c = cross <= 0 ? v[1] : v[3];

  const double area =
      static_cast<double>(b.x - a.x) * (c.y - a.y) - static_cast<double>(c.x - a.x) * (b.y - a.y);
  double wa = 1.0, wb = 0.0, wc = 0.0;
  if (area != 0.0) {
    wb = ((px - a.x) * (c.y - a.y) - (c.x - a.x) * (py - a.y)) / area;
    wc = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
    wa = 1.0 - wb - wc;
  }
  const auto channel = [&](uint16_t GradientVertex::*field) {
    const double value = wa * (a.*field) + wb * (b.*field) + wc * (c.*field);
    // Rounded half up; never negative, so cutting off the fraction is taking the floor.
    const double byte = std::clamp(value / 256.0, 0.0, 255.0);
    return static_cast<uint32_t>(byte + 0.5);
  };
  return channel(&GradientVertex::Red) | channel(&GradientVertex::Green) << 8 |
         channel(&GradientVertex::Blue) << 16;
}

}  // namespace ui
