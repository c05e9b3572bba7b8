#pragma once

#include <memory>
#include <string>

class QLockFile;

namespace tapestra {

// A per-user lock held for the life of the process; a second start finds it taken.
class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process now holds the lock; false when another one holds it.
  bool acquire();

 private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace tapestra
