#pragma once

#include "platform/MessageBox.h"

namespace tapestra {

// Modal Qt message boxes; needs a QApplication.
class QtMessageBox final : public MessageBox {
 public:
  void error(const std::string& text) override;
  void warning(const std::string& text) override;
  void information(const std::string& text) override;
};

}  // namespace tapestra
