#include "library/PictureDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "library/Schema.h"

namespace tapestra {

namespace {

namespace fs = std::filesystem;

fs::path fsPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool defaultFileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fsPath(path), ec);  // fs::status follows symbolic links
}

constexpr const char* kPictureColumns =
    "SELECT id, path, enabled, \"order\", category_id FROM Pictures ";
constexpr const char* kGroupOrder = "WHERE category_id = :c ORDER BY \"order\", id";
constexpr const char* kAllOrder = "ORDER BY category_id, \"order\", id";

Picture readPicture(const SqliteStatement& s) {
  return Picture{s.int64(0), s.text(1), s.int64(2), s.int64(3), s.int64(4)};
}

// The file must hold both tables with every column we use; a prepare fails otherwise, and
// also for a file that is not a database at all.
void validateSchema(const SqliteDatabase& db) {
  SqliteStatement(db, "SELECT id, name, enabled, \"order\" FROM Categories LIMIT 1").run();
  SqliteStatement(db, "SELECT id, path, enabled, \"order\", category_id FROM Pictures LIMIT 1")
      .run();
}

// A library written elsewhere may lack the index that keeps the picture cursor fast; adding
// it changes no row. Failing to add it (read-only, locked) only costs speed.
void ensurePictureIndex(SqliteDatabase& db) {
  try {
    SqliteStatement has(db,
                        "SELECT 1 FROM pragma_index_list('Pictures') AS l"
                        " WHERE (SELECT name FROM pragma_index_info(l.name) WHERE seqno = 0)"
                        " = 'category_id'"
                        " AND (SELECT name FROM pragma_index_info(l.name) WHERE seqno = 1)"
                        " = 'order'");
    if (has.step()) return;
    db.exec("CREATE INDEX IF NOT EXISTS PicturesByCategory ON Pictures(category_id, \"order\")");
  } catch (const SqliteError&) {
  }
}

}  // namespace

std::string DatabaseOpenErrorText(const std::string& path) {
  return "[" + path + "] が読めません";
}

