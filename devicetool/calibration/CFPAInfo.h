// The two detector register sets a calibration entry carries in its 256-byte register area: the
// VNR family (detector types 508 to 512) and the QJ family (every other type).
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <cstdint>

#include "CDeviceConfigBase.h"

// VNR: voltages are counts of a 12-bit converter over 5 V (count x 5 / 4096 volts). Bytes 10-15
// are not the tool's.
class CFPAInfoVNR : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(double ad_vdda READ ad_vdda WRITE setAd_vdda NOTIFY ad_vddaChanged)
  Q_PROPERTY(double ad_vddo READ ad_vddo WRITE setAd_vddo NOTIFY ad_vddoChanged)
  Q_PROPERTY(double ad_gpol READ ad_gpol WRITE setAd_gpol NOTIFY ad_gpolChanged)
  Q_PROPERTY(double ad_vr READ ad_vr WRITE setAd_vr NOTIFY ad_vrChanged)
  Q_PROPERTY(double ad_subpv READ ad_subpv WRITE setAd_subpv NOTIFY ad_subpvChanged)
  Q_PROPERTY(int ad_offset0 MEMBER ad_offset0_ NOTIFY ad_offset0Changed)
  Q_PROPERTY(int ad_offset1 MEMBER ad_offset1_ NOTIFY ad_offset1Changed)
  Q_PROPERTY(int ad_offset2 MEMBER ad_offset2_ NOTIFY ad_offset2Changed)
  Q_PROPERTY(int ad_offset3 MEMBER ad_offset3_ NOTIFY ad_offset3Changed)
  Q_PROPERTY(int tint MEMBER tint_ NOTIFY tintChanged)
  Q_PROPERTY(int origin MEMBER origin_ NOTIFY originChanged)
  Q_PROPERTY(int gain MEMBER gain_ NOTIFY gainChanged)

 public:
  static constexpr int kRecordSize = 26;
  explicit CFPAInfoVNR(QObject* parent = nullptr);

  void fromRecord(const uint8_t* record);
  // Each voltage goes as its nearest count, clamped to the 16-bit register; a voltage that is
  // not a finite number is never taken (writes of one are refused).
  void toRecord(uint8_t* record);

  double ad_vdda() const { return volts_[0]; }
  double ad_vddo() const { return volts_[1]; }
  double ad_gpol() const { return volts_[2]; }
  double ad_vr() const { return volts_[3]; }
  double ad_subpv() const { return volts_[4]; }
  void setAd_vdda(double v) { setVolts(0, v); }
  void setAd_vddo(double v) { setVolts(1, v); }
  void setAd_gpol(double v) { setVolts(2, v); }
  void setAd_vr(double v) { setVolts(3, v); }
  void setAd_subpv(double v) { setVolts(4, v); }

 signals:
  void ad_vddaChanged();
  void ad_vddoChanged();
  void ad_gpolChanged();
  void ad_vrChanged();
  void ad_subpvChanged();
  void ad_offset0Changed();
  void ad_offset1Changed();
  void ad_offset2Changed();
  void ad_offset3Changed();
  void tintChanged();
  void originChanged();
  void gainChanged();

 private:
  void setVolts(int i, double v);
  double volts_[5] = {};
  uint16_t loadedCounts_[5] = {};
  int loadedOrigin_ = -1;  // origin after the last load; none before
  int ad_offset0_ = 0, ad_offset1_ = 0, ad_offset2_ = 0, ad_offset3_ = 0;
  int tint_ = 0, origin_ = 0, gain_ = 0;
};

// One of the seven QJ items: the FPA temperature in hundredths (i16), fos, tint and cap bytes.
class CQJItem : public QObject {
  Q_OBJECT
  Q_PROPERTY(double fpa READ fpa WRITE setFpa NOTIFY fpaChanged)
  Q_PROPERTY(int fos READ fos WRITE setFos NOTIFY fosChanged)
  Q_PROPERTY(int tint READ tint WRITE setTint NOTIFY tintChanged)
  Q_PROPERTY(int cap READ cap WRITE setCap NOTIFY capChanged)

 public:
  explicit CQJItem(QObject* parent = nullptr) : QObject(parent) {}
  void fromRecord(const uint8_t* item);
  void toRecord(uint8_t* item) const;

  double fpa() const { return fpa_; }
  int fos() const { return fos_; }
  int tint() const { return tint_; }
  int cap() const { return cap_; }
  // A value that is not a finite number is never taken.
  void setFpa(double v);
  void setFos(int v);
  void setTint(int v);
  void setCap(int v);

 signals:
  void fpaChanged();
  void fosChanged();
  void tintChanged();
  void capChanged();

 private:
  double fpa_ = 0;
  int fos_ = 0, tint_ = 0, cap_ = 0;
};

