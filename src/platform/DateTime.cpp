#include "platform/DateTime.h"

#include <cmath>
#include <cstdint>

namespace tapestra {
namespace {

// Days between 1970-01-01 and a civil date (H. Hinnant, "chrono-compatible low-level date
// algorithms", days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr std::int64_t kEpochOffset = 25569;  // 1970-01-01 in the 1899-12-30 day count
constexpr std::int64_t kMsPerDay = 86400000;

}  // namespace

TDateTime EncodeDateTime(const DateTimeParts& p) {
  const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) + kEpochOffset);
  const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
  return days + ms / static_cast<double>(kMsPerDay);
}

DateTimeParts DecodeDateTime(TDateTime value) {
  // Whole milliseconds from the epoch of the day count; days before it still count their
  // time of day forward from midnight.
  const auto total = static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMsPerDay)));
  std::int64_t days = total / kMsPerDay;
  std::int64_t ms = total % kMsPerDay;
  if (ms < 0) {
    ms += kMsPerDay;
    --days;
  }
  DateTimeParts p;
  CivilFromDays(days - kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

}  // namespace tapestra
