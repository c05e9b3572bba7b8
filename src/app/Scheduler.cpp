#include "app/Scheduler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tapestra {
namespace {

constexpr double kMsPerDay = 86400000.0;
// Below the precision of a day count near today (about half a microsecond), so a time
// encoded from whole milliseconds is never taken for the millisecond before it.
constexpr double kMsTolerance = 0.002;

// Now with its seconds cleared, the fraction of a second kept. Decoding rounds to the nearest
// millisecond, which in the last half millisecond before a full minute would put now into the
// next minute (at 23:59:59.9996 into the next day, a whole period late); the fields come from
// the whole milliseconds instead and what lies below them is added back.
struct MinuteOfNow {
  DateTimeParts parts;  // second 0
  double belowMs = 0;   // fraction of a millisecond, in milliseconds
  int secondOfDay = 0;  // of now itself
};

MinuteOfNow SplitNow(TDateTime now) {
  const double ms = now * kMsPerDay;
  const double whole = std::floor(ms + kMsTolerance);
  MinuteOfNow result;
  result.parts = DecodeDateTime(whole / kMsPerDay);
  result.belowMs = ms - whole > kMsTolerance ? ms - whole : 0.0;
  result.secondOfDay = (result.parts.hour * 60 + result.parts.minute) * 60 + result.parts.second;
  result.parts.second = 0;
  return result;
}

TDateTime Encode(const MinuteOfNow& t, int hour, int minute) {
  DateTimeParts parts = t.parts;
  parts.hour = hour;
  parts.minute = minute;
  const TDateTime value = EncodeDateTime(parts);
  return t.belowMs > 0 ? value + t.belowMs / kMsPerDay : value;
}

// A hand-edited interval of no length (or a negative one) would put the first change in the
// past and fire on every tick; it gets the hour of the empty interval, as ChangePeriod does.
double IntervalMinutes(const Settings& s) {
  const double minutes = s.IntH * 60.0 + s.IntM;
  return minutes > 0 ? minutes : 60.0;
}

}  // namespace

TimingMode DecidingMode(const Settings& s) {
  if (s.RB_Hr) return TimingMode::Hourly;
  if (s.RB_10) return TimingMode::Every10;
  if (s.RB_30) return TimingMode::Every30;
  if (s.RB_Int) return TimingMode::Interval;
  if (s.RB_Day) return TimingMode::Daily;
  return TimingMode::None;
}

FirstChange ComputeNextChangeTime(Settings& s, TDateTime now) {
  const MinuteOfNow t = SplitNow(now);
  const int h = t.parts.hour;
  const int m = t.parts.minute;
  FirstChange result{Encode(t, h, m), false};
  switch (DecidingMode(s)) {
    case TimingMode::Hourly:
      result.next = IncMinute(Encode(t, h, 0), 60);
      break;
    case TimingMode::Every10:
      result.next = m < 50 ? Encode(t, h, (m / 10 + 1) * 10) : IncMinute(Encode(t, h, 0), 60);
      break;
    case TimingMode::Every30:
      result.next = m < 30 ? Encode(t, h, 30) : IncMinute(Encode(t, h, 0), 60);
      break;
    case TimingMode::Interval:
      if (s.IntH == 0 && s.IntM == 0) s.IntH = 1;
      result.next = IncMinute(result.next, IntervalMinutes(s));
      break;
    case TimingMode::Daily: {
      // A hand-edited time outside the day (the dialog's boxes would show it clamped) must
      // not lie days behind now and fire on every tick until the schedule catches up.
      const int dayH = std::clamp(s.DayH, 0, 23);
      const int dayM = std::clamp(s.DayM, 0, 59);
      result.next = Encode(t, dayH, dayM);
      // now and the daily time share everything below the second, so later means a later
      // second of the day.
      if (t.secondOfDay > (dayH * 60 + dayM) * 60) {
        result.next = IncHour(result.next, 24);
        result.dailyTimePassed = true;
      }
      break;
    }
    case TimingMode::None:
      break;
  }
  return result;
}

double ChangePeriod(const Settings& s, TimingMode mode) {
  switch (mode) {
    case TimingMode::Hourly: return 60.0 / kMinutesPerDay;
    case TimingMode::Every10: return 600.0 / kSecondsPerDay;
    case TimingMode::Every30: return 1800.0 / kSecondsPerDay;
    case TimingMode::Interval: return IntervalMinutes(s) / kMinutesPerDay;
    case TimingMode::Daily: return 24.0 * 60.0 / kMinutesPerDay;
    case TimingMode::None: return 0.0;
  }
  return 0.0;
}

bool IsOmit(const Settings& s, TDateTime now) {
  if (!s.CB_Omit) return false;
  // Wide enough for any hand-edited hour without overflow.
  const std::int64_t from = std::int64_t{s.FM_H} * 100 + s.FM_M;
  const std::int64_t to = std::int64_t{s.TO_H} * 100 + s.TO_M;
  if (from == to) return false;
  const MinuteOfNow t = SplitNow(now);
  const std::int64_t current = t.parts.hour * 100 + t.parts.minute;
  if (from < to) return from < current && current < to;
  return from < current || current < to;
}

}  // namespace tapestra
