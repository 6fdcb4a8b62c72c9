// The QML-facing image settings of one input, mirrored to and from the SDK's StretchCtl record.
// GUI thread only.
#pragma once

#include <QColor>
#include <QObject>

struct StretchCtl;

class TempImageConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(int paletteType READ paletteType WRITE setPaletteType NOTIFY paletteTypeChanged)
  Q_PROPERTY(int strechType READ strechType WRITE setStrechType NOTIFY strechTypeChanged)
  Q_PROPERTY(float gain READ gain WRITE setGain NOTIFY gainChanged)
  Q_PROPERTY(int temp2gray READ temp2gray WRITE setTemp2gray NOTIFY temp2grayChanged)
  Q_PROPERTY(int ddeLevel READ ddeLevel WRITE setDdeLevel NOTIFY ddeLevelChanged)
  Q_PROPERTY(int denoise READ denoise WRITE setDenoise NOTIFY denoiseChanged)
  Q_PROPERTY(bool man_enable READ man_enable WRITE setMan_enable NOTIFY man_enableChanged)
  Q_PROPERTY(float man_temp0 READ man_temp0 WRITE setMan_temp0 NOTIFY man_temp0Changed)
  Q_PROPERTY(float man_temp1 READ man_temp1 WRITE setMan_temp1 NOTIFY man_temp1Changed)
  Q_PROPERTY(int ct_type READ ct_type WRITE setCt_type NOTIFY ct_typeChanged)
  Q_PROPERTY(float ct_temp0 READ ct_temp0 WRITE setCt_temp0 NOTIFY ct_temp0Changed)
  Q_PROPERTY(float ct_temp1 READ ct_temp1 WRITE setCt_temp1 NOTIFY ct_temp1Changed)
  Q_PROPERTY(QColor ct_color0 READ ct_color0 WRITE setCt_color0 NOTIFY ct_color0Changed)
  Q_PROPERTY(QColor ct_color1 READ ct_color1 WRITE setCt_color1 NOTIFY ct_color1Changed)
  Q_PROPERTY(int smalltarget_bg READ smalltarget_bg WRITE setSmalltarget_bg NOTIFY smalltarget_bgChanged)

 public:
  explicit TempImageConfig(QObject* parent = nullptr);

  int paletteType() const { return paletteType_; }
  int strechType() const { return strechType_; }
  float gain() const { return gain_; }
  int temp2gray() const { return temp2gray_; }
  int ddeLevel() const { return ddeLevel_; }
  int denoise() const { return denoise_; }
  bool man_enable() const { return man_enable_; }
  float man_temp0() const { return man_temp0_; }
  float man_temp1() const { return man_temp1_; }
  int ct_type() const { return ct_type_; }
  float ct_temp0() const { return ct_temp0_; }
  float ct_temp1() const { return ct_temp1_; }
  QColor ct_color0() const { return ct_color0_; }
  QColor ct_color1() const { return ct_color1_; }
  int smalltarget_bg() const { return smalltarget_bg_; }

  void setPaletteType(int v);
  void setStrechType(int v);
  void setGain(float v);
  void setTemp2gray(int v);
  void setDdeLevel(int v);
  void setDenoise(int v);
  void setMan_enable(bool v);
  void setMan_temp0(float v);
  void setMan_temp1(float v);
  void setCt_type(int v);
  void setCt_temp0(float v);
  void setCt_temp1(float v);
  void setCt_color0(const QColor& v);
  void setCt_color1(const QColor& v);
  void setSmalltarget_bg(int v);

  // Takes every field the record carries (not the palette); each property signals only when it
  // changed. A null record does nothing.
  void fromParams(const StretchCtl* ctl);
  // Writes the same fields; the apply flags (first word) are the caller's. A null record does
  // nothing.
  void toParams(StretchCtl* ctl) const;

  // Temperatures travel as tenths of a degree in 16 bits; values beyond that range are clamped
  // rather than wrapped, so 4000 degrees stays the hottest representable value.
  static int16_t toTenths(float degrees);
  static float fromTenths(int16_t tenths);
  // Colour words are 0xAARRGGBB; the alpha byte is not trusted when reading.
  static QColor colorFromWord(uint32_t word);
  static uint32_t wordFromColor(const QColor& c);

 signals:
  void paletteTypeChanged();
  void strechTypeChanged();
  void gainChanged();
  void temp2grayChanged();
  void ddeLevelChanged();
  void denoiseChanged();
  void man_enableChanged();
  void man_temp0Changed();
  void man_temp1Changed();
  void ct_typeChanged();
  void ct_temp0Changed();
  void ct_temp1Changed();
  void ct_color0Changed();
  void ct_color1Changed();
  void smalltarget_bgChanged();

 private:
  int paletteType_ = 5;
  int strechType_ = 1;
  float gain_ = 2.0f;
  int temp2gray_ = 0;
  int ddeLevel_ = 0;
  int denoise_ = 0;
  bool man_enable_ = false;
  float man_temp0_ = 20.0f;
  float man_temp1_ = 40.0f;
  int ct_type_ = 0;
  float ct_temp0_ = 0.0f;
  float ct_temp1_ = 0.0f;
  QColor ct_color0_;
  QColor ct_color1_;
  int smalltarget_bg_ = 50;
};
