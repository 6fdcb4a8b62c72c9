// The object tree over a camera's XCali calibration block: the head, ten calibration entries (a
// first-stage part with its detector registers, a second-stage table, custom points), the output
// resolutions and the run state. Loaded whole from the block; each part stores over a copy of the
// camera's own bytes of that part, so what no property covers goes back as it came.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "CDeviceConfigBase.h"
#include "CFPAInfo.h"
#include "foundation_qt/CNameValue.h"

class CXCaliHead : public QObject {
  Q_OBJECT
  Q_PROPERTY(int detType READ detType NOTIFY detTypeChanged)
  Q_PROPERTY(int resCount READ resCount NOTIFY resCountChanged)
  Q_PROPERTY(int caliCount READ caliCount WRITE setCaliCount NOTIFY caliCountChanged)

 public:
  explicit CXCaliHead(QObject* parent = nullptr) : QObject(parent) {}
  // Detector type and resolution count as the block holds them; a calibration count outside
  // 1..10 is none a camera can use and leaves the shown one.
  void fromRecord(const uint8_t* block);
  // The 64-byte head of an update, over the camera's head: detector type, resolution count, and
  // the calibration count only when it was changed since the load (a count out of range stays
  // this camera's own).
  void toRecord(uint8_t* head) const;

  int detType() const { return detType_; }
  int resCount() const { return resCount_; }
  int caliCount() const { return caliCount_; }
  // A head without calibration entries cannot be written: the count is kept in 1..10.
  void setCaliCount(int v);

 signals:
  void detTypeChanged();
  void resCountChanged();
  void caliCountChanged();

 private:
  int detType_ = 0, resCount_ = 0, caliCount_ = 0;
  int loadedCaliCount_ = -1;  // caliCount after the last load; none before
};

// First-stage part (320 bytes).
class CXCali1 : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool enable MEMBER enable_ NOTIFY enableChanged)
  Q_PROPERTY(int filter MEMBER filter_ NOTIFY filterChanged)
  Q_PROPERTY(int lens MEMBER lens_ NOTIFY lensChanged)
  Q_PROPERTY(int envTempMin MEMBER envTempMin_ NOTIFY envTempMinChanged)
  Q_PROPERTY(int envTempMax MEMBER envTempMax_ NOTIFY envTempMaxChanged)
  Q_PROPERTY(int bbTempMin MEMBER bbTempMin_ NOTIFY bbTempMinChanged)
  Q_PROPERTY(int bbTempMax MEMBER bbTempMax_ NOTIFY bbTempMaxChanged)
  Q_PROPERTY(QString name MEMBER name_ NOTIFY nameChanged)
  Q_PROPERTY(int shutterMode MEMBER shutterMode_ NOTIFY shutterModeChanged)
  Q_PROPERTY(CFPAInfoVNR* vnr READ vnr CONSTANT)
  Q_PROPERTY(CFPAInfoQJ* qj READ qj CONSTANT)

 public:
  static constexpr int kRecordSize = 320;
  explicit CXCali1(QObject* parent = nullptr);

  void fromRecord(const uint8_t* part);
  // Over the camera's part: integers clamped to their fields, the name cut on a whole UTF-8
  // character to 31 bytes, the register set of the entry's detector family; a field whose value
  // did not change keeps its bytes.
  void toRecord(uint8_t* part);

  CFPAInfoVNR* vnr() { return &vnr_; }
  CFPAInfoQJ* qj() { return &qj_; }
  QString name() const { return name_; }
  int detType() const { return detType_; }
  void setDetType(int t);

 signals:
  void enableChanged();
  void filterChanged();
  void lensChanged();
  void envTempMinChanged();
  void envTempMaxChanged();
  void bbTempMinChanged();
  void bbTempMaxChanged();
  void nameChanged();
  void shutterModeChanged();
  void ext_detTypeChanged();

 private:
  bool enable_ = false;
  int filter_ = 0, lens_ = 0, envTempMin_ = 0, envTempMax_ = 0, bbTempMin_ = 0, bbTempMax_ = 0, shutterMode_ = 0;
  QString name_;
  int detType_ = 0;
  CFPAInfoVNR vnr_;
  CFPAInfoQJ qj_;
};

