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
    // With a match the picture cursor is now filtered to that group. Without one, a filter
    // "category_id=-1" would leave it empty; ours cannot name a group that does not exist, so
    // it keeps following the last group. No dialog is open then (the group dialog only
    // reloads its active group, which exists), and the group dialog re-filters when shown.
    id = db_.GetCategoryId(category);
  }
  if (suspendPreview_) suspendPreview_(true);
  std::vector<std::string> paths;
  try {
    if (allCategories) {
      paths = db_.ReadAllPaths();
    } else if (id >= 0) {
      paths = db_.ReadCategoryPaths(id);
    }
    // The walk over the rows ends on the last one.
    if (db_.pictureCount() > 0) db_.SelectPicture(db_.pictureCount() - 1);
  } catch (...) {
    if (suspendPreview_) suspendPreview_(false);
    throw;
  }
  if (suspendPreview_) suspendPreview_(false);
  return paths;
}

}  // namespace tapestra
