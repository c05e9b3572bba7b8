#pragma once

// The picture library: wallpaper groups (table Categories) and their pictures (table Pictures)
// in one SQLite file, reached through two cursors that live as long as the program:
//
//  - the group cursor: all groups sorted by "order" (ties by id), with a current row, the
//    selected group, whose id is Category_id();
//  - the picture cursor: pictures sorted by category_id, "order", id, normally narrowed by the
//    filter "category_id=<Category_id>", with a current row.
//
// Whenever the group cursor comes to rest on a row, the picture cursor follows it:
// Category_id() becomes that group's id and FilterPictures() runs with it.
//
// Rows are read by position (PictureAt), a page at a time, so a group of 100 000 pictures
// opens at once. Each multi-row change runs in one transaction: it either happens completely
// or, when a statement fails (disk full, file read-only, lock not obtained within the busy
// timeout), throws SqliteError and leaves the file and the cursors as they were.
//
// Strings are UTF-8. Single-threaded: call from one thread only.

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/SqliteHandle.h"

namespace tapestra {

using RowId = std::int64_t;

struct Category {
  RowId id = 0;
  std::string name;
  std::int64_t enabled = 0;
  std::int64_t order = 0;
};

struct Picture {
  RowId id = 0;
  std::string path;
  std::int64_t enabled = 0;  // 1 enabled, 0 disabled
  std::int64_t order = 0;
  RowId categoryId = 0;
};

// The text of the error box shown when the library cannot be opened: "[" + path + "] が読めません".
std::string DatabaseOpenErrorText(const std::string& path);

// A typed group name without leading and trailing characters of code 32 or below (blanks and
// control characters). Multi-byte characters such as the full-width blank stay.
std::string TrimName(std::string_view text);

// Reads the pixel size from the file header; false when unknown.
using PictureSizeReader = std::function<bool(const std::string& path, int& width, int& height)>;
// True when a file exists at path, symbolic links followed.
using FileExistsCheck = std::function<bool(const std::string& path)>;

struct PictureDatabaseOptions {
  int busyTimeoutMs = 2000;
  bool readOnly = false;              // open without write access (tools)
  PictureSizeReader readPictureSize;  // empty: every picture reads as 0 x 0
  FileExistsCheck fileExists;         // empty: the file system is asked
};

class PictureDatabase {
 public:
  using Options = PictureDatabaseOptions;

  // Told after an operation has finished, with the cursors already in their new state. The
  // calls of one operation come in this order: rows, then scroll.
  class Listener {
   public:
    virtual ~Listener() = default;
    // The group rows were reloaded: count, order or identity may have changed.
    virtual void categoriesReset() {}
    // Rows first … last of the group cursor changed their contents; the count is the same.
    virtual void categoryRowsChanged(int /*first*/, int /*last*/) {}
    // The group cursor came to rest on a row; Category_id and the picture filter have followed.
    virtual void categoryScrolled() {}
    // The picture cursor was reopened or its rows were reloaded.
    virtual void picturesReset() {}
    virtual void pictureRowsChanged(int /*first*/, int /*last*/) {}
    // The picture cursor's current row changed (also after every reopen).
    virtual void pictureScrolled() {}
  };

  enum class Direction { Up, Down };

  explicit PictureDatabase(Options options = {});
  ~PictureDatabase();
  PictureDatabase(const PictureDatabase&) = delete;
  PictureDatabase& operator=(const PictureDatabase&) = delete;

  // --- Connection -------------------------------------------------------------------------

  // Closes any open file and opens path. A missing file is created with both tables. An
  // existing file is opened without being created and must hold both tables with their
  // columns; otherwise, or when it cannot be opened at all, this returns false, leaves the
  // file untouched and keeps the reason in lastOpenError(). Never throws. On success the group
  // cursor stands on the first group and the picture cursor follows it.
  bool Open(const std::string& path);
  void Close();
  bool isOpen() const { return db_.isOpen(); }
  // A read-only file opens for reading; every change then throws SqliteError (SQLITE_READONLY).
  bool isReadOnly() const;
  const std::string& path() const { return path_; }
  const std::string& lastOpenError() const { return lastOpenError_; }

  void setListener(Listener* listener) { listener_ = listener; }

  // --- Group cursor -----------------------------------------------------------------------

  int categoryCount() const { return static_cast<int>(categories_.size()); }
  std::optional<Category> categoryAt(int row) const;
  // -1 when there are no groups.
  int currentCategoryRow() const { return categoryRow_; }
  std::optional<Category> currentCategory() const { return categoryAt(categoryRow_); }
  // The selected group's id; 0 while there is no group.
  RowId Category_id() const { return categoryId_; }
  // The user selects a group: the cursor moves to row and, when that is another row, the
  // picture cursor follows. Rows out of range are ignored.
  void SelectCategory(int row);

  // --- Picture cursor ---------------------------------------------------------------------

  // Negative: the filter is cleared and the cursor covers every picture of every group.
  // Otherwise the filter becomes "category_id=<id>". The cursor is reopened on its first row.
  // Category_id() is not changed.
  void FilterPictures(RowId category_id);
  // "category_id=7", or "" while filtering is off.
  std::string pictureFilter() const;
  bool filtered() const { return filter_.has_value(); }
  int pictureCount() const { return pictureCount_; }
  // Row access by position in cursor order; empty when row is out of range or the read failed.
  // Reads a page of rows on a miss and keeps a bounded number of pages.
  std::optional<Picture> pictureAt(int row) const;
  // -1 when the cursor is empty.
  int currentPictureRow() const { return pictureRow_; }
  std::optional<Picture> currentPicture() const { return pictureAt(pictureRow_); }
  // The user (or the first/last commands) moves the picture cursor. Out of range is ignored.
  void SelectPicture(int row);
  // Row of the picture with this id in the cursor as filtered now; -1 when it holds no such
  // row or the read failed. Walks the index, a few milliseconds for 100 000 rows.
  int pictureRowOf(RowId id) const;

