#pragma once

// A QApplication for the dialog tests (offscreen), a temporary data folder and the main
// window's logic with fake outside world.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/AppCore.h"
#include "app/DesktopWidgetsStub.h"
#include "app/Fakes.h"
#include "library/UnitPics.h"
#include "support/OffscreenApp.h"
#include "support/TempDir.h"

namespace tapestra::test {

inline QApplication& App() {
  return OffscreenApp("library_ui_tests");
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : core(clock, random, box, changer, widgets) {
    App();
    core.settings().INIPath = dir.file("");
    core.settings().INIFile = "Tapestra.ini";
  }

  // FormCreate runs here: the library is opened (created when missing).
  TFormPics& makePics() {
    pics = std::make_unique<TFormPics>(
        core, box, [this] { ++exits; }, [this] { ++menuChanges; });
    pics->chooseFiles = [this](QWidget*) {
      ++dialogsOpened;
      return chosen;
    };
    return *pics;
  }

  // A group with pictures "/<name>/0" … through the library's own operations.
  RowId addGroup(const std::string& name, int pictures = 0) {
    PictureDatabase& db = pics->database();
    EXPECT_TRUE(db.AddCategory(name));
    std::vector<std::string> paths;
    for (int i = 0; i < pictures; ++i) paths.push_back("/" + name + "/" + std::to_string(i));
    if (!paths.empty()) db.AppendPictures(paths);
    return db.Category_id();
  }

  void autoChangeOn() {
    core.menu().PM_Auto = core.menu().PM_Prev = core.menu().PM_Next = true;
    core.menu().TrayIconIndex = 1;
  }

  static void processEvents() { QCoreApplication::processEvents(); }

  TempDir dir;
  testing::FakeClock clock{testing::At(2024, 5, 17, 10, 20, 37)};
  testing::ScriptedRandom random;
  testing::RecordingMessageBox box;
  testing::RecordingChanger changer;
  DesktopWidgetsStub widgets;
  AppCore core;
  std::unique_ptr<TFormPics> pics;
  QStringList chosen;
  int exits = 0;
  int menuChanges = 0;
  int dialogsOpened = 0;
};

using Paths = std::vector<std::string>;

}  // namespace tapestra::test
