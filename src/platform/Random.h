#pragma once

#include <cstdint>
#include <random>

namespace tapestra {

// Uniform draws for the shuffles; tests inject a seeded or scripted source.
class Random {
 public:
  virtual ~Random() = default;
  // Re-seeds from the clock (real source) or does nothing (test sources).
  virtual void seedFromClock() = 0;
  // A uniformly chosen integer in 0 … n − 1; n > 0.
  virtual int below(int n) = 0;
};

class SystemRandom final : public Random {
 public:
  void seedFromClock() override;
  int below(int n) override;

 private:
  std::mt19937_64 engine_{std::random_device{}()};
};

}  // namespace tapestra
