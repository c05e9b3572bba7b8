#include "app/Scheduler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "Fakes.h"

namespace tapestra {
namespace {

using testing::At;

// A moment that lies between two whole milliseconds, as a clock finer than ours may give.
TDateTime AtFraction(int y, int mo, int d, int h, int mi, int sec, double ms) {
  return At(y, mo, d, h, mi, sec) + ms / 86400000.0;
}

Settings WithMode(TimingMode mode) {
  Settings s;
  s.RB_OS = false;
  switch (mode) {
    case TimingMode::Hourly: s.RB_Hr = true; break;
    case TimingMode::Every10: s.RB_10 = true; break;
    case TimingMode::Every30: s.RB_30 = true; break;
    case TimingMode::Interval: s.RB_Int = true; break;
    case TimingMode::Daily: s.RB_Day = true; break;
    case TimingMode::None: s.RB_OS = true; break;
  }
  return s;
}

struct NextCase {
  const char* name;
  TimingMode mode;
  TDateTime now;
  TDateTime expected;
  bool dailyPassed;
  int intH = 1, intM = 0, dayH = 12, dayM = 0;
};

class ComputeNextChangeTimeTest : public ::testing::TestWithParam<NextCase> {};

TEST_P(ComputeNextChangeTimeTest, FirstChange) {
  const NextCase& c = GetParam();
  Settings s = WithMode(c.mode);
  std::tie(s.IntH, s.IntM, s.DayH, s.DayM) = std::tie(c.intH, c.intM, c.dayH, c.dayM);
  const FirstChange first = ComputeNextChangeTime(s, c.now);
  EXPECT_NEAR(first.next, c.expected, 1e-9) << c.name;
  EXPECT_EQ(first.dailyTimePassed, c.dailyPassed);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ComputeNextChangeTimeTest,
    ::testing::Values(
        NextCase{"hourly keeps the fraction of a second", TimingMode::Hourly, At(2021, 1, 4, 9, 59, 59, 700),
                 At(2021, 1, 4, 10, 0, 0, 700), false},
        NextCase{"hourly at midnight", TimingMode::Hourly, At(2021, 12, 31, 23, 30), At(2022, 1, 1, 0, 0), false},
        NextCase{"10 min strictly next", TimingMode::Every10, At(2021, 1, 4, 12, 10, 25), At(2021, 1, 4, 12, 20), false},
        NextCase{"10 min at :50", TimingMode::Every10, At(2021, 1, 4, 12, 50), At(2021, 1, 4, 13, 0), false},
        NextCase{"10 min at :09", TimingMode::Every10, At(2021, 1, 4, 12, 9, 59), At(2021, 1, 4, 12, 10), false},
        NextCase{"30 min before half", TimingMode::Every30, At(2021, 1, 4, 12, 29, 59), At(2021, 1, 4, 12, 30), false},
        NextCase{"30 min at half", TimingMode::Every30, At(2021, 1, 4, 12, 30), At(2021, 1, 4, 13, 0), false},
        NextCase{"interval", TimingMode::Interval, At(2021, 1, 4, 12, 5, 30), At(2021, 1, 4, 14, 20), false, 2, 15},
        NextCase{"interval a week", TimingMode::Interval, At(2021, 1, 4, 12, 0), At(2021, 1, 11, 12, 59), false, 168, 59},
        NextCase{"daily still ahead", TimingMode::Daily, At(2021, 1, 4, 11, 0), At(2021, 1, 4, 12, 0), false},
        NextCase{"daily passed", TimingMode::Daily, At(2021, 1, 4, 13, 0), At(2021, 1, 5, 12, 0), true},
        NextCase{"daily at the very minute", TimingMode::Daily, At(2021, 1, 4, 12, 0, 0), At(2021, 1, 4, 12, 0), false},
        NextCase{"daily seconds past", TimingMode::Daily, At(2021, 1, 4, 12, 0, 1), At(2021, 1, 5, 12, 0), true},
        // Rounding now to the millisecond must not carry it into the next minute.
        NextCase{"hourly in the last half millisecond of an hour", TimingMode::Hourly,
                 AtFraction(2021, 1, 4, 10, 59, 59, 999.6), AtFraction(2021, 1, 4, 11, 0, 0, 999.6), false},
        NextCase{"10 min in the last half millisecond before :20", TimingMode::Every10,
                 AtFraction(2021, 1, 4, 12, 19, 59, 999.7), AtFraction(2021, 1, 4, 12, 20, 0, 999.7), false},
        NextCase{"daily passed, half a millisecond before midnight", TimingMode::Daily,
                 AtFraction(2021, 1, 4, 23, 59, 59, 999.6), AtFraction(2021, 1, 5, 12, 0, 0, 999.6), true},
        // Hand-edited values outside the dialog's ranges.
        NextCase{"daily hour below the day is midnight", TimingMode::Daily, At(2021, 1, 4, 11, 0),
                 At(2021, 1, 5, 0, 0), true, 1, 0, -30, 0},
        NextCase{"daily time beyond the day is 23:59", TimingMode::Daily, At(2021, 1, 4, 11, 0),
                 At(2021, 1, 4, 23, 59), false, 1, 0, 99, 99},
        NextCase{"negative interval waits an hour", TimingMode::Interval, At(2021, 1, 4, 12, 5, 30),
                 At(2021, 1, 4, 13, 5), false, -5, 0},
        NextCase{"at start only", TimingMode::None, At(2021, 1, 4, 12, 34, 56, 250), At(2021, 1, 4, 12, 34, 0, 250), false}));

TEST(ComputeNextChangeTime, EmptyIntervalBecomesOneHourInTheModel) {
  Settings s = WithMode(TimingMode::Interval);
  s.IntH = 0;
  s.IntM = 0;
  EXPECT_NEAR(ComputeNextChangeTime(s, At(2021, 1, 4, 8, 0)).next, At(2021, 1, 4, 9, 0), 1e-9);
  EXPECT_EQ(s.IntH, 1);
}

TEST(ComputeNextChangeTime, FirstTrueFlagDecides) {
  Settings s = WithMode(TimingMode::Daily);
  s.RB_30 = true;
  s.RB_OS = true;
  EXPECT_EQ(DecidingMode(s), TimingMode::Every30);
}

TEST(IsOmit, BoundaryMinutesLieOutsideTheWindow) {
  struct Case {
    int fromH, fromM, toH, toM, h, m;
    bool omitted;
  } cases[] = {
      {22, 0, 6, 0, 22, 0, false}, {22, 0, 6, 0, 22, 1, true},  {22, 0, 6, 0, 23, 59, true},
      {22, 0, 6, 0, 0, 0, true},   {22, 0, 6, 0, 5, 59, true},  {22, 0, 6, 0, 6, 0, false},
      {22, 0, 6, 0, 12, 0, false}, {9, 30, 17, 0, 9, 30, false}, {9, 30, 17, 0, 9, 31, true},
      {9, 30, 17, 0, 16, 59, true}, {9, 30, 17, 0, 17, 0, false}, {8, 0, 8, 0, 12, 0, false},
  };
  for (const Case& c : cases) {
    Settings s;
    s.CB_Omit = true;
    std::tie(s.FM_H, s.FM_M, s.TO_H, s.TO_M) = std::tie(c.fromH, c.fromM, c.toH, c.toM);
    EXPECT_EQ(IsOmit(s, At(2021, 1, 4, c.h, c.m, 30)), c.omitted)
        << c.fromH << ":" << c.fromM << "-" << c.toH << ":" << c.toM << " at " << c.h << ":" << c.m;
    s.CB_Omit = false;
    EXPECT_FALSE(IsOmit(s, At(2021, 1, 4, c.h, c.m, 30)));
  }
}

TEST(IsOmit, HandEditedHoursFarOutsideTheDayDoNotOverflow) {
  Settings s;
  s.CB_Omit = true;
  std::tie(s.FM_H, s.FM_M, s.TO_H, s.TO_M) = std::make_tuple(INT32_MAX, 59, 6, 0);
  // The window starts after every time of day and ends at 06:00.
  EXPECT_TRUE(IsOmit(s, At(2021, 1, 4, 5, 0)));
  EXPECT_FALSE(IsOmit(s, At(2021, 1, 4, 12, 0)));
}

TEST(IsOmit, TheLastHalfMillisecondBeforeTheWindowIsStillOutside) {
  Settings s;
  s.CB_Omit = true;
  std::tie(s.FM_H, s.FM_M, s.TO_H, s.TO_M) = std::make_tuple(22, 0, 6, 0);
  EXPECT_FALSE(IsOmit(s, AtFraction(2021, 1, 4, 22, 0, 59, 999.7)));
}

}  // namespace
}  // namespace tapestra
