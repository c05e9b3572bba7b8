#include "platform/Random.h"

#include <chrono>

namespace tapestra {

void SystemRandom::seedFromClock() {
  engine_.seed(static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

int SystemRandom::below(int n) {
  return std::uniform_int_distribution<int>(0, n - 1)(engine_);
}

}  // namespace tapestra
