#pragma once

namespace tapestra {

// Local wall-clock date-time as a day count since 30 December 1899; the fraction is the time
// of day. Adding n minutes adds n / 1440, so adding a day keeps the wall-clock time.
using TDateTime = double;

struct DateTimeParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;

TDateTime EncodeDateTime(const DateTimeParts& parts);
// Splits a date-time into its fields, rounded to the nearest millisecond.
DateTimeParts DecodeDateTime(TDateTime value);

inline TDateTime IncMinute(TDateTime value, double minutes) { return value + minutes / kMinutesPerDay; }
inline TDateTime IncSecond(TDateTime value, double seconds) { return value + seconds / kSecondsPerDay; }
inline TDateTime IncHour(TDateTime value, double hours) { return value + hours * 60.0 / kMinutesPerDay; }

}  // namespace tapestra
