#include "recorder/RecorderConfig.h"

#include <cstring>

#include "foundation/Helpers.h"
#include "settings/CCommonManager.h"

RecorderConfig::RecorderConfig(QObject* parent) : QObject(parent) { std::memset(&rec_, 0, sizeof rec_); }

RecorderConfigRecord RecorderConfig::defaults() {
  RecorderConfigRecord r;
  std::memset(&r, 0, sizeof r);
  r.recordDiv = 1;
  r.startTrigger = 257;
  r.stopTrigger = 513;
  r.addToRecent = 1;
  r.fnCount = 1;
  r.fnCountLen = 4;
  r.fnDateTime = 1;
  r.autoDelayStopBuffer = 10;
  return r;
}

bool RecorderConfig::storeText(char (&field)[256], QString& mirror, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  if (utf8.size() >= 256) return false;
  if (mirror == text && std::strncmp(field, utf8.constData(), 256) == 0) return false;
  std::memset(field, 0, sizeof field);
  std::memcpy(field, utf8.constData(), size_t(utf8.size()));
  mirror = text;
  return true;
}

void RecorderConfig::setFnPrefix(const QString& text) {
  if (storeText(rec_.fnPrefix, fnPrefix_, text)) emit fnPrefixChanged();
}

void RecorderConfig::setFnSuffix(const QString& text) {
  if (storeText(rec_.fnSuffix, fnSuffix_, text)) emit fnSuffixChanged();
}

void RecorderConfig::applyRecord(const RecorderConfigRecord& r) {
  setRecordDiv(r.recordDiv);
  setStartTrigger(r.startTrigger);
  setStopTrigger(r.stopTrigger);
  // Flags compare as stored, so a file's non-0/1 value is taken through the int form.
  auto flag = [](int32_t& field, int32_t v, auto emitter) {
    if (field == v) return;
    field = v;
    emitter();
  };
  flag(rec_.addToRecent, r.addToRecent, [this] { emit addToRecentChanged(); });
  flag(rec_.fnPrefixEnable, r.fnPrefixEnable, [this] { emit fnPrefixEnableChanged(); });
  setFnPrefix(QString::fromUtf8(r.fnPrefix, int(strnlen(r.fnPrefix, sizeof r.fnPrefix))));
  flag(rec_.fnCountEnable, r.fnCountEnable, [this] { emit fnCountEnableChanged(); });
  setFnCount(r.fnCount);
  setFnCountLen(r.fnCountLen);
  flag(rec_.fnCameraIdentity, r.fnCameraIdentity, [this] { emit fnCameraIdentityChanged(); });
  flag(rec_.fnDateTime, r.fnDateTime, [this] { emit fnDateTimeChanged(); });
  flag(rec_.fnSuffixEnable, r.fnSuffixEnable, [this] { emit fnSuffixEnableChanged(); });
  setFnSuffix(QString::fromUtf8(r.fnSuffix, int(strnlen(r.fnSuffix, sizeof r.fnSuffix))));
  flag(rec_.preBufferEnable, r.preBufferEnable, [this] { emit preBufferEnableChanged(); });
  setPreBuffer(r.preBuffer);
  flag(rec_.postBufferEnable, r.postBufferEnable, [this] { emit postBufferEnableChanged(); });
  setPostBuffer(r.postBuffer);
  setAutoDelayStopBuffer(r.autoDelayStopBuffer);
}

void RecorderConfig::cls2cls(RecorderConfig* other) {
  if (other != nullptr && other != this) applyRecord(other->rec_);
}

void RecorderConfig::refreshDesc(const CCommonManager* names) {
  auto name = [names](int code) -> QString {
    if (names != nullptr) return names->triggerName(code);
    switch (code) {
      case 257: return qtTrId("ERecorderTrigger_ManualStart");
      case 258: return qtTrId("ERecorderTrigger_CameraTagStart");
      case 513: return qtTrId("ERecorderTrigger_ManualStop");
      case 514: return qtTrId("ERecorderTrigger_CameraTagStop");
      case 515: return qtTrId("ERecorderTrigger_AutoDelayStop");
      default: return QStringLiteral("None");
    }
  };
  configDesc_ = QStringLiteral("%1 >> %2").arg(name(rec_.startTrigger), name(rec_.stopTrigger));
  emit configDescChanged();
}

void RecorderFile::set(Field f, const QString& text, bool force) {
  const bool changed = t_[f] != text;
  t_[f] = text;
  if (!changed && !force) return;
  switch (f) {
    case Fn: emit fnChanged(); break;
    case FnShort: emit fnShortChanged(); break;
    case BeginTime: emit beginTimeChanged(); break;
    case EndTime: emit endTimeChanged(); break;
    case Duration: emit durationChanged(); break;
    case FrameCount: emit frameCountChanged(); break;
    case StreamSize: emit streamSizeChanged(); break;
    case Failure: emit failureChanged(); break;
    default: break;
  }
}

void RecorderFile::copyFrom(const RecorderFile& other) {
  for (int i = 0; i < FieldCount; ++i) set(Field(i), other.t_[i]);
}

QString RecorderFile::dateTimeText(qint64 fileTime) {
  const ostrel::LocalDate d = ostrel::filetimeToLocalDate(fileTime);
  return QString::asprintf("%02d:%02d:%02d.%03d %04d-%02d-%02d", d.hour, d.minute, d.second, d.milliseconds, d.year,
                           d.month, d.day);
}

QString RecorderFile::durationText(qint64 ms) {
  if (ms < 0) ms = 0;
  return QString::asprintf("%02d:%02d:%02d.%03d", int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60),
                           int(ms % 1000));
}
