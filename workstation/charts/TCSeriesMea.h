// A chart series fed by one measurement item of an image module's canvas: a profile across the
// item (space charts) or one statistic per frame (time charts). GUI thread only.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QPointer>
#include <QString>

#include "TCSeries.h"
#include "TempCanvasItem.h"

struct MeaResult;

class TCSeriesMea : public TCSeriesBase {
  Q_OBJECT
  Q_PROPERTY(QObject* mea READ meaObject CONSTANT)
  Q_PROPERTY(int statsType READ statsType WRITE setStatsType NOTIFY statsTypeChanged)
  Q_PROPERTY(int dimType READ dimType WRITE setDimType NOTIFY dimTypeChanged)
  Q_PROPERTY(QString tfm_inputNameShort READ tfm_inputNameShort CONSTANT)
  Q_PROPERTY(int meaType READ meaType CONSTANT)
  Q_PROPERTY(QString meaName READ meaName CONSTANT)
  Q_PROPERTY(QColor meaColor READ meaColor CONSTANT)

 public:
  // The names of the statistics (0..4) and dimensions (0..2) in column titles.
  static const char* statsName(int statsType);
  static const char* dimName(int dimType);

  // Needed by QML registration; a series made this way has no item and stays empty.
  explicit TCSeriesMea(QObject* parent = nullptr) : TCSeriesMea(parent, nullptr, 0, 0) {}
  TCSeriesMea(QObject* parent, TempCanvasItemBase* mea, int dimType, int statsType);

  TempCanvasItemBase* mea() const { return mea_.data(); }
  QObject* meaObject() const { return mea_.data(); }
  int statsType() const { return statsType_; }
  void setStatsType(int v);
  int dimType() const { return dimType_; }
  void setDimType(int v);
  QString tfm_inputNameShort() const { return mea_ ? mea_->tfm_inputNameShort() : QString(); }
  int meaType() const { return mea_ ? mea_->meaType() : 0; }
  QString meaName() const { return mea_ ? mea_->meaName() : QString(); }
  QColor meaColor() const { return mea_ ? mea_->meaColor() : QColor(); }

  // Recomputes the profile from the canvas's current frame (space series only); a profile that
  // cannot be computed leaves the samples as they are.
  void refreshSpaceData();
  // One time sample at x from the item's current statistic.
  void appendLiveSample(int x);
  // Replaces the samples by frame i's statistic of one item of a whole-stream result: x = i + 1,
  // the data word the frame's time. `first` points at the item's result of frame 0; the item's
  // later results lie `step` records apart. Nothing with null arrays or a step below 1.
  void fillFromResults(const int64_t* times, const MeaResult* first, int step, int frameCount);
  // The column title: "<input>-<item>-<dim>-<stat>", or without the item part when the item has
  // no name. A statistic without a name is written as its number.
  QByteArray seriesCsvName() const;

 signals:
  void statsTypeChanged();
  void dimTypeChanged();

 private:
  double statistic(float min, float max, float avg) const;

  QPointer<TempCanvasItemBase> mea_;
  int statsType_ = 0;
  int dimType_ = 0;
};
