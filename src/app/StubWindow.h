#pragma once

#include <QWidget>

namespace tapestra {

// Stands in for a window that is not built yet, so the start-up order stays the real one.
// It is never shown and does nothing.
class StubWindow final : public QWidget {
 public:
  explicit StubWindow(const char* name) { setObjectName(QString::fromLatin1(name)); }
};

}  // namespace tapestra
