// Axis configuration and sample series of the temperature chart. GUI thread; the chart's
// renderer reads only its own copies.
#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

class TCConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(int xmode READ xmode WRITE setXmode NOTIFY xmodeChanged)
  Q_PROPERTY(double xmin READ xmin WRITE setXmin NOTIFY xminChanged)
  Q_PROPERTY(double xmax READ xmax WRITE setXmax NOTIFY xmaxChanged)
  Q_PROPERTY(int ymode READ ymode WRITE setYmode NOTIFY ymodeChanged)
  Q_PROPERTY(double ymin READ ymin WRITE setYmin NOTIFY yminChanged)
  Q_PROPERTY(double ymax READ ymax WRITE setYmax NOTIFY ymaxChanged)
  Q_PROPERTY(int fifoSize READ fifoSize WRITE setFifoSize NOTIFY fifoSizeChanged)

 public:
  // Axis modes.
  enum { Manual = 0, Fixed = 1, Automatic = 2 };

  explicit TCConfig(QObject* parent = nullptr);
  int xmode() const { return xmode_; }
  double xmin() const { return xmin_; }
  double xmax() const { return xmax_; }
  int ymode() const { return ymode_; }
  double ymin() const { return ymin_; }
  double ymax() const { return ymax_; }
  int fifoSize() const { return fifoSize_; }
  void setXmode(int v);
  void setXmin(double v);
  void setXmax(double v);
  void setYmode(int v);
  void setYmin(double v);
  void setYmax(double v);
  void setFifoSize(int v);

 signals:
  void xmodeChanged();
  void xminChanged();
  void xmaxChanged();
  void ymodeChanged();
  void yminChanged();
  void ymaxChanged();
  void fifoSizeChanged();

 private:
  int xmode_ = 1;
  double xmin_ = 0;
  double xmax_ = 100.0;
  int ymode_ = 1;
  double ymin_ = 0;
  double ymax_ = 100.0;
  int fifoSize_ = 0;
};

// One sample: the value pair, the appender's data word (a time stamp or a pointer), and where
// the renderer last placed it.
struct TCSample {
  double x = 0;
  double y = 0;
  qint64 data = 0;
  double vx = 0;
  double vy = 0;
  bool inside = false;
};

class TCSeriesBase : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString seriesName READ seriesName WRITE setSeriesName NOTIFY seriesNameChanged)
  Q_PROPERTY(QColor seriesColor READ seriesColor WRITE setSeriesColor NOTIFY seriesColorChanged)
  Q_PROPERTY(bool visible READ visible WRITE setVisible NOTIFY visibleChanged)
  Q_PROPERTY(int fifoSize READ fifoSize WRITE setFifoSize NOTIFY fifoSizeChanged)

 public:
  explicit TCSeriesBase(QObject* parent = nullptr);

  QString seriesName() const { return name_; }
  QColor seriesColor() const { return color_; }
  bool visible() const { return visible_; }
  int fifoSize() const { return fifoSize_; }
  void setSeriesName(const QString& v);
  void setSeriesColor(const QColor& v);
  void setVisible(bool v);
  void setFifoSize(int v);

  // Appends a sample; with a FIFO size the oldest samples go first so that at most fifoSize
  // remain. Ranges grow with the new sample and do not shrink, except xmin, which follows the
  // first sample kept. Emits dataChanged.
  Q_INVOKABLE void append(double x, double y, qint64 data = 0);
  // Drops every sample; all four ranges become 0. Emits dataChanged.
  Q_INVOKABLE void clear();
  // Adds dx to the x of every sample and to the x range (a trend chart moving with time). Emits
  // dataChanged.
  Q_INVOKABLE void shift(double dx);

  const QList<TCSample>& samples() const { return samples_; }
  QList<TCSample>& samples() { return samples_; }
  int count() const { return int(samples_.size()); }
  double xmin() const { return xmin_; }
  double xmax() const { return xmax_; }
  double ymin() const { return ymin_; }
  double ymax() const { return ymax_; }

  // Takes name, colour, visibility, FIFO size, ranges and samples of other, without signals
  // (a renderer's private copy).
  void copyFrom(const TCSeriesBase& other);

 signals:
  void seriesNameChanged();
  void seriesColorChanged();
  void visibleChanged();
  void dataChanged();
  void fifoSizeChanged();

 private:
  QString name_;
  QColor color_;
  bool visible_ = true;
  int fifoSize_ = 0;
  QList<TCSample> samples_;
  double xmin_ = 0;
  double xmax_ = 0;
  double ymin_ = 0;
  double ymax_ = 0;
};
