#pragma once

#include "app/Settings.h"
#include "platform/DateTime.h"

namespace tapestra {

// The timing modes in the order in which the first true flag decides.
enum class TimingMode { Hourly, Every10, Every30, Interval, Daily, None };
TimingMode DecidingMode(const Settings& s);

struct FirstChange {
  TDateTime next = 0;
  bool dailyTimePassed = false;  // daily mode only: today's time already lay behind
};

// When the first change after now is due. In interval mode an interval of 0 h 0 min becomes
// 1 h, in the model. Without a periodic mode the result is now with its seconds cleared.
FirstChange ComputeNextChangeTime(Settings& s, TDateTime now);

// The period by which a due change moves the schedule on, in days; 0 without a periodic mode.
double ChangePeriod(const Settings& s, TimingMode mode);

// True when a scheduled change must be skipped now: inside the omit window, both boundary
// minutes excluded, a window past midnight allowed.
bool IsOmit(const Settings& s, TDateTime now);

}  // namespace tapestra
