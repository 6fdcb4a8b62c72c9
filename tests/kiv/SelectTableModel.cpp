#include "SelectTableModel.h"

void SelectTableModel::setRows(int n) {
  if (n < 0 || n == rows()) return;
  beginResetModel();
  ticks_ = QVector<bool>(n, false);
  endResetModel();
  emit rowsChanged();
}

bool SelectTableModel::xselectAll() const {
  for (bool t : ticks_)
    if (!t) return false;
  return !ticks_.isEmpty();
}

void SelectTableModel::setXselectAll(bool b) {
  for (auto& t : ticks_) t = b;
  if (!ticks_.isEmpty()) emit dataChanged(index(0, 0), index(rows() - 1, columnCount() - 1));
  emit xselectAllChanged();
}

QVariant SelectTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows()) return {};
  if (role == EditSelectRole || (role == Qt::DisplayRole && index.column() == 0)) return ticks_[index.row()];
  if (role == Qt::DisplayRole) return QStringLiteral("%1,%2").arg(index.row()).arg(index.column());
  return {};
}

bool SelectTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != EditSelectRole || !index.isValid() || index.row() >= rows()) return false;
  ticks_[index.row()] = value.toBool();
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
  return true;
}

QHash<int, QByteArray> SelectTableModel::roleNames() const {
  return {{Qt::DisplayRole, "display"}, {EditSelectRole, "edit_select"}};
}
