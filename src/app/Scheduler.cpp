#include "app/Scheduler.h"

namespace tapestra {
namespace {

TDateTime WithMinute(DateTimeParts parts, int minute) {
  parts.minute = minute;
  return EncodeDateTime(parts);
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
  DateTimeParts t = DecodeDateTime(now);
  t.second = 0;  // the fraction of a second stays
  FirstChange result{EncodeDateTime(t), false};
  const int m = t.minute;
  switch (DecidingMode(s)) {
    case TimingMode::Hourly:
      result.next = IncMinute(WithMinute(t, 0), 60);
      break;
    case TimingMode::Every10:
      result.next = m < 50 ? WithMinute(t, (m / 10 + 1) * 10) : IncMinute(WithMinute(t, 0), 60);
      break;
    case TimingMode::Every30:
      result.next = m < 30 ? WithMinute(t, 30) : IncMinute(WithMinute(t, 0), 60);
      break;
    case TimingMode::Interval:
      if (s.IntH == 0 && s.IntM == 0) s.IntH = 1;
      result.next = IncMinute(IncHour(result.next, s.IntH), s.IntM);
      break;
    case TimingMode::Daily: {
      t.hour = s.DayH;
      t.minute = s.DayM;
      result.next = EncodeDateTime(t);
      if (now > result.next) {
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
    case TimingMode::Interval: {
      // A hand-edited negative or empty interval would fire on every tick; use the hour the
      // first-change rule gives an empty interval.
      const double minutes = s.IntH * 60.0 + s.IntM;
      return (minutes > 0 ? minutes : 60.0) / kMinutesPerDay;
    }
    case TimingMode::Daily: return 24.0 * 60.0 / kMinutesPerDay;
    case TimingMode::None: return 0.0;
  }
  return 0.0;
}

bool IsOmit(const Settings& s, TDateTime now) {
  if (!s.CB_Omit) return false;
  const int from = s.FM_H * 100 + s.FM_M;
  const int to = s.TO_H * 100 + s.TO_M;
  if (from == to) return false;
  const DateTimeParts p = DecodeDateTime(now);
  const int current = p.hour * 100 + p.minute;
  if (from < to) return from < current && current < to;
  return from < current || current < to;
}

}  // namespace tapestra
