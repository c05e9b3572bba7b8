#pragma once

// Table models over the library's two cursors. They hold no rows: rowCount comes from the
// cursor's count and data from its positioned access, which reads a page of rows on demand,
// so a group of 100 000 pictures opens and scrolls at once. The owner forwards the library's
// change notifications (reset, rowsChanged).

#include <QAbstractTableModel>

#include "library/PictureDatabase.h"

namespace tapestra {

// One column "name", headed "グループ名称" in bold, centred.
class CategoriesModel final : public QAbstractTableModel {
 public:
  explicit CategoriesModel(const PictureDatabase& db, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void reset();
  void rowsChanged(int first, int last);

 private:
  const PictureDatabase& db_;
};

// Columns "path" (right-aligned, "イメージファイル") and "enabled" ("有効", the stored value),
// headings centred.
class PicturesModel final : public QAbstractTableModel {
 public:
  enum Column { PathColumn = 0, EnabledColumn = 1 };

  explicit PicturesModel(const PictureDatabase& db, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void reset();
  void rowsChanged(int first, int last);

 private:
  const PictureDatabase& db_;
  int rows_ = 0;  // the count the views were last told
};

}  // namespace tapestra
