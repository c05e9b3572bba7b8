#include "platform/DesktopHandOver.h"

#include <chrono>
#include <filesystem>
#include <system_error>

namespace tapestra {

namespace fs = std::filesystem;

namespace {

constexpr char kComposedName[] = "_WallPaper.bmp";
constexpr char kCopyPrefix[] = "_WallPaper-";

bool IsOurCopy(const fs::path& p) {
  const std::string name = p.filename().string();
  return name.starts_with(kCopyPrefix) && name.ends_with(".bmp");
}

}  // namespace

std::string HandOverPath(const std::string& path) {
  const fs::path original(path);
  if (original.filename() != kComposedName) return path;
  std::error_code ec;
  if (!fs::is_regular_file(original, ec)) return path;
  const fs::path folder = original.parent_path();
  // Milliseconds make the name new across restarts too; collisions step on.
  auto n = std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
               .count();
  fs::path fresh;
  do {
    fresh = folder / (kCopyPrefix + std::to_string(n++) + ".bmp");
  } while (fs::exists(fresh, ec));
  fs::create_hard_link(original, fresh, ec);
  if (ec) {
    ec.clear();
    fs::copy_file(original, fresh, ec);
    if (ec) return path;
  }
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (e.path() != fresh && IsOurCopy(e.path())) {
      std::error_code ignored;
      fs::remove(e.path(), ignored);
    }
  }
  return fresh.string();
}

}  // namespace tapestra
