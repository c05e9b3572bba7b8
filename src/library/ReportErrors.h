#pragma once

#include <exception>

#include "platform/MessageBox.h"

namespace tapestra {

// Runs a dialog's handler. A database error is shown in an error box and the dialog stays
// usable: nothing may escape into Qt's event loop.
template <class F>
void ReportErrors(MessageBox& box, F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    box.error(e.what());
  }
}

}  // namespace tapestra