// One row of a second-stage table (blackbody and the temperature at each of four shell
// temperatures) or of the custom points (blackbody and temp0). The views' writes of a value that
// is not a finite number are refused: a cell never uploads one.
class CXCali2Point : public QObject {
  Q_OBJECT
  Q_PROPERTY(float blackbody READ blackbody WRITE setBlackbody NOTIFY blackbodyChanged)
  Q_PROPERTY(float temp0 READ temp0 WRITE setTemp0 NOTIFY temp0Changed)
  Q_PROPERTY(float temp1 READ temp1 WRITE setTemp1 NOTIFY temp1Changed)
  Q_PROPERTY(float temp2 READ temp2 WRITE setTemp2 NOTIFY temp2Changed)
  Q_PROPERTY(float temp3 READ temp3 WRITE setTemp3 NOTIFY temp3Changed)

 public:
  explicit CXCali2Point(QObject* parent = nullptr) : QObject(parent) {}
  float blackbody() const { return bb_; }
  float temp0() const { return t_[0]; }
  float temp1() const { return t_[1]; }
  float temp2() const { return t_[2]; }
  float temp3() const { return t_[3]; }
  float temp(int i) const { return t_[i]; }
  void setBlackbody(float v);
  void setTemp0(float v) { setTemp(0, v); }
  void setTemp1(float v) { setTemp(1, v); }
  void setTemp2(float v) { setTemp(2, v); }
  void setTemp3(float v) { setTemp(3, v); }
  void setTemp(int i, float v);
  // Loading from the block takes whatever the camera holds, not-a-number included, so an
  // untouched table goes back as it came.
  void loadBlackbody(float v);
  void loadTemp(int i, float v);
  // Whether the blackbody was changed since the last load.
  bool blackbodyEdited() const;

 signals:
  void blackbodyChanged();
  void temp0Changed();
  void temp1Changed();
  void temp2Changed();
  void temp3Changed();

 private:
  float bb_ = 0;
  float t_[4] = {};
  float loadedBb_ = 0;
};

