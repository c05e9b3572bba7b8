#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tapestra {
namespace {

TEST(DateTime, KnownDayNumbersAndRoundTrip) {
  EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime({1970, 1, 1}), 25569.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime({2021, 1, 1, 12}), 44197.5);
  const DateTimeParts p{2024, 2, 29, 23, 59, 59, 700};
  const DateTimeParts q = DecodeDateTime(EncodeDateTime(p));
  EXPECT_EQ(std::tie(q.year, q.month, q.day, q.hour, q.minute, q.second, q.millisecond),
            std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond));
}

TEST(DateTime, RoundingToTheMillisecondCarriesIntoTheNextDayMonthAndYear) {
  const TDateTime lastInstant = EncodeDateTime({2021, 12, 31, 23, 59, 59, 999}) + 0.6 / 86400000.0;
  const DateTimeParts p = DecodeDateTime(lastInstant);
  EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond),
            std::make_tuple(2022, 1, 1, 0, 0, 0, 0));
}

TEST(DateTime, AddingADayKeepsTheWallClockTime) {
  TDateTime t = EncodeDateTime({2021, 3, 31, 22, 10, 0, 0});
  t = IncMinute(t, 24 * 60);
  const DateTimeParts p = DecodeDateTime(t);
  EXPECT_EQ(p.month, 4);
  EXPECT_EQ(p.day, 1);
  EXPECT_EQ(p.hour, 22);
  EXPECT_EQ(p.minute, 10);
}

}  // namespace
}  // namespace tapestra
