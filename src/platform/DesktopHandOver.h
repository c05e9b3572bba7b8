#pragma once

#include <string>

namespace tapestra {

// The composer rewrites its picture under one name ("_WallPaper.bmp"), and a desktop that
// watches a setting ignores a value that did not change. The composed file is therefore
// handed over as a link or copy under a fresh name beside it ("_WallPaper-<n>.bmp"), and the
// earlier such copies are removed. Any other path is handed over as it is; so is the
// composed file when neither a link nor a copy can be made.
std::string HandOverPath(const std::string& path);

}  // namespace tapestra
