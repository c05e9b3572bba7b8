#include "library/LibraryRotation.h"

#include <utility>

namespace tapestra {

LibraryRotation::LibraryRotation(PictureDatabase& db, std::function<void(bool)> suspendPreview)
    : db_(db), suspendPreview_(std::move(suspendPreview)) {}

std::vector<std::string> LibraryRotation::RotationPaths(bool allCategories,
                                                        const std::string& category) {
  if (!db_.isOpen()) return {};
  RowId id = -1;
  if (allCategories) {
    db_.FilterPictures(-1);
  } else {
    // With a match the picture cursor is now filtered to that group. Without one the design's
    // cursor would be filtered to "category_id=-1" and hold nothing; our cursor cannot name a
    // group that does not exist, so it keeps following the last group. The group dialog
    // re-filters whenever it is shown, so nobody sees the difference.
    id = db_.GetCategoryId(category);
  }
  if (suspendPreview_) suspendPreview_(true);
  std::vector<std::string> paths;
  if (allCategories) {
    paths = db_.ReadAllPaths();
  } else if (id >= 0) {
    paths = db_.ReadCategoryPaths(id);
  }
  // The walk over the rows ends on the last one.
  if (db_.pictureCount() > 0) db_.SelectPicture(db_.pictureCount() - 1);
  if (suspendPreview_) suspendPreview_(false);
  return paths;
}

}  // namespace tapestra
