#include <gtest/gtest.h>

#include "ui/Painting.h"
#include "ui/Twips.h"

namespace {

TEST(Twips, RoundingAndPixelSizes) {
  const struct {
    double value;
    int32_t rounded;
  } roundings[] = {{2446.5, 2446}, {2447.5, 2448}, {0.5, 0},    {1.5, 2},
                   {-0.5, 0},      {-1.5, -2},     {2.4999, 2}, {3.51, 4}};
  for (const auto& row : roundings)
    EXPECT_EQ(ui::RoundHalfEven(row.value), row.rounded) << row.value;

  // At 96 dpi a pixel is 15 twips, as the windows were drawn; other scales follow the dpi.
  const struct {
    int32_t twips, dpi, pixels;
  } positions[] = {{330, 96, 22},    {29, 96, 2},      {4635, 96, 309},   {-230, 96, -15},
                   {4635, 192, 618}, {-230, 192, -31}, {4635, 144, 464},  {15, 144, 2},
                   {4635, 120, 386}, {15, 120, 1},     {65 * 15, 144, 98}};
  for (const auto& row : positions)
    EXPECT_EQ(ui::TwipsToPixels(row.twips, row.dpi), row.pixels)
        << row.twips << " twips at " << row.dpi;

  const struct {
    double size;
    int32_t dpi, pixels;
  } targets[] = {{4635, 96, 309}, {1935, 96, 129},  {4575, 96, 305}, {255, 96, 17},
                 {4365, 96, 291}, {4310, 96, 287},  {14.5, 96, 0},   {29.5, 96, 2},
                 {0.977, 96, 0},  {4575, 192, 610}, {255, 144, 25}};
  for (const auto& row : targets)
    EXPECT_EQ(ui::PaintPixels(row.size, row.dpi), row.pixels)
        << row.size << " twips at " << row.dpi;
}

TEST(Painting, VerticesOfWindowAndStrip) {
  const struct {
    const char* name;
    int32_t left, width, height;
    ui::Gradient colours;
    int32_t xs[4], ys[4];
  } rows[] = {
      {"progress window", 0, 309, 129, ui::kWindowGradient, {0, 309, 309, 0}, {0, 0, 129, 129}},
      {"progress strip", 40, 305, 17, ui::kStripGradient, {40, 305, 305, 40}, {0, 0, 17, 17}},
      {"finish strip", 40, 287, 17, ui::kStripGradient, {40, 287, 287, 40}, {0, 0, 17, 17}},
  };
  for (const auto& row : rows) {
    const ui::GradientVertices v =
        ui::GradientCorners(row.left, row.width, row.height, row.colours);
    const uint32_t corners[4] = {row.colours.topLeft, row.colours.topRight, row.colours.bottomRight,
                                 row.colours.bottomLeft};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(v[i].x, row.xs[i]) << row.name << " vertex " << i;
      EXPECT_EQ(v[i].y, row.ys[i]) << row.name << " vertex " << i;
      EXPECT_EQ(v[i].Red, (corners[i] & 0xFF) << 8) << row.name << " vertex " << i;
      EXPECT_EQ(v[i].Green, corners[i] & 0xFF00) << row.name << " vertex " << i;
      EXPECT_EQ(v[i].Blue, (corners[i] >> 8) & 0xFF00) << row.name << " vertex " << i;
      EXPECT_EQ(v[i].Alpha, 0) << row.name << " vertex " << i;
    }
  }
  EXPECT_EQ(ui::ChannelOf(ui::kBackColour, 0), 0x2600);
  EXPECT_EQ(ui::ChannelOf(ui::kBackColour, 1), 0x7700);
  EXPECT_EQ(ui::ChannelOf(ui::kBackColour, 2), 0xD900);
}

int Distance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, std::abs(d));
  }
  return worst;
}

TEST(Painting, InterpolatedGradientMeetsTheCornersAndIsLinearPerTriangle) {
  const ui::GradientVertices v = ui::GradientCorners(0, 309, 129, ui::kWindowGradient);
  const struct {
    const char* name;
    int32_t x, y;
    uint32_t expected;
    int tolerance;
  } rows[] = {
      {"top left", 0, 0, 0xE55500, 2},
      {"top right", 308, 0, 0xE89675, 2},
      {"bottom right", 308, 128, 0xF2B496, 2},
      {"bottom left", 0, 128, 0xFFFFFF, 2},
      // On the diagonal both triangles agree: halfway between top left and bottom right.
      {"middle of the diagonal", 154, 64, 0xEB854B, 2},
      // Middle of the top edge: only the top-left and top-right corners take part.
      {"middle of the top edge", 154, 0, 0xE6763A, 2},
  };
  for (const auto& row : rows) {
    const uint32_t colour = ui::GradientColourAt(v, row.x, row.y);
    EXPECT_LE(Distance(colour, row.expected), row.tolerance)
        << row.name << std::hex << ": got " << colour << ", expected " << row.expected;
  }
}

}  // namespace
