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

CategoriesModel::CategoriesModel(const PictureDatabase& db, QObject* parent)
    : QAbstractTableModel(parent), db_(db) {}

int CategoriesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : db_.categoryCount();
}

int CategoriesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 1;
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

// The library tells us after its rows have changed; the views re-read everything anyway.
void CategoriesModel::reset() {
  beginResetModel();
  endResetModel();
}

void CategoriesModel::rowsChanged(int first, int last) {
  if (first > last || first < 0 || last >= rowCount()) return reset();
  emit dataChanged(index(first, 0), index(last, 0));
}

PicturesModel::PicturesModel(const PictureDatabase& db, QObject* parent)
    : QAbstractTableModel(parent), db_(db), rows_(db.pictureCount()) {}

int PicturesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int PicturesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
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

void PicturesModel::reset() {
  beginResetModel();
  rows_ = db_.pictureCount();
  endResetModel();
}

void PicturesModel::rowsChanged(int first, int last) {
  if (rows_ != db_.pictureCount() || first > last || first < 0 || last >= rows_) return reset();
  emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

}  // namespace tapestra
