#include "library/PicturesModels.h"

#include <QFont>

namespace tapestra {

namespace {

QVariant Heading(const char* text, int role, bool bold) {
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(text);
    case Qt::FontRole: {
      if (!bold) return {};
      QFont font;
      font.setBold(true);
      return font;
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
      return {};
  }
}

}  // namespace

LibraryTableModel::LibraryTableModel(const PictureDatabase& db, int columns, QObject* parent)
    : QAbstractTableModel(parent), db_(db), columns_(columns) {}

int LibraryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

// The library tells us after its rows have changed; the views re-read everything anyway.
void LibraryTableModel::reset() {
  beginResetModel();
  recount();
  endResetModel();
}

void LibraryTableModel::rowsChanged(int first, int last) {
  if (countChanged() || first > last || first < 0 || last >= rowCount()) return reset();
  emit dataChanged(index(first, 0), index(last, columns_ - 1));
}

CategoriesModel::CategoriesModel(const PictureDatabase& db, QObject* parent)
    : LibraryTableModel(db, 1, parent) {}

int CategoriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : db_.categoryCount();
}

QVariant CategoriesModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const auto row = db_.categoryAt(index.row());
  return row ? QVariant(QString::fromStdString(row->name)) : QVariant();
}

QVariant CategoriesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section != 0) return {};
  return Heading("グループ名称", role, true);
}

PicturesModel::PicturesModel(const PictureDatabase& db, QObject* parent)
    : LibraryTableModel(db, 2, parent), rows_(db.pictureCount()) {}

int PicturesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant PicturesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(
        (index.column() == PathColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const auto row = db_.pictureAt(index.row());
  if (!row) return {};
  if (index.column() == PathColumn) return QString::fromStdString(row->path);
  if (role == Qt::ToolTipRole) return {};
  return QString::number(row->enabled);
}

QVariant PicturesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (section == PathColumn) return Heading("イメージファイル", role, false);
  if (section == EnabledColumn) return Heading("有効", role, false);
  return {};
}

void PicturesModel::recount() {
  rows_ = db_.pictureCount();
}

bool PicturesModel::countChanged() const {
  return rows_ != db_.pictureCount();
}

}  // namespace tapestra