  // --- Lookups ----------------------------------------------------------------------------

  // Walks the groups in display order; the first whose name equals categoryname exactly gives
  // its id, else -1. The group cursor is left on the match, or on the last group when none
  // matched, and the picture cursor follows it. Without groups: -1, nothing moves.
  RowId GetCategoryId(const std::string& categoryname);
  // Name of the group of the first picture (by category_id, order) whose path equals path
  // exactly; "" when none. Neither cursor moves.
  std::string GetCategoryName(const std::string& path) const;
  // "<width> x <height> pix" from the file header; "0 x 0 pix" when it cannot be read.
  std::string GetPictureInfo(const std::string& path) const;

  // --- The rotation's list (the cursors do not move) ---------------------------------------

  // Every path of one group by "order" (any id; an unknown or negative id gives an empty list).
  std::vector<std::string> ReadCategoryPaths(RowId category_id) const;
  // Every path of every group, group by group in ascending group id, then by "order".
  std::vector<std::string> ReadAllPaths() const;

  // --- Changes (each throws SqliteError on failure, with nothing changed) -----------------

  // Deletes every picture of the selected group; the picture cursor is reopened (row 0).
  void DeletePictures();
  // Numbers the groups 0, 1, 2, … in display order; the group cursor stays on its group and
  // the picture cursor follows it.
  void ReOrderCategories();
  // Numbers the pictures of the cursor 0, 1, 2, … in display order, each group on its own;
  // the picture cursor stays on its row.
  void ReOrderPictures();
  // Trims the text; blank does nothing (false). Appends a group (order = number of groups,
  // enabled = 1), which becomes the current row and the selected group; the picture cursor is
  // filtered to it (empty). Reported as categoriesReset, not as a scroll.
  bool AddCategory(const std::string& text);
  // Trims the text; blank or no group does nothing (false). Renames the selected group.
  bool UpdateCategory(const std::string& text);
  // Without groups does nothing (false). Deletes the selected group with all its pictures and
  // renumbers the rest; the cursor moves to the following group (or the new last one) and the
  // picture cursor follows it.
  bool DeleteCategory();
  // Exchanges the "order" of the selected group and its neighbour above or below; the cursor
  // stays on the moved group and the picture cursor follows it. False (nothing written, no
  // move) at the first row going up, the last going down, or without groups.
  bool MoveCategory(Direction direction);
  // Appends the files in the given order to the selected group with order = pictures before
  // the batch + index in the batch, enabled = 1; one transaction. The picture cursor is
  // reopened (row 0). Without a group does nothing. Returns the number appended.
  int AppendPictures(const std::vector<std::string>& paths);
  bool AppendPicture(const std::string& path) { return AppendPictures({path}) == 1; }
  // Deletes the current picture and renumbers the rest of its group; the cursor stays on the
  // same row number (the following picture), or the new last row. False without pictures.
  bool DeletePicture();
  // enabled of the current picture: 1 becomes 0, anything else 1. The cursor stays.
  bool TogglePictureEnabled();
  // As MoveCategory, within the current picture's group; the cursor ends on the moved
  // picture. True when a swap took place.
  bool MovePicture(Direction direction);
  // enabled = 1 for every picture of the selected group whose file exists, 0 for the others.
  // The picture cursor stays on its row.
  void CheckAvailable();
  // Deletes the selected group's pictures whose enabled is not 1 and renumbers the rest; the
  // picture cursor is reopened (row 0).
  void DisableErase();
  // All pictures of the selected group: DeletePictures().
  void AllErase() { DeletePictures(); }

  // The connection, for diagnostics and tests.
  SqliteDatabase& connection() { return db_; }

 private:
  static constexpr int kPageRows = 256;
  static constexpr std::size_t kMaxPages = 64;

  struct Page {
    std::vector<Picture> rows;
    bool lastKeyed = false;  // the last row's sort key holds no NULL
    std::list<int>::iterator lru;
  };

  void requireWritable() const;
  void loadCategories();
  int findCategoryRow(RowId id) const;
  void followCategory();
  void reopenPictures(int row);
  void dropPages() const;
  const Page* loadPage(int page) const;
  int locatePicture(RowId id) const;
  void renumberPictures();
  void renumberCategories();
  template <class F>
  auto guarded(F&& change);
  void recoverAfterError() noexcept;

  void notifyCategoriesReset();
  void notifyCategoryRowsChanged(int first, int last);
  void notifyCategoryScrolled();
  void notifyPicturesReset();
  void notifyPictureRowsChanged(int first, int last);
  void notifyPictureScrolled();

  Options options_;
  SqliteDatabase db_;
  std::string path_;
  std::string lastOpenError_;
  Listener* listener_ = nullptr;

  std::vector<Category> categories_;
  int categoryRow_ = -1;
  RowId categoryId_ = 0;

  std::optional<RowId> filter_;
  int pictureCount_ = 0;
  int pictureRow_ = -1;
  mutable std::unordered_map<int, Page> pages_;
  mutable std::list<int> pageLru_;  // most recently used first
};

}  // namespace tapestra
