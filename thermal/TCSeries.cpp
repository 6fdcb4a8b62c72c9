#include "TCSeries.h"

#include <algorithm>

#define OSTREL_SETTER(Class, Setter, Type, field, signal) \
  void Class::Setter(Type v) {                            \
    if (field == v) return;                               \
    field = v;                                            \
    emit signal();                                        \
  }

TCConfig::TCConfig(QObject* parent) : QObject(parent) {}

OSTREL_SETTER(TCConfig, setXmode, int, xmode_, xmodeChanged)
OSTREL_SETTER(TCConfig, setXmin, double, xmin_, xminChanged)
OSTREL_SETTER(TCConfig, setXmax, double, xmax_, xmaxChanged)
OSTREL_SETTER(TCConfig, setYmode, int, ymode_, ymodeChanged)
OSTREL_SETTER(TCConfig, setYmin, double, ymin_, yminChanged)
OSTREL_SETTER(TCConfig, setYmax, double, ymax_, ymaxChanged)
OSTREL_SETTER(TCConfig, setFifoSize, int, fifoSize_, fifoSizeChanged)

TCSeriesBase::TCSeriesBase(QObject* parent) : QObject(parent) {}

OSTREL_SETTER(TCSeriesBase, setSeriesName, const QString&, name_, seriesNameChanged)
OSTREL_SETTER(TCSeriesBase, setSeriesColor, const QColor&, color_, seriesColorChanged)
OSTREL_SETTER(TCSeriesBase, setVisible, bool, visible_, visibleChanged)
OSTREL_SETTER(TCSeriesBase, setFifoSize, int, fifoSize_, fifoSizeChanged)

#undef OSTREL_SETTER

void TCSeriesBase::append(double x, double y, qint64 data) {
  TCSample s;
  s.x = x;
  s.y = y;
  s.data = data;
  if (samples_.isEmpty()) {
    samples_.append(s);
    xmin_ = xmax_ = x;
    ymin_ = ymax_ = y;
    emit dataChanged();
    return;
  }
  if (fifoSize_ > 0 && samples_.size() >= fifoSize_) {
    // A FIFO made smaller than the series drops down to its new size at once.
    samples_.remove(0, samples_.size() - fifoSize_ + 1);
    samples_.append(s);
    xmin_ = samples_.first().x;
  } else {
    samples_.append(s);
  }
  if (x < xmin_)
    xmin_ = x;
  else if (x > xmax_)
    xmax_ = x;
  if (y < ymin_)
    ymin_ = y;
  else if (y > ymax_)
    ymax_ = y;
  emit dataChanged();
}

void TCSeriesBase::clear() {
  samples_.clear();
  xmin_ = xmax_ = ymin_ = ymax_ = 0;
  emit dataChanged();
}

void TCSeriesBase::shift(double dx) {
  for (TCSample& s : samples_) s.x += dx;
  xmin_ += dx;
  xmax_ += dx;
  emit dataChanged();
}

void TCSeriesBase::copyFrom(const TCSeriesBase& other) {
  name_ = other.name_;
  color_ = other.color_;
  visible_ = other.visible_;
  fifoSize_ = other.fifoSize_;
  xmin_ = other.xmin_;
  xmax_ = other.xmax_;
  ymin_ = other.ymin_;
  ymax_ = other.ymax_;
  // A real copy into the storage this object already has: sharing the buffer would make the
  // next append on the GUI thread copy the whole series instead.
  samples_.resize(other.samples_.size());
  std::copy(other.samples_.cbegin(), other.samples_.cend(), samples_.begin());
}
