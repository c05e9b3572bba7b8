#pragma once

// The rotation's view of the picture library: AppCore::LoadPictures asks it for the paths of
// the active group (or of all groups) and it reads them through the shared picture cursor,
// leaving both cursors where a row-by-row walk over that cursor would leave them.

#include <functional>
#include <string>
#include <vector>

#include "app/AppCore.h"
#include "library/PictureDatabase.h"

namespace tapestra {

class LibraryRotation final : public PictureLibrary {
 public:
  // suspendPreview(true) is called before the rows are read and suspendPreview(false) after,
  // so that the group dialog does not decode pictures while the cursor moves.
  explicit LibraryRotation(PictureDatabase& db, std::function<void(bool)> suspendPreview = {});

  // All groups: the picture filter is cleared. One group: GetCategoryId walks the group
  // cursor to the first group of that name (or to the last group when there is none) and the
  // picture cursor follows it. Every row is listed whatever its enabled flag; the picture
  // cursor ends on its last row, as after the walk.
  std::vector<std::string> RotationPaths(bool allCategories, const std::string& category) override;

 private:
  PictureDatabase& db_;
  std::function<void(bool)> suspendPreview_;
};

}  // namespace tapestra
