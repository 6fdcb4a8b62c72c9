// The distance calibration table (memory block 7, and the same 696 bytes as a ".fixdist" file):
// for up to ten blackbody temperatures, the temperature measured at up to five distances.
#pragma once

#include <QList>
#include <QQmlListProperty>
#include <climits>

#include "CLoginBlockEditor.h"
#include "CaliProps.h"
#include "CaliRow.h"
#include "CaliRecords.h"

// temp0 is measured at distance 0, temp4 at distance 4.
class CFixDistItem : public CCaliRow {
  Q_OBJECT
  CALI_FLOAT_PROPERTY(temp4, setTemp4)

 public:
  explicit CFixDistItem(QObject* parent = nullptr) : CCaliRow(parent) {}
  // Temperature k = 0..4.
  float tempAt(int k) const { return k == 4 ? temp4_ : CCaliRow::tempAt(k); }
  void loadTempAt(int k, float v) {
    if (k == 4)
      load_temp4(v);
    else
      CCaliRow::loadTempAt(k, v);
  }
};

class CFixDistFile : public QObject {
  Q_OBJECT
  CALI_INT_PROPERTY(distCount, setDistCount, 0, calirec::kFixDistDists)
  CALI_INT_PROPERTY(bbCount, setBbCount, 0, calirec::kFixDistRows)
  CALI_INT_PROPERTY(dist0, setDist0, INT_MIN, INT_MAX)
  CALI_INT_PROPERTY(dist1, setDist1, INT_MIN, INT_MAX)
  CALI_INT_PROPERTY(dist2, setDist2, INT_MIN, INT_MAX)
  CALI_INT_PROPERTY(dist3, setDist3, INT_MIN, INT_MAX)
  CALI_INT_PROPERTY(dist4, setDist4, INT_MIN, INT_MAX)
  Q_PROPERTY(QQmlListProperty<CFixDistItem> itemArray READ itemArray CONSTANT)

 public:
  explicit CFixDistFile(QObject* parent = nullptr);
  ~CFixDistFile() override;

  QQmlListProperty<CFixDistItem> itemArray();
  CFixDistItem* item(int i) const { return items_.at(i); }

  calirec::FixDistRecord& image() { return image_; }
  void loadFromImage();
  // Over the image as read: a count only when changed since the load, a float only when it
  // differs from the image; bytes the properties do not hold stay.
  void storeToImage();
  // The cells that are not finite numbers ("itemArray.3.temp4"); an upload is refused while any is.
  Q_INVOKABLE QStringList invalidFields() const;

 private:
  calirec::FixDistRecord image_{};
  int loadedDistCount_ = -1, loadedBbCount_ = -1;  // after the last load; none before
  float loadedBb_[calirec::kFixDistRows] = {};
  QList<CFixDistItem*> items_;
};

class CFixDistEditor : public CLoginBlockEditor {
  Q_OBJECT
  Q_PROPERTY(CFixDistFile* file READ file CONSTANT)

 public:
  explicit CFixDistEditor(QObject* parent = nullptr) : CLoginBlockEditor(parent) {}

  CFixDistFile* file() { return &file_; }

  // As the lens editor, on block 7 and 696-byte files with both counts in range.
  Q_INVOKABLE int init(const QString& ip);
  Q_INVOKABLE int downloadMem(int type);
  Q_INVOKABLE int uploadMem(int type);
  Q_INVOKABLE int load(const QString& path);
  Q_INVOKABLE int save(const QString& path);

 private:
  CFixDistFile file_;
};
