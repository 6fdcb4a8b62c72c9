// The device tool's fixed option lists for its combo boxes and tool bars, built once at start-up
// and never changed. GUI thread.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>

#include "foundation_qt/CNameValue.h"
#include "foundation_qt/CTypeNameDescIcon.h"
#include "foundation_qt/EEnum.h"

namespace calorset {

class CCommonManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CNameValue> languageList READ languageList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> transTypeList READ transTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> paletteList READ paletteList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> transformList READ transformList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> strechList READ strechList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> colorTempList READ colorTempList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> gearLevelList READ gearLevelList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> zoomList READ zoomList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> textPosList READ textPosList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> destripTypeList READ destripTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> denoiseTypeList READ denoiseTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> ratioList READ ratioList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> desmearLevelList READ desmearLevelList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> shutterModeList READ shutterModeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> sp_usageList READ sp_usageList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> sp_baudRateList READ sp_baudRateList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> sp_dataBitsList READ sp_dataBitsList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> sp_stopBitsList READ sp_stopBitsList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> sp_parityList READ sp_parityList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> gpio_inputTypeList READ gpio_inputTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> gpio_outputTypeList READ gpio_outputTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> modbus_modeList READ modbus_modeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> kqdatavm_modeList READ kqdatavm_modeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> meaToolList READ meaToolList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> irTypeList READ irTypeList CONSTANT)

 public:
  static constexpr int kNameValueLists = 24;

  explicit CCommonManager(QObject* parent = nullptr);

  // Registers EEnum (singleton instance), CNameValue, CTypeNameDescIcon and CCommonManager in
  // "Ostrel" 1.0 and fills the lists; later calls return at once. 0.
  int init();
  bool built() const { return built_; }
  EEnum* eenum() const { return enum_; }
  // The name-value lists in property order (the measurement tools left out).
  const QList<CNameValue*>& nameValueList(int index) const { return lists_[index]; }
  const QList<CTypeNameDescIcon*>& meaTools() const { return meaTool_; }

  Q_INVOKABLE bool fileExists(const QString& fileName) const;

  QQmlListProperty<CNameValue> languageList() { return nv(&lists_[0]); }
  QQmlListProperty<CNameValue> transTypeList() { return nv(&lists_[1]); }
  QQmlListProperty<CNameValue> paletteList() { return nv(&lists_[2]); }
  QQmlListProperty<CNameValue> transformList() { return nv(&lists_[3]); }
  QQmlListProperty<CNameValue> strechList() { return nv(&lists_[4]); }
  QQmlListProperty<CNameValue> colorTempList() { return nv(&lists_[5]); }
  QQmlListProperty<CNameValue> gearLevelList() { return nv(&lists_[6]); }
  QQmlListProperty<CNameValue> zoomList() { return nv(&lists_[7]); }
  QQmlListProperty<CNameValue> textPosList() { return nv(&lists_[8]); }
  QQmlListProperty<CNameValue> destripTypeList() { return nv(&lists_[9]); }
  QQmlListProperty<CNameValue> denoiseTypeList() { return nv(&lists_[10]); }
  QQmlListProperty<CNameValue> ratioList() { return nv(&lists_[11]); }
  QQmlListProperty<CNameValue> desmearLevelList() { return nv(&lists_[12]); }
  QQmlListProperty<CNameValue> shutterModeList() { return nv(&lists_[13]); }
  QQmlListProperty<CNameValue> sp_usageList() { return nv(&lists_[14]); }
  QQmlListProperty<CNameValue> sp_baudRateList() { return nv(&lists_[15]); }
  QQmlListProperty<CNameValue> sp_dataBitsList() { return nv(&lists_[16]); }
  QQmlListProperty<CNameValue> sp_stopBitsList() { return nv(&lists_[17]); }
  QQmlListProperty<CNameValue> sp_parityList() { return nv(&lists_[18]); }
  QQmlListProperty<CNameValue> gpio_inputTypeList() { return nv(&lists_[19]); }
  QQmlListProperty<CNameValue> gpio_outputTypeList() { return nv(&lists_[20]); }
  QQmlListProperty<CNameValue> modbus_modeList() { return nv(&lists_[21]); }
  QQmlListProperty<CNameValue> kqdatavm_modeList() { return nv(&lists_[22]); }
  QQmlListProperty<CTypeNameDescIcon> meaToolList() { return tndi(&meaTool_); }
  QQmlListProperty<CNameValue> irTypeList() { return nv(&lists_[23]); }

 private:
  QQmlListProperty<CNameValue> nv(QList<CNameValue*>* list);
  QQmlListProperty<CTypeNameDescIcon> tndi(QList<CTypeNameDescIcon*>* list);

  bool built_ = false;
  EEnum* enum_;
  QList<CNameValue*> lists_[kNameValueLists];
  QList<CTypeNameDescIcon*> meaTool_;
};

}  // namespace calorset
