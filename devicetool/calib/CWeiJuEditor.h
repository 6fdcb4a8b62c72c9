// The lens calibration table (memory block 5, and the same 1088 bytes as a ".weiju" file): a first
// stage calibration, or a second stage table for lens 1 over up to four shell temperatures, or
// one for lens 2.
#pragma once

#include <QList>
#include <QQmlListProperty>
#include <array>

#include "CLoginBlockEditor.h"
#include "foundation_qt/CNameValue.h"
#include "CaliProps.h"
#include "CaliRow.h"
#include "CaliRecords.h"

// Lens 1 rows use all four temperatures, lens 2 rows temp0 only.
class CWeiJuItem : public CCaliRow {
  Q_OBJECT

 public:
  explicit CWeiJuItem(QObject* parent = nullptr) : CCaliRow(parent) {}
};

class CWeiJuFile : public QObject {
  Q_OBJECT
  CALI_INT_PROPERTY(cali_mode, setCali_mode, 0, 255)
  CALI_INT_PROPERTY(len1_env_count, setLen1_env_count, 0, calirec::kWeiJuShells)
  CALI_FLOAT_PROPERTY(len1_shell0, setLen1_shell0)
  CALI_FLOAT_PROPERTY(len1_shell1, setLen1_shell1)
  CALI_FLOAT_PROPERTY(len1_shell2, setLen1_shell2)
  CALI_FLOAT_PROPERTY(len1_shell3, setLen1_shell3)
  CALI_INT_PROPERTY(len1_bb_count, setLen1_bb_count, 0, calirec::kWeiJuRows)
  CALI_INT_PROPERTY(len2_bb_count, setLen2_bb_count, 0, calirec::kWeiJuRows)
  Q_PROPERTY(QQmlListProperty<CWeiJuItem> len1_bb_array READ len1_bb_array CONSTANT)
  Q_PROPERTY(QQmlListProperty<CWeiJuItem> len2_bb_array READ len2_bb_array CONSTANT)

 public:
  explicit CWeiJuFile(QObject* parent = nullptr);
  ~CWeiJuFile() override;

  QQmlListProperty<CWeiJuItem> len1_bb_array();
  QQmlListProperty<CWeiJuItem> len2_bb_array();
  CWeiJuItem* len1(int i) const { return len1_.at(i); }
  CWeiJuItem* len2(int i) const { return len2_.at(i); }

  calirec::WeiJuRecord& image() { return image_; }
  void loadFromImage();
  // Over the image as read: a count or mode only when changed since the load, a float only when
  // it differs from the image; bytes the editor does not use stay.
  void storeToImage();
  // The shells and cells that are not finite numbers ("len1_shell2", "len1_bb_array.3.temp1",
  // "len2_bb_array.0.blackbody"); an upload is refused while any is.
  Q_INVOKABLE QStringList invalidFields() const;

 private:
  calirec::WeiJuRecord image_{};
  // Mode and the three counts after the last load (none before), and the lens-1 blackbodies.
  std::array<int, 4> loaded_{-1, -1, -1, -1};
  float loadedBb1_[calirec::kWeiJuRows] = {};
  QList<CWeiJuItem*> len1_, len2_;
};

class CWeiJuEditor : public CLoginBlockEditor {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CNameValue> caliModeList READ caliModeList CONSTANT)
  Q_PROPERTY(CWeiJuFile* file READ file CONSTANT)

 public:
  explicit CWeiJuEditor(QObject* parent = nullptr);

  QQmlListProperty<CNameValue> caliModeList();
  CWeiJuFile* file() { return &file_; }

  // Logs in and reads block 5; the first failure is returned and releases the login.
  Q_INVOKABLE int init(const QString& ip);
  // Block 5 whatever `type` says. -7 without login; a failure leaves the values.
  Q_INVOKABLE int downloadMem(int type);
  // -7 without login or before block 5 was read on this login; -8 (nothing sent) while a value
  // shows that is not finite.
  Q_INVOKABLE int uploadMem(int type);
  // A file of exactly 1088 bytes with the tag and counts in range: 0; -7 without login; -200;
  // -198 shorter; -194 longer, another tag or a count out of range. Nothing changes on failure.
  Q_INVOKABLE int load(const QString& path);
  // 1; -7 without login; -200; -197 (an earlier file stays).
  Q_INVOKABLE int save(const QString& path);

 private:
  QList<CNameValue*> caliModeList_;  // children of the editor
  CWeiJuFile file_;
};
