// The recorder's settings: one 576-byte record (also the layout of "RecorderConfig.bin"), its
// two texts mirrored as QString, and the description of the triggers; and RecorderFile, the
// display texts of one recording. GUI thread.
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>

class CCommonManager;

#pragma pack(push, 1)
struct RecorderConfigRecord {
  int32_t recordDiv;
  int32_t startTrigger;
  int32_t stopTrigger;
  int32_t addToRecent;
  int32_t fnPrefixEnable;
  char fnPrefix[256];
  int32_t fnCountEnable;
  int32_t fnCount;
  int32_t fnCountLen;
  int32_t fnCameraIdentity;
  int32_t fnDateTime;
  int32_t fnSuffixEnable;
  char fnSuffix[256];
  int32_t preBufferEnable;
  int32_t preBuffer;
  int32_t postBufferEnable;
  int32_t postBuffer;
  int32_t autoDelayStopBuffer;
};
#pragma pack(pop)
static_assert(sizeof(RecorderConfigRecord) == 576, "RecorderConfigRecord is 576 bytes");
static_assert(offsetof(RecorderConfigRecord, fnCountEnable) == 276, "fnCountEnable at 276");
static_assert(offsetof(RecorderConfigRecord, fnSuffix) == 300, "fnSuffix at 300");
static_assert(offsetof(RecorderConfigRecord, autoDelayStopBuffer) == 572, "autoDelayStopBuffer at 572");

#define RC_INT_PROPERTY(name, Setter)                                                       \
  Q_PROPERTY(int name READ name WRITE Setter NOTIFY name##Changed)                          \
 public:                                                                                    \
  int name() const { return rec_.name; }                                                    \
  void Setter(int v) {                                                                      \
    if (rec_.name == v) return;                                                             \
    rec_.name = v;                                                                          \
    emit name##Changed();                                                                   \
  }                                                                                         \
  Q_SIGNAL void name##Changed();                                                            \
                                                                                            \
 private:

#define RC_BOOL_PROPERTY(name, Setter)                                                      \
  Q_PROPERTY(bool name READ name WRITE Setter NOTIFY name##Changed)                         \
 public:                                                                                    \
  bool name() const { return rec_.name != 0; }                                              \
  void Setter(bool v) {                                                                     \
    if (rec_.name == (v ? 1 : 0)) return;                                                   \
    rec_.name = v ? 1 : 0;                                                                  \
    emit name##Changed();                                                                   \
  }                                                                                         \
  Q_SIGNAL void name##Changed();                                                            \
                                                                                            \
 private:

class RecorderConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString configDesc READ configDesc NOTIFY configDescChanged)
  RC_INT_PROPERTY(recordDiv, setRecordDiv)
  RC_INT_PROPERTY(startTrigger, setStartTrigger)
  RC_INT_PROPERTY(stopTrigger, setStopTrigger)
  RC_BOOL_PROPERTY(addToRecent, setAddToRecent)
  RC_BOOL_PROPERTY(fnPrefixEnable, setFnPrefixEnable)
  Q_PROPERTY(QString fnPrefix READ fnPrefix WRITE setFnPrefix NOTIFY fnPrefixChanged)
  RC_BOOL_PROPERTY(fnCountEnable, setFnCountEnable)
  RC_INT_PROPERTY(fnCount, setFnCount)
  RC_INT_PROPERTY(fnCountLen, setFnCountLen)
  RC_BOOL_PROPERTY(fnCameraIdentity, setFnCameraIdentity)
  RC_BOOL_PROPERTY(fnDateTime, setFnDateTime)
  RC_BOOL_PROPERTY(fnSuffixEnable, setFnSuffixEnable)
  Q_PROPERTY(QString fnSuffix READ fnSuffix WRITE setFnSuffix NOTIFY fnSuffixChanged)
  RC_BOOL_PROPERTY(preBufferEnable, setPreBufferEnable)
  RC_INT_PROPERTY(preBuffer, setPreBuffer)
  RC_BOOL_PROPERTY(postBufferEnable, setPostBufferEnable)
  RC_INT_PROPERTY(postBuffer, setPostBuffer)
  RC_INT_PROPERTY(autoDelayStopBuffer, setAutoDelayStopBuffer)

 public:
  // The record all zero and the texts empty.
  explicit RecorderConfig(QObject* parent = nullptr);

  // The settings of a fresh installation.
  static RecorderConfigRecord defaults();

  QString configDesc() const { return configDesc_; }
  QString fnPrefix() const { return fnPrefix_; }
  QString fnSuffix() const { return fnSuffix_; }
  // Accepted only when the UTF-8 form is shorter than 256 bytes; otherwise nothing changes.
  void setFnPrefix(const QString& text);
  void setFnSuffix(const QString& text);

  const RecorderConfigRecord& record() const { return rec_; }
  // Takes every field of `rec` through the per-field compare and notify.
  void applyRecord(const RecorderConfigRecord& rec);
  Q_INVOKABLE void cls2cls(RecorderConfig* other);
  // configDesc = "<start trigger name> >> <stop trigger name>" (the option lists' names when
  // `names` is given), signalled.
  void refreshDesc(const CCommonManager* names);

 signals:
  void configDescChanged();
  void fnPrefixChanged();
  void fnSuffixChanged();

 private:
  static bool storeText(char (&field)[256], QString& mirror, const QString& text);

  RecorderConfigRecord rec_;
  QString configDesc_, fnPrefix_, fnSuffix_;
};

// The texts of one recording as the views show them.
class RecorderFile : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString fn READ fn NOTIFY fnChanged)
  Q_PROPERTY(QString fnShort READ fnShort NOTIFY fnShortChanged)
  Q_PROPERTY(QString beginTime READ beginTime NOTIFY beginTimeChanged)
  Q_PROPERTY(QString endTime READ endTime NOTIFY endTimeChanged)
  Q_PROPERTY(QString duration READ duration NOTIFY durationChanged)
  Q_PROPERTY(QString frameCount READ frameCount NOTIFY frameCountChanged)
  Q_PROPERTY(QString streamSize READ streamSize NOTIFY streamSizeChanged)
  // Empty, or why the recording ended early ("write failed": the file ends on a whole frame).
  Q_PROPERTY(QString failure READ failure NOTIFY failureChanged)

 public:
  using QObject::QObject;
  enum Field { Fn, FnShort, BeginTime, EndTime, Duration, FrameCount, StreamSize, Failure, FieldCount };

  QString fn() const { return t_[Fn]; }
  QString fnShort() const { return t_[FnShort]; }
  QString beginTime() const { return t_[BeginTime]; }
  QString endTime() const { return t_[EndTime]; }
  QString duration() const { return t_[Duration]; }
  QString frameCount() const { return t_[FrameCount]; }
  QString streamSize() const { return t_[StreamSize]; }
  QString failure() const { return t_[Failure]; }

  // Stores a text; its signal when it changed, or always with `force`.
  void set(Field f, const QString& text, bool force = false);
  void copyFrom(const RecorderFile& other);

  static QString dateTimeText(qint64 fileTime);
  static QString durationText(qint64 ms);

 signals:
  void fnChanged();
  void fnShortChanged();
  void beginTimeChanged();
  void endTimeChanged();
  void durationChanged();
  void frameCountChanged();
  void streamSizeChanged();
  void failureChanged();

 private:
  QString t_[FieldCount];
};
