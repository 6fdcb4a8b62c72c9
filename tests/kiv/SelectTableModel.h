// A small table model that meets the selection contract of XTableView: column 0's display data
// is the row's tick, the role "edit_select" reads and writes it, and `xselectAll` ticks or clears
// every row.
#pragma once

#include <QAbstractTableModel>
#include <QVector>

class SelectTableModel : public QAbstractTableModel {
  Q_OBJECT
  Q_PROPERTY(int rows READ rows WRITE setRows NOTIFY rowsChanged)
  Q_PROPERTY(bool xselectAll READ xselectAll WRITE setXselectAll NOTIFY xselectAllChanged)

 public:
  enum { EditSelectRole = Qt::UserRole + 1 };
  using QAbstractTableModel::QAbstractTableModel;

  int rows() const { return static_cast<int>(ticks_.size()); }
  void setRows(int n);
  bool xselectAll() const;
  void setXselectAll(bool b);

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows(); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QHash<int, QByteArray> roleNames() const override;

 signals:
  void rowsChanged();
  void xselectAllChanged();

 private:
  QVector<bool> ticks_;
};