// Second-stage part (1232 bytes): the header and four tables of 24 points, one per shell
// temperature; a point's blackbody goes into all four tables.
class CXCali2 : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool enable MEMBER enable_ NOTIFY enableChanged)
  Q_PROPERTY(int envCount MEMBER envCount_ NOTIFY envCountChanged)
  Q_PROPERTY(int bbCount MEMBER bbCount_ NOTIFY bbCountChanged)
  Q_PROPERTY(float globalEnvTemp READ globalEnvTemp WRITE setGlobalEnvTemp NOTIFY globalEnvTempChanged)
  Q_PROPERTY(float globalEmissivity READ globalEmissivity WRITE setGlobalEmissivity NOTIFY globalEmissivityChanged)
  Q_PROPERTY(float shell0 READ shell0 WRITE setShell0 NOTIFY shell0Changed)
  Q_PROPERTY(float shell1 READ shell1 WRITE setShell1 NOTIFY shell1Changed)
  Q_PROPERTY(float shell2 READ shell2 WRITE setShell2 NOTIFY shell2Changed)
  Q_PROPERTY(float shell3 READ shell3 WRITE setShell3 NOTIFY shell3Changed)
  Q_PROPERTY(QQmlListProperty<CXCali2Point> pointArray READ pointArray CONSTANT)

 public:
  static constexpr int kRecordSize = 1232;
  explicit CXCali2(QObject* parent = nullptr);

  void fromRecord(const uint8_t* part);
  void toRecord(uint8_t* part);

  // The values this part shows that are not finite numbers (a camera's block may hold them):
  // property names, and "pointArray.<row>.<property>" for a table cell. An update is refused
  // while the list is not empty.
  Q_INVOKABLE QStringList invalidFields() const;

  // The six floats (global environment temperature, emissivity, shells 0-3). A write of a value
  // that is not finite is refused; loading takes whatever the camera holds.
  float globalEnvTemp() const { return f_[0]; }
  float globalEmissivity() const { return f_[1]; }
  float shell0() const { return f_[2]; }
  float shell1() const { return f_[3]; }
  float shell2() const { return f_[4]; }
  float shell3() const { return f_[5]; }
  void setGlobalEnvTemp(float v) { setFloat(0, v); }
  void setGlobalEmissivity(float v) { setFloat(1, v); }
  void setShell0(float v) { setFloat(2, v); }
  void setShell1(float v) { setFloat(3, v); }
  void setShell2(float v) { setFloat(4, v); }
  void setShell3(float v) { setFloat(5, v); }

  // Fills column `index` (0..3) of the table from spreadsheet text: lines of four fields split by
  // two tabs (blackbody, temperature, unused, shell temperature). At most 24 rows; the shell
  // temperature of the column becomes the mean of the fourth fields that read as numbers. The
  // number of rows taken; 0 (nothing changes) for an index above 3 or a text without rows; -8
  // (nothing changes) when a taken field reads as a number that is not finite ("inf", "nan",
  // "1e39", which overflows a float).
  Q_INVOKABLE int importData(const QString& text, int index);

  QQmlListProperty<CXCali2Point> pointArray();
  CXCali2Point* point(int i) { return points_.value(i); }

 signals:
  void enableChanged();
  void envCountChanged();
  void bbCountChanged();
  void globalEnvTempChanged();
  void globalEmissivityChanged();
  void shell0Changed();
  void shell1Changed();
  void shell2Changed();
  void shell3Changed();

 private:
  void setFloat(int i, float v);
  void loadFloat(int i, float v);

  bool enable_ = false;
  int envCount_ = 0, bbCount_ = 0;
  float f_[6] = {};
  QList<CXCali2Point*> points_;
};

// Custom part (352 bytes): 24 points of blackbody and measured temperature.
class CXCaliCust : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool enable MEMBER enable_ NOTIFY enableChanged)
  Q_PROPERTY(int bbCount MEMBER bbCount_ NOTIFY bbCountChanged)
  Q_PROPERTY(QQmlListProperty<CXCali2Point> pointArray READ pointArray CONSTANT)

 public:
  static constexpr int kRecordSize = 352;
  explicit CXCaliCust(QObject* parent = nullptr);

  void fromRecord(const uint8_t* part);
  void toRecord(uint8_t* part);
  // As CXCali2::invalidFields, over the points' blackbody and temp0.
  Q_INVOKABLE QStringList invalidFields() const;

  QQmlListProperty<CXCali2Point> pointArray();
  CXCali2Point* point(int i) { return points_.value(i); }

 signals:
  void enableChanged();
  void bbCountChanged();

 private:
  bool enable_ = false;
  int bbCount_ = 0;
  QList<CXCali2Point*> points_;
};

class CXCaliRes : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int width MEMBER width_ NOTIFY widthChanged)
  Q_PROPERTY(int height MEMBER height_ NOTIFY heightChanged)
  Q_PROPERTY(int fpsNum MEMBER fpsNum_ NOTIFY fpsNumChanged)
  Q_PROPERTY(int fpsDen MEMBER fpsDen_ NOTIFY fpsDenChanged)
  Q_PROPERTY(int tag MEMBER tag_ NOTIFY tagChanged)

 public:
  static constexpr int kRecordSize = 32;
  explicit CXCaliRes(QObject* parent = nullptr);
  void fromRecord(const uint8_t* res) { CDeviceConfigBase::fromRecord(res, kRecordSize); }

 signals:
  void widthChanged();
  void heightChanged();
  void fpsNumChanged();
  void fpsDenChanged();
  void tagChanged();

 private:
  int width_ = 0, height_ = 0, fpsNum_ = 0, fpsDen_ = 0, tag_ = 0;
};