// QJ: 25 one-byte registers, the item count at 31 and seven items of 8 bytes from 32. Bytes 25-30
// and bytes 5-7 of every item are not the tool's: storing leaves them as the record holds them.
class CFPAInfoQJ : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int tint MEMBER tint_ NOTIFY tintChanged)
  Q_PROPERTY(int int_cap MEMBER int_cap_ NOTIFY int_capChanged)
  Q_PROPERTY(int fos MEMBER fos_ NOTIFY fosChanged)
  Q_PROPERTY(int dll_trim MEMBER dll_trim_ NOTIFY dll_trimChanged)
  Q_PROPERTY(int ibias MEMBER ibias_ NOTIFY ibiasChanged)
  Q_PROPERTY(int ad_gain MEMBER ad_gain_ NOTIFY ad_gainChanged)
  Q_PROPERTY(int svrd MEMBER svrd_ NOTIFY svrdChanged)
  Q_PROPERTY(int nucr MEMBER nucr_ NOTIFY nucrChanged)
  Q_PROPERTY(int spwr MEMBER spwr_ NOTIFY spwrChanged)
  Q_PROPERTY(int agc_lg_l MEMBER agc_lg_l_ NOTIFY agc_lg_lChanged)
  Q_PROPERTY(int srd MEMBER srd_ NOTIFY srdChanged)
  Q_PROPERTY(int x1_trim_v2 MEMBER x1_trim_v2_ NOTIFY x1_trim_v2Changed)
  Q_PROPERTY(int x1_xrdm MEMBER x1_xrdm_ NOTIFY x1_xrdmChanged)
  Q_PROPERTY(int x1_c3 MEMBER x1_c3_ NOTIFY x1_c3Changed)
  Q_PROPERTY(int x2_adg MEMBER x2_adg_ NOTIFY x2_adgChanged)
  Q_PROPERTY(int x2_srg MEMBER x2_srg_ NOTIFY x2_srgChanged)
  Q_PROPERTY(int x2_svrs MEMBER x2_svrs_ NOTIFY x2_svrsChanged)
  Q_PROPERTY(int x2_lg_en MEMBER x2_lg_en_ NOTIFY x2_lg_enChanged)
  Q_PROPERTY(int x2_srsm0 MEMBER x2_srsm0_ NOTIFY x2_srsm0Changed)
  Q_PROPERTY(int x2_srsm1 MEMBER x2_srsm1_ NOTIFY x2_srsm1Changed)
  Q_PROPERTY(int x2_srsm2 MEMBER x2_srsm2_ NOTIFY x2_srsm2Changed)
  Q_PROPERTY(int x3_tos MEMBER x3_tos_ NOTIFY x3_tosChanged)
  Q_PROPERTY(int x3_srdm MEMBER x3_srdm_ NOTIFY x3_srdmChanged)
  Q_PROPERTY(int x3_sagcr MEMBER x3_sagcr_ NOTIFY x3_sagcrChanged)
  Q_PROPERTY(int x3_poc MEMBER x3_poc_ NOTIFY x3_pocChanged)
  Q_PROPERTY(int item_count MEMBER item_count_ NOTIFY item_countChanged)
  Q_PROPERTY(QQmlListProperty<CQJItem> item_array READ item_array CONSTANT)

 public:
  static constexpr int kRecordSize = 88;
  static constexpr int kItems = 7;
  explicit CFPAInfoQJ(QObject* parent = nullptr);

  void fromRecord(const uint8_t* record);
  // Every register clamped to a byte; all seven items whatever item_count says.
  void toRecord(uint8_t* record);

  QQmlListProperty<CQJItem> item_array();
  CQJItem* item(int k) { return items_.value(k); }

 signals:
  void tintChanged();
  void int_capChanged();
  void fosChanged();
  void dll_trimChanged();
  void ibiasChanged();
  void ad_gainChanged();
  void svrdChanged();
  void nucrChanged();
  void spwrChanged();
  void agc_lg_lChanged();
  void srdChanged();
  void x1_trim_v2Changed();
  void x1_xrdmChanged();
  void x1_c3Changed();
  void x2_adgChanged();
  void x2_srgChanged();
  void x2_svrsChanged();
  void x2_lg_enChanged();
  void x2_srsm0Changed();
  void x2_srsm1Changed();
  void x2_srsm2Changed();
  void x3_tosChanged();
  void x3_srdmChanged();
  void x3_sagcrChanged();
  void x3_pocChanged();
  void item_countChanged();

 private:
  int tint_ = 0, int_cap_ = 0, fos_ = 0, dll_trim_ = 0, ibias_ = 0, ad_gain_ = 0, svrd_ = 0, nucr_ = 0, spwr_ = 0,
      agc_lg_l_ = 0, srd_ = 0, x1_trim_v2_ = 0, x1_xrdm_ = 0, x1_c3_ = 0, x2_adg_ = 0, x2_srg_ = 0, x2_svrs_ = 0,
      x2_lg_en_ = 0, x2_srsm0_ = 0, x2_srsm1_ = 0, x2_srsm2_ = 0, x3_tos_ = 0, x3_srdm_ = 0, x3_sagcr_ = 0,
      x3_poc_ = 0, item_count_ = 0;
  QList<CQJItem*> items_;
};

// The external blackbody settings of commands 11 (read) and 12 (set): i16 enable, i16 temperature
// in tenths of a degree, u16 x, y, radius; the rest of the 64-byte payload zero.
class CExtBbConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool enable MEMBER enable_ NOTIFY enableChanged)
  Q_PROPERTY(double temp READ temp WRITE setTemp NOTIFY tempChanged)
  Q_PROPERTY(int x MEMBER x_ NOTIFY xChanged)
  Q_PROPERTY(int y MEMBER y_ NOTIFY yChanged)
  Q_PROPERTY(int radius MEMBER radius_ NOTIFY radiusChanged)

 public:
  static constexpr int kPayloadSize = 64;
  explicit CExtBbConfig(QObject* parent = nullptr) : QObject(parent) {}
  void fromRecord(const uint8_t* payload);
  void toRecord(uint8_t* payload) const;

  double temp() const { return temp_; }
  // The tenths follow by the shared scaled-field rule, clamped to the i16 field; a value that is
  // not a finite number is not taken.
  void setTemp(double v);
  int tempTenths() const { return tenths_; }

 signals:
  void enableChanged();
  void tempChanged();
  void xChanged();
  void yChanged();
  void radiusChanged();

 private:
  bool enable_ = false;
  double temp_ = 0;
  int tenths_ = 0;
  int x_ = 0, y_ = 0, radius_ = 0;
};
