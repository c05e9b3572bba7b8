// The picture library at the sizes the rotation and the group dialog must handle.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/PictureDatabase.h"

namespace tapestra {
namespace {

namespace fs = std::filesystem;

constexpr int kBigGroup = 100000;

fs::path benchDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("library-bench-" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<std::string> picturePaths(const std::string& folder, int n) {
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    paths.push_back(folder + "/2023-" + std::to_string(i % 12 + 1) + "/IMG_" +
                    std::to_string(100000 + i) + ".jpg");
  }
  return paths;
}

// A library with a small group first and a group of 100 000 pictures second.
PictureDatabase& bigLibrary() {
  static PictureDatabase* db = [] {
    auto* d = new PictureDatabase;
    const std::string path = (benchDir() / "big.sdb").string();
    if (!d->Open(path)) throw std::runtime_error(d->lastOpenError());
    d->AddCategory("Small");
    d->AppendPictures(picturePaths("/home/user/Pictures/small", 20));
    d->AddCategory("Big");
    d->AppendPictures(picturePaths("/home/user/Pictures/wallpapers", kBigGroup));
    return d;
  }();
  return *db;
}

void BM_ReadAllPaths_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  for (auto _ : state) {
    auto paths = db.ReadAllPaths();
    benchmark::DoNotOptimize(paths.data());
  }
  state.SetItemsProcessed(state.iterations() * (kBigGroup + 20));
}
BENCHMARK(BM_ReadAllPaths_100k)->Unit(benchmark::kMillisecond);

void BM_ReadCategoryPaths_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  const RowId big = db.categoryAt(1)->id;
  for (auto _ : state) {
    auto paths = db.ReadCategoryPaths(big);
    benchmark::DoNotOptimize(paths.data());
  }
  state.SetItemsProcessed(state.iterations() * kBigGroup);
}
BENCHMARK(BM_ReadCategoryPaths_100k)->Unit(benchmark::kMillisecond);

// Selecting the big group and reading the rows a grid shows first.
void BM_SelectGroupFirst50_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  for (auto _ : state) {
    state.PauseTiming();
    db.SelectCategory(0);
    state.ResumeTiming();
    db.SelectCategory(1);
    for (int row = 0; row < 50; ++row) benchmark::DoNotOptimize(db.pictureAt(row));
  }
}
BENCHMARK(BM_SelectGroupFirst50_100k)->Unit(benchmark::kMillisecond);

// Dragging the scroll bar to the end of a freshly opened 100 000-row group.
void BM_JumpToLast50_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  db.SelectCategory(1);
  for (auto _ : state) {
    state.PauseTiming();
    db.FilterPictures(db.Category_id());  // cold page cache
    state.ResumeTiming();
    for (int row = kBigGroup - 50; row < kBigGroup; ++row) {
      benchmark::DoNotOptimize(db.pictureAt(row));
    }
  }
}
BENCHMARK(BM_JumpToLast50_100k)->Unit(benchmark::kMillisecond);

// Scrolling through every row of the group, page after page.
void BM_ScrollAllRows_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  db.SelectCategory(1);
  for (auto _ : state) {
    state.PauseTiming();
    db.FilterPictures(db.Category_id());
    state.ResumeTiming();
    for (int row = 0; row < kBigGroup; ++row) benchmark::DoNotOptimize(db.pictureAt(row));
  }
  state.SetItemsProcessed(state.iterations() * kBigGroup);
}
BENCHMARK(BM_ScrollAllRows_100k)->Unit(benchmark::kMillisecond);

// Deleting the first picture renumbers the 99 999 after it.
void BM_DeleteFirstPicture_100k(benchmark::State& state) {
  PictureDatabase& db = bigLibrary();
  db.SelectCategory(1);
  for (auto _ : state) {
    state.PauseTiming();
    db.AppendPicture("/home/user/Pictures/extra.jpg");  // keeps the group at 100 000
    db.SelectPicture(0);
    state.ResumeTiming();
    db.DeletePicture();
  }
}
BENCHMARK(BM_DeleteFirstPicture_100k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendBatch_10k(benchmark::State& state) {
  PictureDatabase db;
  if (!db.Open((benchDir() / "append.sdb").string())) {
    state.SkipWithError(db.lastOpenError().c_str());
    return;
  }
  const auto batch = picturePaths("/home/user/Pictures/batch", 10000);
  int group = 0;
  for (auto _ : state) {
    state.PauseTiming();
    db.AddCategory("Batch " + std::to_string(group++));
    state.ResumeTiming();
    db.AppendPictures(batch);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AppendBatch_10k)->Unit(benchmark::kMillisecond);

// 10 000 existing files; arg 0: every flag already right, arg 1: every flag to be rewritten.
void BM_CheckAvailable_10k(benchmark::State& state) {
  static const std::vector<std::string> files = [] {
    const fs::path folder = benchDir() / "files";
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; ++i) {
      paths.push_back((folder / ("IMG_" + std::to_string(i) + ".jpg")).string());
      std::ofstream(paths.back()) << 'x';
    }
    return paths;
  }();
  PictureDatabase db;
  if (!db.Open((benchDir() / "check.sdb").string())) {
    state.SkipWithError(db.lastOpenError().c_str());
    return;
  }
  if (db.categoryCount() == 0) {
    db.AddCategory("Files");
    db.AppendPictures(files);
  }
  for (auto _ : state) {
    if (state.range(0) == 1) {
      state.PauseTiming();
      db.connection().exec("UPDATE Pictures SET enabled = 0");
      state.ResumeTiming();
    }
    db.CheckAvailable();
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_CheckAvailable_10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Opening the 100 000-row library, as at start-up.
void BM_Open_100k(benchmark::State& state) {
  bigLibrary();
  const std::string path = (benchDir() / "big.sdb").string();
  for (auto _ : state) {
    PictureDatabase db;
    benchmark::DoNotOptimize(db.Open(path));
  }
}
BENCHMARK(BM_Open_100k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapestra

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(tapestra::benchDir(), ec);
  return 0;
}
