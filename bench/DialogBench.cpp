// Opening the wallpaper group dialog on a group of 100 000 pictures: until the first rows and
// the preview are on screen (offscreen platform), and the start-up creation with the rotation
// list read from that group.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/AppCore.h"
#include "app/DesktopWidgetsStub.h"
#include "library/UnitPics.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "support/OffscreenApp.h"

namespace tapestra {
namespace {

namespace fs = std::filesystem;

constexpr int kBigGroup = 100000;

class QuietBox final : public MessageBox {
 public:
  void error(const std::string&) override {}
  void warning(const std::string&) override {}
  void information(const std::string&) override {}
};

class NoChanger final : public WallpaperChanger {
 public:
  bool ChangeWallpaper(const std::string&) override { return true; }
};

struct World {
  SystemClock clock;
  SystemRandom random;
  QuietBox box;
  NoChanger changer;
  DesktopWidgetsStub widgets;
  AppCore core{clock, random, box, changer, widgets};
};

QApplication& App() {
  return test::OffscreenApp("dialog_bench");
}

// A data folder whose library holds a small group and, selected and active, a group of
// 100 000 pictures.
World& world() {
  static World* w = [] {
    App();
    auto* created = new World;
    const fs::path dir = fs::temp_directory_path() / ("dialog-bench-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Settings& s = created->core.settings();
    s.INIPath = dir.string() + "/";
    s.INIFile = "Tapestra.ini";
    s.Category = "Big";
    PictureDatabase db;
    if (!db.Open(s.INIPath + "Lumeno.sdb")) throw std::runtime_error(db.lastOpenError());
    db.AddCategory("Small");
    db.AppendPictures({"/home/user/Pictures/a.jpg", "/home/user/Pictures/b.jpg"});
    db.AddCategory("Big");
    std::vector<std::string> paths;
    paths.reserve(kBigGroup);
    for (int i = 0; i < kBigGroup; ++i) {
      paths.push_back("/home/user/Pictures/wallpapers/2023-" + std::to_string(i % 12 + 1) +
                      "/IMG_" + std::to_string(100000 + i) + ".jpg");
    }
    db.AppendPictures(paths);
    return created;
  }();
  return *w;
}

// FormCreate at start-up: the library is opened and, in sequential order, the rotation list
// of the active group (100 000 paths) is read.
void BM_CreateGroupDialog_100k(benchmark::State& state) {
  World& w = world();
  for (auto _ : state) {
    TFormPics pics(w.core, w.box, {}, {});
    benchmark::DoNotOptimize(w.core.Pictures().data());
  }
  state.counters["rotation"] = static_cast<double>(w.core.Pictures().size());
}
BENCHMARK(BM_CreateGroupDialog_100k)->Unit(benchmark::kMillisecond);

// The tray's group command: FormShow re-filters the cursor to the selected group, the grid
// asks for its visible rows, and the window is painted.
void BM_ShowGroupDialog_100k(benchmark::State& state) {
  World& w = world();
  TFormPics pics(w.core, w.box, {}, {});
  pics.database().SelectCategory(1);
  auto* grid = pics.findChild<QTableView*>(QStringLiteral("DBGridPictures"));
  for (auto _ : state) {
    pics.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(grid->model()->rowCount());
    state.PauseTiming();
    pics.hide();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["rows"] = grid->model()->rowCount();
}
BENCHMARK(BM_ShowGroupDialog_100k)->Unit(benchmark::kMillisecond);

// The user scrolls to the end of the big group and back.
void BM_ScrollGroupDialog_100k(benchmark::State& state) {
  World& w = world();
  TFormPics pics(w.core, w.box, {}, {});
  pics.database().SelectCategory(1);
  pics.show();
  QApplication::processEvents();
  auto* grid = pics.findChild<QTableView*>(QStringLiteral("DBGridPictures"));
  for (auto _ : state) {
    pics.PMP_LastClick();
    grid->repaint();
    pics.PMP_FirstClick();
    grid->repaint();
  }
}
BENCHMARK(BM_ScrollGroupDialog_100k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapestra

BENCHMARK_MAIN();