class CXCaliState : public QObject {
  Q_OBJECT
  Q_PROPERTY(double fpa_temp READ fpa_temp NOTIFY fpa_tempChanged)
  Q_PROPERTY(double shell_temp READ shell_temp NOTIFY shell_tempChanged)
  Q_PROPERTY(double shell_tempHW READ shell_tempHW NOTIFY shell_tempHWChanged)
  Q_PROPERTY(int res_cur READ res_cur NOTIFY res_curChanged)
  Q_PROPERTY(int cali_cur READ cali_cur NOTIFY cali_curChanged)
  Q_PROPERTY(QString info READ info NOTIFY infoChanged)

 public:
  explicit CXCaliState(QObject* parent = nullptr) : QObject(parent) {}
  void fromRecord(const uint8_t* block);
  double fpa_temp() const { return fpa_temp_; }
  double shell_temp() const { return shell_temp_; }
  double shell_tempHW() const { return shell_tempHW_; }
  int res_cur() const { return res_cur_; }
  int cali_cur() const { return cali_cur_; }
  QString info() const { return info_; }

 signals:
  void fpa_tempChanged();
  void shell_tempChanged();
  void shell_tempHWChanged();
  void res_curChanged();
  void cali_curChanged();
  void infoChanged();

 private:
  double fpa_temp_ = 0, shell_temp_ = 0, shell_tempHW_ = 0;
  int res_cur_ = 0, cali_cur_ = 0;
  QString info_;
};

class CXCali1Cali2Cust : public QObject {
  Q_OBJECT
  Q_PROPERTY(CXCali1* cali1 READ cali1 CONSTANT)
  Q_PROPERTY(CXCali2* cali2 READ cali2 CONSTANT)
  Q_PROPERTY(CXCaliCust* cust READ cust CONSTANT)

 public:
  explicit CXCali1Cali2Cust(QObject* parent = nullptr) : QObject(parent) {}
  CXCali1* cali1() { return &cali1_; }
  CXCali2* cali2() { return &cali2_; }
  CXCaliCust* cust() { return &cust_; }

 private:
  CXCali1 cali1_;
  CXCali2 cali2_;
  CXCaliCust cust_;
};

class CXCali : public QObject {
  Q_OBJECT
  Q_PROPERTY(CXCaliHead* head READ head CONSTANT)
  Q_PROPERTY(QQmlListProperty<CXCali1Cali2Cust> caliArray READ caliArray CONSTANT)
  Q_PROPERTY(QQmlListProperty<CXCaliRes> resArray READ resArray NOTIFY resArrayChanged)
  Q_PROPERTY(QQmlListProperty<CNameValue> gearArray READ gearArray NOTIFY gearArrayChanged)
  Q_PROPERTY(CXCaliState* state READ state CONSTANT)

 public:
  explicit CXCali(QObject* parent = nullptr);
  // Loads the whole tree from a 19488-byte block.
  void fromRecord(const uint8_t* block);

  CXCaliHead* head() { return &head_; }
  CXCaliState* state() { return &state_; }
  CXCali1Cali2Cust* entry(int k) { return cali_.value(k); }
  QQmlListProperty<CXCali1Cali2Cust> caliArray();
  QQmlListProperty<CXCaliRes> resArray();
  QQmlListProperty<CNameValue> gearArray();
  const QList<CNameValue*>& gears() const { return gearShown_; }
  const QList<CXCaliRes*>& resolutions() const { return resShown_; }

  // Registers the tree's types (and the editor's) in "Ostrel" 1.0.
  static void registerTypes();

 signals:
  void resArrayChanged();
  void gearArrayChanged();

 private:
  CXCaliHead head_;
  CXCaliState state_;
  QList<CXCali1Cali2Cust*> cali_;
  QList<CXCaliRes*> res_, resShown_;
  QList<CNameValue*> gear_, gearShown_;
};
