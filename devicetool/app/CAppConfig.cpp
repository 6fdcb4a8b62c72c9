#include "CAppConfig.h"

#include <QByteArray>
#include <cstring>

namespace calorset {

CAppConfig::CAppConfig(QObject* parent) : QObject(parent) {
  std::memset(&record_, 0, sizeof record_);
  record_.magic = kAppConfigMagic;
}

namespace {
// Stores and reports a change of one int field.
bool storeInt(int32_t& field, int v) {
  if (field == v) return false;
  field = v;
  return true;
}
}  // namespace

void CAppConfig::setLanguage(int v) {
  if (storeInt(record_.language, v)) emit languageChanged();
}

void CAppConfig::setSaveDir(const QString& v) {
  if (v == saveDir_) return;
  const QByteArray utf8 = v.toUtf8();
  if (utf8.size() >= qsizetype(sizeof record_.saveDir)) return;
  std::memset(record_.saveDir, 0, sizeof record_.saveDir);
  std::memcpy(record_.saveDir, utf8.constData(), size_t(utf8.size()));
  saveDir_ = v;
  emit saveDirChanged();
}

void CAppConfig::setTransType(int v) {
  if (storeInt(record_.transType, v)) emit transTypeChanged();
}

void CAppConfig::setChartFifoSize(int v) {
  if (storeInt(record_.chartFifoSize, v)) emit chartFifoSizeChanged();
}

void CAppConfig::setChartUpdateInterval(int v) {
  if (storeInt(record_.chartUpdateInterval, v)) emit chartUpdateIntervalChanged();
}

void CAppConfig::setDisplayFpsMax(int v) {
  if (storeInt(record_.displayFpsMax, v)) emit displayFpsMaxChanged();
}

void CAppConfig::cls2cls(CAppConfig* other) {
  if (other == nullptr || other == this) return;
  applyRecord(other->record());
}

void CAppConfig::applyRecord(const AppConfigRecord& in) {
  AppConfigRecord rec = in;  // `in` may be this object's own record
  record_.magic = kAppConfigMagic;
  setLanguage(rec.language);
  rec.saveDir[sizeof rec.saveDir - 1] = 0;
  setSaveDir(QString::fromUtf8(rec.saveDir));
  setTransType(rec.transType);
  setChartFifoSize(rec.chartFifoSize);
  setChartUpdateInterval(rec.chartUpdateInterval);
  setDisplayFpsMax(rec.displayFpsMax);
}

}  // namespace calorset
