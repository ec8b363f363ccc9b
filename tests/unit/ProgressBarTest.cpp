#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/VistaProg.h"

namespace {

using ui::CapPicture;

ui::VistaProg PlacedBar(int32_t width) {
  ui::VistaProg bar;
  bar.InitProperties();
  bar.Resize(width, 330);
  return bar;
}

TEST(VistaProg, BarGeometryFollowsValueOverMax) {
  const struct {
    const char* name;
    int32_t max, value, width;
    int32_t barWidth;
    CapPicture left, right;
  } rows[] = {
      {"empty bar hides under the left cap", 100, 0, 3495, 15, CapPicture::Empty,
       CapPicture::Empty},
      {"one percent", 100, 1, 3495, 35, CapPicture::Filled, CapPicture::Empty},
      {"half goes to the even neighbour", 100, 70, 3495, 2446, CapPicture::Filled,
       CapPicture::Empty},
      {"another half, down to the even neighbour", 100, 30, 3495, 1048, CapPicture::Filled,
       CapPicture::Empty},  // 1048.5
      {"full bar", 100, 100, 3495, 3495, CapPicture::Filled, CapPicture::Filled},
      {"small max", 3, 2, 3495, 2330, CapPicture::Filled, CapPicture::Empty},
      {"max 1 is full at 1", 1, 1, 1980, 1980, CapPicture::Filled, CapPicture::Filled},
  };
  for (const auto& row : rows) {
    ui::VistaProg bar = PlacedBar(row.width);
    bar.SetMax(row.max);
    bar.SetValue(row.value);
    const ui::BarLayout& layout = bar.Layout();
    EXPECT_EQ(layout.barMain.width, row.barWidth) << row.name;
    EXPECT_EQ(layout.leftCap, row.left) << row.name;
    EXPECT_EQ(layout.rightCap, row.right) << row.name;
    EXPECT_EQ(layout.barMain.left, 0) << row.name;
  }
}

TEST(VistaProg, ResizeKeepsTheHeightAndPutsTheRightCapFlush) {
  ui::VistaProg bar = PlacedBar(3495);
  EXPECT_EQ(bar.Layout().height, 325);
  EXPECT_EQ(bar.Layout().barRight.left, 3465);
  EXPECT_EQ(bar.Layout().barBack.width, 3495);
  bar.SetValue(50);
  bar.Resize(2000, 900);
  EXPECT_EQ(bar.Layout().height, 325);
  EXPECT_EQ(bar.Layout().barRight.left, 1970);
  EXPECT_EQ(bar.Layout().barMain.width, 1000) << "the bar is redrawn for the new width";
  // Back to zero: the bar shrinks to its stub and both caps empty again.
  bar.SetValue(0);
  EXPECT_EQ(bar.Layout().barMain.width, 15);
  EXPECT_EQ(bar.Layout().leftCap, CapPicture::Empty);
}

TEST(VistaProg, SettersClamp) {
  const struct {
    const char* name;
    int32_t min, max, value;  // applied in this order: Max, Min, Value, then the step
    char property;            // the setter under test
    int32_t argument;
    int32_t expectMin, expectMax, expectValue;
  } rows[] = {
      {"value above max", 0, 100, 1, 'V', 150, 0, 100, 100},
      {"value below min", 10, 100, 50, 'V', 3, 10, 100, 10},
      {"value extreme low", 0, 100, 1, 'V', INT32_MIN, 0, 100, 0},
      {"max 0 stores 1", 0, 100, 1, 'X', 0, 0, 1, 1},
      {"max negative stores 1", 0, 100, 0, 'X', -5, 0, 1, 0},
      {"max at or below min is min + 1, value pulled down", 7, 100, 50, 'X', 5, 7, 8, 8},
      {"max below value pulls value down", 0, 100, 90, 'X', 60, 0, 60, 60},
      {"min negative stores 0", 5, 100, 50, 'N', -3, 0, 100, 50},
      {"min at max stores max - 1, value pulled up", 0, 100, 10, 'N', 100, 99, 100, 99},
      {"min above max", 0, 100, 10, 'N', INT32_MAX, 99, 100, 99},
  };
  for (const auto& row : rows) {
    ui::VistaProg bar = PlacedBar(3495);
    bar.SetMax(row.max);
    bar.SetMin(row.min);
    bar.SetValue(row.value);
    if (row.property == 'V') bar.SetValue(row.argument);
    if (row.property == 'X') bar.SetMax(row.argument);
    if (row.property == 'N') bar.SetMin(row.argument);
    EXPECT_EQ(bar.Min(), row.expectMin) << row.name;
    EXPECT_EQ(bar.Max(), row.expectMax) << row.name;
    EXPECT_EQ(bar.Value(), row.expectValue) << row.name;
  }
}

TEST(VistaProg, PropertyBagDefaultsAndDamagedEntries) {
  const struct {
    const char* name;
    std::map<std::string, std::string> entries;
    int32_t max, min, value;
  } rows[] = {
      {"empty bag", {}, 100, 0, 1},
      {"stored values", {{"Max", "50"}, {"Min", "5"}, {"Value", "20"}}, 50, 5, 20},
      {"damaged max is skipped, the rest read", {{"Max", "lots"}, {"Value", "70"}}, 100, 0, 70},
      {"stored value outside the range", {{"Max", "10"}, {"Value", "99"}}, 10, 0, 10},
  };
  for (const auto& row : rows) {
    ui::VistaProg bar;
    ui::PropertyBag bag;
    bag.entries = row.entries;
    bar.ReadProperties(bag);
    EXPECT_EQ(bar.Max(), row.max) << row.name;
    EXPECT_EQ(bar.Min(), row.min) << row.name;
    EXPECT_EQ(bar.Value(), row.value) << row.name;
  }

  ui::VistaProg bar = PlacedBar(3495);
  ui::PropertyBag saved;
  bar.WriteProperties(saved);
  EXPECT_TRUE(saved.entries.empty()) << "defaults are not stored";
  bar.SetValue(42);
  bar.WriteProperties(saved);
  EXPECT_EQ(saved.entries, (std::map<std::string, std::string>{{"Value", "42"}}));
}

TEST(VistaProg, ContainerHearsEachChange) {
  std::vector<std::string> changes;
  ui::VistaProg bar([&](const char* property) { changes.push_back(property); });
  bar.InitProperties();
  bar.SetValue(80);
  changes.clear();
  bar.SetMax(50);  // pulls Value down through its own setter first
  EXPECT_EQ(changes, (std::vector<std::string>{"Value", "Max"}));
}

TEST(VistaProg, CapPicturesUseTheOuterColumnAtTheControlsEdge) {
  EXPECT_EQ(&ui::LeftCapPicture(CapPicture::Empty).left, &ui::kCapOuterColumn);
  EXPECT_EQ(&ui::LeftCapPicture(CapPicture::Filled).right, &ui::kCapInnerFilledColumn);
  EXPECT_EQ(&ui::RightCapPicture(CapPicture::Empty).right, &ui::kCapOuterColumn);
  EXPECT_EQ(&ui::RightCapPicture(CapPicture::Empty).left, &ui::kCapInnerEmptyColumn);
}

}  // namespace
