#pragma once

// The one QApplication of a test or benchmark program, on the offscreen platform, so windows
// are made, shown and painted without a display.

#include <QApplication>
#include <string>

namespace tapestra::test {

// Made on the first call, with programName as its argv[0]; later calls return the same one.
inline QApplication& OffscreenApp(const char* programName) {
  static std::string name = programName;
  static int argc = 1;
  static char* argv[] = {name.data(), nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace tapestra::test
