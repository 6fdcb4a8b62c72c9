// The custom correction tables of a camera: up to 16 (blackbody, measured) pairs with a note and
// the time of the last change, per temperature range, in memory blocks 3 and (for cameras with a
// second range) 4.
#pragma once

#include <QList>
#include <QQmlListProperty>
#include <array>

#include "CLoginBlockEditor.h"
#include "CaliProps.h"
#include "CaliRecords.h"

class CCustPoint : public QObject {
  Q_OBJECT
  CALI_FLOAT_PROPERTY(blackbody, setBlackbody)
  CALI_FLOAT_PROPERTY(temp, setTemp)
  // Shown beside the pair; the record has no place for it.
  CALI_FLOAT_PROPERTY(emmi, setEmmi)

 public:
  explicit CCustPoint(QObject* parent = nullptr) : QObject(parent) { emmi_ = 0.97f; }
};

class CCustFile : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool editEnable READ editEnable NOTIFY editEnableChanged)
  Q_PROPERTY(QString timestamp READ timestamp NOTIFY timestampChanged)
  Q_PROPERTY(QString note READ note WRITE setNote NOTIFY noteChanged)
  CALI_INT_PROPERTY(itemCount, setItemCount, 0, calirec::kCustPoints)
  Q_PROPERTY(QQmlListProperty<CCustPoint> itemList READ itemList CONSTANT)

 public:
  explicit CCustFile(QObject* parent = nullptr);
  ~CCustFile() override;

  bool editEnable() const { return editEnable_; }
  QString timestamp() const { return timestamp_; }
  QString note() const { return note_; }
  void setNote(const QString& v);
  QQmlListProperty<CCustPoint> itemList();
  CCustPoint* item(int i) const { return items_.at(i); }

  calirec::CustCorrRecord& image() { return image_; }
  // Properties from the image; each emits only when it changed.
  void loadFromImage();
  // The image from the properties, stamped with `filetime`: a value is written only when it was
  // changed (the note and the count since the load, a float when it differs from the image), so
  // bytes the editor does not use, a legacy-encoded note and an out-of-range count stay.
  void storeToImage(uint64_t filetime);
  // Whether a value differs from the image as loaded (the time aside).
  bool edited() const;
  // The points whose blackbody or temperature is not a finite number, as
  // "itemList.<row>.blackbody" / "itemList.<row>.temp"; an upload is refused while any is.
  Q_INVOKABLE QStringList invalidFields() const;
  void setEditEnable(bool v);

  // "yyyy-MM-dd HH:mm:ss" in local time of a FILETIME.
  static QString filetimeText(uint64_t filetime);

 signals:
  void editEnableChanged();
  void timestampChanged();
  void noteChanged();

 private:
  calirec::CustCorrRecord image_{};
  QString loadedNote_;
  int loadedCount_ = -1;  // itemCount after the last load; none before
  bool editEnable_ = false;
  QString timestamp_, note_;
  QList<CCustPoint*> items_;
};

class CCustEditor : public CLoginBlockEditor {
  Q_OBJECT
  Q_PROPERTY(bool tempRangeSingle READ tempRangeSingle NOTIFY tempRangeSingleChanged)
  Q_PROPERTY(CCustFile* cust READ cust CONSTANT)
  Q_PROPERTY(CCustFile* cust2 READ cust2 CONSTANT)

 public:
  explicit CCustEditor(QObject* parent = nullptr) : CLoginBlockEditor(parent) {}

  bool tempRangeSingle() const { return tempRangeSingle_; }
  CCustFile* cust() { return &cust_; }
  CCustFile* cust2() { return &cust2_; }

  // Logs in and reads block 3, and block 4 when the camera's software id names a second range
  // ("QB", "QF" or "QH"). The first failure is returned (and the login released); else 0.
  Q_INVOKABLE int init(const QString& ip);
  // Type 3 or 4 (else -8); -7 without login. A failure leaves the file's values and clears its
  // editEnable.
  Q_INVOKABLE int downloadMem(int type);
  // Stamps and stores the file, then sends it. -8 for another type, or (nothing sent) while a
  // point shows a value that is not finite; -7 without login or before the block was read on this
  // login; 0 without sending when nothing was changed.
  Q_INVOKABLE int uploadMem(int type);

  // Whether a software id names a camera with two temperature ranges (case-sensitive).
  static bool hasTwoRanges(const char* softwareId, size_t n);

 signals:
  void tempRangeSingleChanged();

 private:
  CCustFile* fileOf(int type);

  bool tempRangeSingle_ = true;
  CCustFile cust_, cust2_;
};
