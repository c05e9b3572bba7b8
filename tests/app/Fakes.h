#pragma once

#include <string>
#include <vector>

#include "app/AppCore.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

namespace tapestra::testing {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(TDateTime start = 0) : now_(start) {}
  TDateTime now() const override { return now_; }
  void set(TDateTime t) { now_ = t; }
  void advanceSeconds(double s) { now_ = IncSecond(now_, s); }

 private:
  TDateTime now_;
};

// Plays back the given draws (modulo n), then repeats the last one.
class ScriptedRandom final : public Random {
 public:
  explicit ScriptedRandom(std::vector<int> draws = {0}) : draws_(std::move(draws)) {}
  void seedFromClock() override { ++seeds; }
  int below(int n) override {
    const int value = draws_[next_ < draws_.size() ? next_++ : draws_.size() - 1];
    return value % n;
  }
  int seeds = 0;

 private:
  std::vector<int> draws_;
  std::size_t next_ = 0;
};

class RecordingMessageBox final : public MessageBox {
 public:
  void error(const std::string& text) override { errors.push_back(text); }
  void warning(const std::string& text) override { warnings.push_back(text); }
  void information(const std::string& text) override { informations.push_back(text); }
  std::vector<std::string> errors, warnings, informations;
};

class RecordingChanger final : public WallpaperChanger {
 public:
  bool ChangeWallpaper(const std::string& fileName) override {
    shown.push_back(fileName);
    return true;
  }
  std::vector<std::string> shown;
};

inline TDateTime At(int y, int mo, int d, int h, int mi, int s = 0, int ms = 0) {
  return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

}  // namespace tapestra::testing
