#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "ui/Countdown.h"
#include "ui/WaitTimer.h"

namespace {

// Stands in for the progress window and the run; the extraction moves the counter and the bar
// the way the workers do.
class RecordingHost final : public ui::WaitTickHost {
 public:
  std::vector<int32_t> bar;
  std::vector<uint32_t> intervals;
  int extractions = 0;
  int installations = 0;
  int configLooks = 0;
  bool configExists = true;
  std::function<void()> insideStep;  // runs inside the extraction and the installation

  void SetBarValue(int32_t value) override { bar.push_back(value); }
  int32_t BarValue() const override { return bar.empty() ? 1 : bar.back(); }
  void SetTimerInterval(uint32_t milliseconds) override { intervals.push_back(milliseconds); }
  void ExtractPayloads(int16_t& counter) override {
    ++extractions;
    EXPECT_EQ(counter, 45);
    for (int16_t value : {50, 60, 65, 70}) {
      counter = value;
      SetBarValue(value);
      if (insideStep) insideStep();
    }
  }
  bool ConfigTextExists() override {
    ++configLooks;
    return configExists;
  }
  void RunInstallation() override {
    ++installations;
    if (insideStep) insideStep();
  }
};

std::vector<int32_t> Range(int32_t from, int32_t to) {
  std::vector<int32_t> values;
  for (int32_t v = from; v <= to; ++v) values.push_back(v);
  return values;
}

std::vector<int32_t> Concat(std::initializer_list<std::vector<int32_t>> parts) {
  std::vector<int32_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(WaitTimer, NormalRunExtractsAt45ResumesFrom70AndInstallsAt85) {
  RecordingHost host;
  ui::WaitTimer timer;
  for (int tick = 0; tick < 45 + 15; ++tick) timer.Tick(host);

  EXPECT_EQ(host.bar, Concat({Range(1, 45), {50, 60, 65, 70}, Range(71, 85)}));
  EXPECT_EQ(host.extractions, 1);
  EXPECT_EQ(host.installations, 1);
  EXPECT_EQ(host.intervals, (std::vector<uint32_t>{3, 1}));
  EXPECT_EQ(timer.ExtractionStarted, run::kTrue);
  EXPECT_EQ(timer.ProgressStep, 85);
}

TEST(WaitTimer, WithoutConfigTextTheCounterWrapsAndLooksAgainAt85) {
  RecordingHost host;
  host.configExists = false;
  ui::WaitTimer timer;
  const int firstPass = 45 + 15 + 14 + 1;  // up to 85, on to 99, then the wrap tick
  for (int tick = 0; tick < firstPass; ++tick) timer.Tick(host);
  EXPECT_EQ(timer.ProgressStep, 1) << "99 wraps to 1";
  // The wrap tick leaves the bar alone: it last showed 99.
  EXPECT_EQ(host.bar.back(), 99);
  EXPECT_EQ(host.configLooks, 1);

  for (int tick = 0; tick < 84; ++tick) timer.Tick(host);  // 2 ... 85, past 45 again
  EXPECT_EQ(host.bar.back(), 85);
  EXPECT_EQ(host.extractions, 1) << "no second extraction when 45 comes round again";
  EXPECT_EQ(host.configLooks, 2);
  EXPECT_EQ(host.installations, 0);

  host.configExists = true;
  for (int tick = 0; tick < 100; ++tick) timer.Tick(host);
  EXPECT_EQ(host.installations, 1) << "the file is found on the next pass of 85";
}

TEST(WaitTimer, AConfigTextThatNeverComesEndsTheCyclingAfterTenLooks) {
  RecordingHost host;
  host.configExists = false;
  ui::WaitTimer timer;
  for (int tick = 0; tick < 60 + 8 * 99; ++tick) timer.Tick(host);
  EXPECT_EQ(host.configLooks, 9);
  EXPECT_EQ(host.installations, 0);
  for (int tick = 0; tick < 99; ++tick) timer.Tick(host);
  EXPECT_EQ(host.configLooks, 10);
  EXPECT_EQ(host.installations, 1) << "the installation runs and reports the missing file";
}

TEST(WaitTimer, TicksInsideARunningStepDoNothing) {
  // A message box inside the extraction or the installation pumps messages and the timer fires.
  RecordingHost host;
  ui::WaitTimer timer;
  host.insideStep = [&] {
    for (int nested = 0; nested < 30; ++nested) timer.Tick(host);
  };
  for (int tick = 0; tick < 45 + 15; ++tick) timer.Tick(host);

  EXPECT_EQ(host.bar, Concat({Range(1, 45), {50, 60, 65, 70}, Range(71, 85)}));
  EXPECT_EQ(host.extractions, 1);
  EXPECT_EQ(host.installations, 1);

  host.insideStep = nullptr;
  timer.Tick(host);
  EXPECT_EQ(host.bar.back(), 86) << "the guard is released once the step returns";
}

TEST(FinishCountdown, FifteenTicksFrom14ThenEnd) {
  const struct {
    const char* counter;
    const char* unit;
    int32_t unitLeft;
  } afterTick[] = {
      {"13", "seconds.)", 3120}, {"12", "seconds.)", 3120}, {"11", "seconds.)", 3120},
      {"10", "seconds.)", 3120}, {"9", "seconds.)", 3000},  {"8", "seconds.)", 3000},
      {"7", "seconds.)", 3000},  {"6", "seconds.)", 3000},  {"5", "seconds.)", 3000},
      {"4", "seconds.)", 3000},  {"3", "seconds.)", 3000},  {"2", "seconds.)", 3000},
      {"1", "second.)", 3000},   {"0", "seconds.)", 3000},
  };
  ui::CountdownLabels labels;
  int tick = 0;
  for (const auto& row : afterTick) {
    ++tick;
    ASSERT_EQ(ui::CountdownTick(labels), ui::CountdownStep::Continue) << "tick " << tick;
    EXPECT_EQ(labels.counter, row.counter) << "tick " << tick;
    EXPECT_EQ(labels.unit, row.unit) << "tick " << tick;
    EXPECT_EQ(labels.unitLeft, row.unitLeft) << "tick " << tick;
  }
  EXPECT_EQ(ui::CountdownTick(labels), ui::CountdownStep::End) << "tick 15";
  EXPECT_EQ(labels.counter, "0");
}

TEST(FinishCountdown, ACounterThatIsNoPositiveNumberEnds) {
  for (const char* caption : {"", "x", "-3", "0"}) {
    ui::CountdownLabels labels;
    labels.counter = caption;
    EXPECT_EQ(ui::CountdownTick(labels, true), ui::CountdownStep::Continue)
        << '"' << caption << "\" held";
    EXPECT_EQ(labels.counter, caption);
    EXPECT_EQ(ui::CountdownTick(labels), ui::CountdownStep::End) << '"' << caption << '"';
  }
}

}  // namespace

// Widths measured under Wine (pixels x 15 twips): the text, "14", the wider unit, line height.
TEST(FinishCountdown, LayoutKeepsTheDesignWhereItFitsAndMakesRoomWhereNot) {
  const struct {
    const char* face;
    int32_t text, counter, unit, line;
    ui::CountdownLayout expected;
  } rows[] = {
      {"MS Sans Serif 8pt", 2730, 180, 690, 195, {}},
      {"Tahoma 8pt: one line, counter and unit further right", 3075, 180, 750, 195,
       {3090, 1560, 1560, 345, 765, 255}},
      {"DejaVu Sans (Wine's Tahoma): counter and unit on a second line", 3330, 210, 810, 195,
       {3345, 1455, 1680, -2760, 825, 225}},
      {"a much wider face: the text is held inside the border", 4800, 300, 1200, 300,
       {4205, 1455, 1680, -2760, 1215, 225}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.face);
    const ui::CountdownLayout got = ui::LayOutCountdown(row.text, row.counter, row.unit, row.line);
    EXPECT_EQ(got.textWidth, row.expected.textWidth);
    EXPECT_EQ(got.textTop, row.expected.textTop);
    EXPECT_EQ(got.numberTop, row.expected.numberTop);
    EXPECT_EQ(got.shift, row.expected.shift);
    EXPECT_EQ(got.unitWidth, row.expected.unitWidth);
    EXPECT_EQ(got.height, row.expected.height);
    // Whatever the layout, the line stays inside the window's inner border.
    EXPECT_LE(3120 + got.shift + got.unitWidth, 4325);
    EXPECT_LE(120 + got.textWidth, 4325);
    EXPECT_LE(got.numberTop + got.height, 1905);
  }
}
