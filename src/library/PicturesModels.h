#pragma once

// Table models over the library's two cursors. They hold no rows: rowCount comes from the
// cursor's count and data from its positioned access, which reads a page of rows on demand,
// so a group of 100 000 pictures opens and scrolls at once. The owner forwards the library's
// change notifications (reset, rowsChanged).

#include <QAbstractTableModel>

#include "library/PictureDatabase.h"

namespace tapestra {

// What both models share: the library they read, a fixed number of columns, and the two
// notifications the owner forwards. A model that keeps its own row count refreshes it in
// recount() and says in countChanged() when the library's differs.
class LibraryTableModel : public QAbstractTableModel {
 public:
  int columnCount(const QModelIndex& parent = {}) const final;

  void reset();
  // Rows first … last changed in place; anything else (a bad range, a new count) resets.
  void rowsChanged(int first, int last);

 protected:
  LibraryTableModel(const PictureDatabase& db, int columns, QObject* parent);
  virtual void recount() {}
  virtual bool countChanged() const { return false; }

  const PictureDatabase& db_;

 private:
  const int columns_;
};

// One column "name", headed "グループ名称" in bold, centred.
class CategoriesModel final : public LibraryTableModel {
 public:
  explicit CategoriesModel(const PictureDatabase& db, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
};

// Columns "path" (right-aligned, "イメージファイル") and "enabled" ("有効", the stored value),
// headings centred.
class PicturesModel final : public LibraryTableModel {
 public:
  enum Column { PathColumn = 0, EnabledColumn = 1 };

  explicit PicturesModel(const PictureDatabase& db, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  void recount() override;
  bool countChanged() const override;

  int rows_ = 0;  // the count the views were last told
};

}  // namespace tapestra
