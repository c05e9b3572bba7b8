#include "platform/DataFolder.h"

#include <filesystem>
#include <system_error>

namespace tapestra {
namespace fs = std::filesystem;

namespace {

fs::path WithoutTrailingSeparator(const std::string& folder) {
  fs::path p(folder);
  return p.has_filename() ? p : p.parent_path();
}

}  // namespace

std::string DataFolderIn(const std::string& appData) {
  std::string base = appData;
  const char sep = static_cast<char>(fs::path::preferred_separator);
  if (!base.empty() && base.back() != '/' && base.back() != sep) base += sep;
  return base + "ZENTRO" + sep + "Tapestra" + sep;
}

bool EnsureFolder(const std::string& folder) {
  const fs::path dir = WithoutTrailingSeparator(folder);
  std::error_code ec;
  if (fs::is_directory(dir, ec)) return true;
  return fs::create_directory(dir, ec) && !ec;
}

void PrepareDataFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(WithoutTrailingSeparator(folder), ec);
}

}  // namespace tapestra