std::string TrimName(std::string_view text) {
  // Bytes up to 32 are single-byte characters in UTF-8; no multi-byte sequence contains one.
  const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isTrimmed(text[first])) ++first;
  while (last > first && isTrimmed(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

PictureDatabase::PictureDatabase(Options options) : options_(std::move(options)) {
  if (!options_.fileExists) options_.fileExists = defaultFileExists;
}

PictureDatabase::~PictureDatabase() = default;

// --- Connection -----------------------------------------------------------------------------

bool PictureDatabase::Open(const std::string& path) {
  Close();
  path_ = path;
  lastOpenError_.clear();
  std::error_code ec;
  const bool existed = fs::exists(fs::symlink_status(fsPath(path), ec));
  try {
    if (!existed && options_.readOnly) {
      throw SqliteError(SQLITE_CANTOPEN, SQLITE_CANTOPEN, "the file does not exist");
    }
    // An existing file is never created or initialised: a file of any other kind must stay
    // exactly as it is.
    int flags = options_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (!existed) flags |= SQLITE_OPEN_CREATE;
    db_ = SqliteDatabase(path, flags);
    db_.setBusyTimeout(options_.busyTimeoutMs);
    if (!existed) {
      Transaction t(db_);
      // Another process may have created the file since we looked.
      SqliteStatement objects(db_, "SELECT COUNT(*) FROM sqlite_master");
      if (objects.step() && objects.int64(0) == 0) db_.exec(kLibrarySchema);
      t.commit();
    }
    validateSchema(db_);
    if (existed && !db_.readOnly()) ensurePictureIndex(db_);
    loadCategories();
    categoryRow_ = categories_.empty() ? -1 : 0;
    followCategory();
    return true;
  } catch (const std::exception& e) {
    lastOpenError_ = e.what();
  } catch (...) {
    lastOpenError_ = "unknown error";
  }
  Close();
  path_ = path;
  // A file we created and could not fill would fail every later start; take it away again.
  if (!existed && fs::is_regular_file(fsPath(path), ec) && fs::file_size(fsPath(path), ec) == 0) {
    fs::remove(fsPath(path), ec);
  }
  return false;
}

void PictureDatabase::Close() {
  db_.close();
  path_.clear();
  categories_.clear();
  categoryRow_ = -1;
  categoryId_ = 0;
  filter_.reset();
  pictureCount_ = 0;
  pictureRow_ = -1;
  dropPages();
}

bool PictureDatabase::isReadOnly() const {
  return db_.isOpen() && db_.readOnly();
}

void PictureDatabase::requireWritable() const {
  if (!db_.isOpen()) throw SqliteError(SQLITE_MISUSE, SQLITE_MISUSE, "database is not open");
  if (db_.readOnly()) {
    throw SqliteError(SQLITE_READONLY, SQLITE_READONLY, "attempt to write a readonly database");
  }
}

// --- Group cursor ---------------------------------------------------------------------------

void PictureDatabase::loadCategories() {
  std::vector<Category> rows;
  SqliteStatement s(db_,
                    "SELECT id, name, enabled, \"order\" FROM Categories ORDER BY \"order\", id");
  while (s.step()) rows.push_back(Category{s.int64(0), s.text(1), s.int64(2), s.int64(3)});
  categories_ = std::move(rows);
  if (categoryRow_ >= categoryCount()) categoryRow_ = categoryCount() - 1;
}

int PictureDatabase::findCategoryRow(RowId id) const {
  for (int row = 0; row < categoryCount(); ++row) {
    if (categories_[static_cast<std::size_t>(row)].id == id) return row;
  }
  return -1;
}

std::optional<Category> PictureDatabase::categoryAt(int row) const {
  if (row < 0 || row >= categoryCount()) return std::nullopt;
  return categories_[static_cast<std::size_t>(row)];
}

void PictureDatabase::followCategory() {
  const auto current = currentCategory();
  categoryId_ = current ? current->id : 0;
  FilterPictures(categoryId_);
  notifyCategoryScrolled();
}

void PictureDatabase::SelectCategory(int row) {
  if (row < 0 || row >= categoryCount() || row == categoryRow_) return;
  categoryRow_ = row;
  followCategory();
}

// --- Picture cursor -------------------------------------------------------------------------

void PictureDatabase::FilterPictures(RowId category_id) {
  if (category_id < 0) {
    filter_.reset();
  } else {
    filter_ = category_id;
  }
  reopenPictures(0);
  notifyPicturesReset();
  notifyPictureScrolled();
}

std::string PictureDatabase::pictureFilter() const {
  return filter_ ? "category_id=" + std::to_string(*filter_) : std::string();
}

void PictureDatabase::reopenPictures(int row) {
  dropPages();
  pictureCount_ = 0;
  pictureRow_ = -1;
  if (!db_.isOpen()) return;
  SqliteStatement count(db_, filter_ ? "SELECT COUNT(*) FROM Pictures WHERE category_id = :c"
                                     : "SELECT COUNT(*) FROM Pictures");
  if (filter_) count.bind(":c", *filter_);
  count.step();
  pictureCount_ = static_cast<int>(count.int64(0));
  if (pictureCount_ > 0) pictureRow_ = std::clamp(row, 0, pictureCount_ - 1);
}

void PictureDatabase::dropPages() const {
  pages_.clear();
  pageLru_.clear();
}

const PictureDatabase::Page* PictureDatabase::loadPage(int page) const {
  if (auto it = pages_.find(page); it != pages_.end()) {
    pageLru_.splice(pageLru_.begin(), pageLru_, it->second.lru);
    return &it->second;
  }
  // After a cached page the rows are found by the sort key of its last row (scrolling down:
  // well under a millisecond a page); elsewhere OFFSET counts through the index alone, without
  // reading the skipped table rows (a few milliseconds even at the end of 100 000 rows). NULLs
  // sort first, so every row after a key without NULL compares greater than it; a key with a
  // NULL (left by another program) cannot be compared and falls back to OFFSET.
  const auto before = pages_.find(page - 1);
  const bool keyset = before != pages_.end() && before->second.lastKeyed &&
                      before->second.rows.size() == static_cast<std::size_t>(kPageRows);
  std::string sql = kPictureColumns;
  if (filter_) {
    sql += keyset ? "WHERE category_id = :c AND (\"order\", id) > (:o, :id) ORDER BY \"order\", id"
                  : kGroupOrder;
  } else {
    sql += keyset ? "WHERE (category_id, \"order\", id) > (:g, :o, :id) " : "";
    sql += kAllOrder;
  }
  sql += keyset ? " LIMIT :n" : " LIMIT :n OFFSET :offset";
  SqliteStatement s(db_, sql);
  if (filter_) s.bind(":c", *filter_);
  s.bind(":n", kPageRows);
  if (keyset) {
    const Picture& key = before->second.rows.back();
    if (!filter_) s.bind(":g", key.categoryId);
    s.bind(":o", key.order).bind(":id", key.id);
  } else {
    s.bind(":offset", static_cast<std::int64_t>(page) * kPageRows);
  }
  Page loaded;
  loaded.rows.reserve(kPageRows);
  while (s.step()) {
    loaded.lastKeyed = !s.isNull(3) && !s.isNull(4);
    loaded.rows.push_back(readPicture(s));
  }
  if (pages_.size() >= kMaxPages) {
    pages_.erase(pageLru_.back());
    pageLru_.pop_back();
  }
  pageLru_.push_front(page);
  loaded.lru = pageLru_.begin();
  return &pages_.emplace(page, std::move(loaded)).first->second;
}

std::optional<Picture> PictureDatabase::pictureAt(int row) const {
  if (row < 0 || row >= pictureCount_ || !db_.isOpen()) return std::nullopt;
  try {
    const Page* page = loadPage(row / kPageRows);
    const auto index = static_cast<std::size_t>(row % kPageRows);
    if (index < page->rows.size()) return page->rows[index];
  } catch (const SqliteError&) {
    // A model asking for a row cannot take an exception; the row simply shows empty.
  }
  return std::nullopt;
}

void PictureDatabase::SelectPicture(int row) {
  if (row < 0 || row >= pictureCount_ || row == pictureRow_) return;
  pictureRow_ = row;
  notifyPictureScrolled();
}

int PictureDatabase::pictureRowOf(RowId id) const {
  if (!db_.isOpen()) return -1;
  try {
    return locatePicture(id);
  } catch (const SqliteError&) {
    return -1;
  }
}

int PictureDatabase::locatePicture(RowId id) const {
  SqliteStatement s(db_,
                    std::string("SELECT id FROM Pictures ") + (filter_ ? kGroupOrder : kAllOrder));
  if (filter_) s.bind(":c", *filter_);
  for (int row = 0; s.step(); ++row) {
    if (s.int64(0) == id) return row;
  }
  return -1;
}

// --- Lookups --------------------------------------------------------------------------------

RowId PictureDatabase::GetCategoryId(const std::string& categoryname) {
  if (categories_.empty()) return -1;
  RowId result = -1;
  int row = categoryCount() - 1;
  for (int i = 0; i < categoryCount(); ++i) {
    if (categories_[static_cast<std::size_t>(i)].name == categoryname) {
      result = categories_[static_cast<std::size_t>(i)].id;
      row = i;
      break;
    }
  }
  categoryRow_ = row;
  followCategory();
  return result;
}

std::string PictureDatabase::GetCategoryName(const std::string& path) const {
  if (!db_.isOpen()) return {};
  SqliteStatement picture(
      db_,
      "SELECT category_id FROM Pictures WHERE path = :path ORDER BY category_id, \"order\", id"
      " LIMIT 1");
  picture.bind(":path", path);
  if (!picture.step() || picture.isNull(0)) return {};
  SqliteStatement group(db_, "SELECT name FROM Categories WHERE id = :id");
  group.bind(":id", picture.int64(0));
  return group.step() ? group.text(0) : std::string();
}

std::string PictureDatabase::GetPictureInfo(const std::string& path) const {
  int width = 0;
  int height = 0;
  if (!options_.readPictureSize || !options_.readPictureSize(path, width, height) || width < 0 ||
      height < 0) {
    width = 0;
    height = 0;
  }
  return std::to_string(width) + " x " + std::to_string(height) + " pix";
}

// --- The rotation's list --------------------------------------------------------------------

std::vector<std::string> PictureDatabase::ReadCategoryPaths(RowId category_id) const {
  std::vector<std::string> paths;
  if (!db_.isOpen() || category_id < 0) return paths;
  SqliteStatement s(db_, std::string("SELECT path FROM Pictures ") + kGroupOrder);
  s.bind(":c", category_id);
  while (s.step()) paths.push_back(s.text(0));
  return paths;
}

std::vector<std::string> PictureDatabase::ReadAllPaths() const {
  std::vector<std::string> paths;
  if (!db_.isOpen()) return paths;
  SqliteStatement s(db_, std::string("SELECT path FROM Pictures ") + kAllOrder);
  while (s.step()) paths.push_back(s.text(0));
  return paths;
}

// --- Changes --------------------------------------------------------------------------------

// Runs a change. The in-memory cursors are updated only after the commit, so a failing
// statement leaves them as they were; if re-reading after the commit fails, the cursors are
// rebuilt from what can still be read.
template <class F>
auto PictureDatabase::guarded(F&& change) {
  requireWritable();
  try {
    return change();
  } catch (...) {
    recoverAfterError();
    throw;
  }
}

void PictureDatabase::recoverAfterError() noexcept {
  dropPages();
  const RowId selected = categoryId_;
  const int pictureRow = pictureRow_;
  try {
    loadCategories();
    const int row = findCategoryRow(selected);
    if (row >= 0) categoryRow_ = row;
    if (categoryRow_ < 0 && !categories_.empty()) categoryRow_ = 0;
    categoryId_ = categoryRow_ >= 0 ? categories_[static_cast<std::size_t>(categoryRow_)].id : 0;
    reopenPictures(pictureRow);
  } catch (...) {
    // Leave what could be read; the next successful operation rebuilds the rest.
  }
  notifyCategoriesReset();
  notifyPicturesReset();
}

void PictureDatabase::renumberPictures() {
  SqliteStatement s(
      db_, filter_
               ? "UPDATE Pictures SET \"order\" = n.pos FROM (SELECT id, row_number() OVER"
                 " (ORDER BY \"order\", id) - 1 AS pos FROM Pictures WHERE category_id = :c) AS n"
                 " WHERE Pictures.id = n.id AND Pictures.\"order\" IS NOT n.pos"
               : "UPDATE Pictures SET \"order\" = n.pos FROM (SELECT id, row_number() OVER"
                 " (PARTITION BY category_id ORDER BY \"order\", id) - 1 AS pos FROM Pictures) AS n"
                 " WHERE Pictures.id = n.id AND Pictures.\"order\" IS NOT n.pos");
  if (filter_) s.bind(":c", *filter_);
  s.run();
}

void PictureDatabase::renumberCategories() {
  db_.exec(
      "UPDATE Categories SET \"order\" = n.pos FROM (SELECT id, row_number() OVER"
      " (ORDER BY \"order\", id) - 1 AS pos FROM Categories) AS n"
      " WHERE Categories.id = n.id AND Categories.\"order\" IS NOT n.pos");
}

void PictureDatabase::DeletePictures() {
  guarded([&] {
    SqliteStatement s(db_, "DELETE FROM Pictures WHERE category_id=:f1");
    s.bind(":f1", categoryId_).run();
    reopenPictures(0);
    notifyPicturesReset();
    notifyPictureScrolled();
  });
}

void PictureDatabase::ReOrderCategories() {
  guarded([&] {
    {
      Transaction t(db_);
      renumberCategories();
      t.commit();
    }
    loadCategories();
    notifyCategoriesReset();
    followCategory();
  });
}

void PictureDatabase::ReOrderPictures() {
  guarded([&] {
    {
      Transaction t(db_);
      renumberPictures();
      t.commit();
    }
    reopenPictures(pictureRow_);
    notifyPicturesReset();
    notifyPictureScrolled();
  });
}

bool PictureDatabase::AddCategory(const std::string& text) {
  const std::string name = TrimName(text);
  if (name.empty()) return false;
  return guarded([&] {
    RowId id = 0;
    {
      Transaction t(db_);
      SqliteStatement count(db_, "SELECT COUNT(*) FROM Categories");
      count.step();
      SqliteStatement insert(
          db_, "INSERT INTO Categories (name, enabled, \"order\") VALUES (:name, 1, :order)");
      insert.bind(":name", name).bind(":order", count.int64(0)).run();
      id = db_.lastInsertRowId();
      t.commit();
    }
    loadCategories();
    categoryRow_ = findCategoryRow(id);
    categoryId_ = id;
    notifyCategoriesReset();
    FilterPictures(id);
    return true;
  });
}

bool PictureDatabase::UpdateCategory(const std::string& text) {
  const std::string name = TrimName(text);
  if (name.empty() || categoryRow_ < 0) return false;
  return guarded([&] {
    SqliteStatement s(db_, "UPDATE Categories SET name = :name WHERE id = :id");
    s.bind(":name", name).bind(":id", categories_[static_cast<std::size_t>(categoryRow_)].id).run();
    loadCategories();
    notifyCategoryRowsChanged(categoryRow_, categoryRow_);
    return true;
  });
}

bool PictureDatabase::DeleteCategory() {
  if (categoryRow_ < 0) return false;
  return guarded([&] {
    const RowId id = categories_[static_cast<std::size_t>(categoryRow_)].id;
    {
      Transaction t(db_);
      SqliteStatement pictures(db_, "DELETE FROM Pictures WHERE category_id=:f1");
      pictures.bind(":f1", categoryId_).run();
      SqliteStatement group(db_, "DELETE FROM Categories WHERE id = :id");
      group.bind(":id", id).run();
      renumberCategories();
      t.commit();
    }
    // The cursor moves to the following group, which now has the deleted group's row number.
    const int row = categoryRow_;
    loadCategories();
    categoryRow_ = std::min(row, categoryCount() - 1);
    notifyCategoriesReset();
    followCategory();
    return true;
  });
}

bool PictureDatabase::MoveCategory(Direction direction) {
  if (categoryRow_ < 0) return false;
  const int row = categoryRow_;
  const int other = direction == Direction::Up ? row - 1 : row + 1;
  if (other < 0 || other >= categoryCount()) return false;
  return guarded([&] {
    const Category moved = categories_[static_cast<std::size_t>(row)];
    const Category neighbour = categories_[static_cast<std::size_t>(other)];
    if (moved.order == neighbour.order) {
      // Equal numbers cannot be exchanged; the cursor has moved on all the same.
      categoryRow_ = other;
      followCategory();
      return false;
    }
    {
      Transaction t(db_);
      SqliteStatement s(db_, "UPDATE Categories SET \"order\" = :order WHERE id = :id");
      s.bind(":order", moved.order).bind(":id", neighbour.id).run();
      s.reset();
      s.bind(":order", neighbour.order).bind(":id", moved.id).run();
      t.commit();
    }
    loadCategories();
    categoryRow_ = findCategoryRow(moved.id);
    notifyCategoryRowsChanged(std::min(row, other), std::max(row, other));
    followCategory();
    return true;
  });
}

int PictureDatabase::AppendPictures(const std::vector<std::string>& paths) {
  if (paths.empty() || categoryRow_ < 0) return 0;
  return guarded([&] {
    {
      Transaction t(db_);
      SqliteStatement count(db_, "SELECT COUNT(*) FROM Pictures WHERE category_id = :c");
      count.bind(":c", categoryId_).step();
      const std::int64_t recs = count.int64(0);
      SqliteStatement insert(db_,
                             "INSERT INTO Pictures (path, category_id, \"order\", enabled)"
                             " VALUES (:path, :category_id, :order, :enabled)");
      insert.bind(":category_id", categoryId_).bind(":enabled", 1);
      std::int64_t counter = 0;
      for (const std::string& path : paths) {
        insert.bind(":path", path).bind(":order", recs + counter).run();
        insert.reset();
        ++counter;
      }
      t.commit();
    }
    reopenPictures(0);
    notifyPicturesReset();
    notifyPictureScrolled();
    return static_cast<int>(paths.size());
  });
}

bool PictureDatabase::DeletePicture() {
  const auto current = currentPicture();
  if (!current) return false;
  return guarded([&] {
    {
      Transaction t(db_);
      SqliteStatement s(db_, "DELETE FROM Pictures WHERE id = :id");
      s.bind(":id", current->id).run();
      renumberPictures();
      t.commit();
    }
    reopenPictures(pictureRow_);
    notifyPicturesReset();
    notifyPictureScrolled();
    return true;
  });
}

bool PictureDatabase::TogglePictureEnabled() {
  const auto current = currentPicture();
  if (!current) return false;
  return guarded([&] {
    SqliteStatement s(db_,
                      "UPDATE Pictures SET enabled = CASE WHEN enabled = 1 THEN 0 ELSE 1 END"
                      " WHERE id = :id");
    s.bind(":id", current->id).run();
    dropPages();
    notifyPictureRowsChanged(pictureRow_, pictureRow_);
    return true;
  });
}

bool PictureDatabase::MovePicture(Direction direction) {
  const int row = pictureRow_;
  const auto moved = currentPicture();
  if (!moved) return false;
  const int other = direction == Direction::Up ? row - 1 : row + 1;
  const auto neighbour = pictureAt(other);
  // Without a filter the neighbour may belong to another group; the order numbers of two
  // groups must never be mixed, so that counts as the end of the list.
  if (!neighbour || neighbour->categoryId != moved->categoryId) return false;
  return guarded([&] {
    if (moved->order == neighbour->order) {
      pictureRow_ = other;
      notifyPictureScrolled();
      return false;
    }
    {
      Transaction t(db_);
      SqliteStatement s(db_, "UPDATE Pictures SET \"order\" = :order WHERE id = :id");
      s.bind(":order", moved->order).bind(":id", neighbour->id).run();
      s.reset();
      s.bind(":order", neighbour->order).bind(":id", moved->id).run();
      t.commit();
    }
    dropPages();
    const int located = locatePicture(moved->id);
    pictureRow_ = located >= 0 ? located : other;
    notifyPictureRowsChanged(std::min(row, other), std::max(row, other));
    notifyPictureScrolled();
    return true;
  });
}

void PictureDatabase::CheckAvailable() {
  guarded([&] {
    struct Row {
      RowId id;
      std::string path;
    };
    std::vector<Row> rows;
    {
      SqliteStatement s(db_, std::string("SELECT id, path FROM Pictures ") + kGroupOrder);
      s.bind(":c", categoryId_);
      while (s.step()) rows.push_back(Row{s.int64(0), s.text(1)});
    }
    // The files are looked at before the write lock is taken: a slow network share must not
    // hold up other processes.
    std::vector<bool> exists;
    exists.reserve(rows.size());
    for (const Row& row : rows) exists.push_back(options_.fileExists(row.path));
    Transaction t(db_);
    SqliteStatement update(db_,
                           "UPDATE Pictures SET enabled = :v WHERE id = :id AND enabled IS NOT :v");
    for (std::size_t i = 0; i < rows.size(); ++i) {
      update.bind(":v", exists[i] ? 1 : 0).bind(":id", rows[i].id).run();
      update.reset();
    }
    t.commit();
    dropPages();
    if (pictureCount_ > 0) notifyPictureRowsChanged(0, pictureCount_ - 1);
  });
}

void PictureDatabase::DisableErase() {
  guarded([&] {
    {
      Transaction t(db_);
      SqliteStatement s(db_, "DELETE FROM Pictures WHERE enabled<>1 and category_id=:f1");
      s.bind(":f1", categoryId_).run();
      renumberPictures();
      t.commit();
    }
    reopenPictures(0);
    notifyPicturesReset();
    notifyPictureScrolled();
  });
}

// --- Notifications --------------------------------------------------------------------------

void PictureDatabase::notifyCategoriesReset() {
  if (listener_) listener_->categoriesReset();
}
void PictureDatabase::notifyCategoryRowsChanged(int first, int last) {
  if (listener_) listener_->categoryRowsChanged(first, last);
}
void PictureDatabase::notifyCategoryScrolled() {
  if (listener_) listener_->categoryScrolled();
}
void PictureDatabase::notifyPicturesReset() {
  if (listener_) listener_->picturesReset();
}
void PictureDatabase::notifyPictureRowsChanged(int first, int last) {
  if (listener_) listener_->pictureRowsChanged(first, last);
}
void PictureDatabase::notifyPictureScrolled() {
  if (listener_) listener_->pictureScrolled();
}

}  // namespace tapestra
