#pragma once

#include <string>

namespace tapestra {

// Message boxes, behind an interface so logic can be tested without a display.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void error(const std::string& text) = 0;        // error icon, a single Abort button
  virtual void warning(const std::string& text) = 0;      // warning icon, OK
  virtual void information(const std::string& text) = 0;  // information icon, OK
};

}  // namespace tapestra
