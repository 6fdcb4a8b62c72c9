#include "charts/TCSeriesMea.h"

#include "TempCanvas.h"
#include "ostrel/OstrelRadiometry.h"

namespace {
const char* const kStatsNames[] = {"Min", "Max", "Mean", "Sum", "Std"};
const char* const kDimNames[] = {"X", "Y", "T"};
}  // namespace

const char* TCSeriesMea::statsName(int statsType) {
  return statsType >= 0 && statsType < 5 ? kStatsNames[statsType] : nullptr;
}

const char* TCSeriesMea::dimName(int dimType) { return dimType >= 0 && dimType < 3 ? kDimNames[dimType] : nullptr; }

TCSeriesMea::TCSeriesMea(QObject* parent, TempCanvasItemBase* mea, int dimType, int statsType)
    : TCSeriesBase(parent), mea_(mea), statsType_(statsType), dimType_(dimType) {
  if (mea == nullptr) return;
  setSeriesColor(mea->meaColor());
  connect(mea, &TempCanvasItemBase::meaTempDataChanged, this, &TCSeriesMea::refreshSpaceData);
  connect(mea, &TempCanvasItemBase::meaColorChanged, this, [this] {
    if (mea_ && mea_->meaColor() != seriesColor()) setSeriesColor(mea_->meaColor());
  });
  connect(this, &TCSeriesMea::statsTypeChanged, this, &TCSeriesMea::refreshSpaceData);
  connect(this, &TCSeriesMea::dimTypeChanged, this, &TCSeriesMea::refreshSpaceData);
}

void TCSeriesMea::setStatsType(int v) {
  if (v == statsType_) return;
  statsType_ = v;
  // A time series holds one statistic: the samples of the old one go, so that no column mixes
  // two under the new title. A profile is measured again below.
  if (dimType_ == 2) clear();
  emit statsTypeChanged();
}

void TCSeriesMea::setDimType(int v) {
  if (v == dimType_) return;
  dimType_ = v;
  emit dimTypeChanged();
}

void TCSeriesMea::refreshSpaceData() {
  if (dimType_ == 2 || !mea_ || mea_->canvas == nullptr) return;
  const TempCanvas* canvas = mea_->canvas;
  if (!canvas->hasFrame()) return;
  double* values = nullptr;
  int count = 0;
  const int rc = VEZ2024_GetSpaceData(&mea_->def, canvas->frameHead(), canvas->frameData(), statsType_, dimType_,
                                      &values, &count);
  if (rc < 0 || values == nullptr) return;
  {
    // One change signal for the whole profile, after the last sample.
    const QSignalBlocker block(this);
    clear();
    samples().reserve(count);
    for (int i = 0; i < count; ++i) append(i + 1, values[i], 0);
  }
  emit dataChanged();
}

double TCSeriesMea::statistic(float min, float max, float avg) const {
  if (statsType_ == 0) return min;
  if (statsType_ == 1) return max;
  return avg;
}

void TCSeriesMea::appendLiveSample(int x) {
  if (!mea_) return;
  // The canvas measures lazily when it draws; the sample is of the frame just shown.
  mea_->measureIfStale();
  append(x, statistic(mea_->result.min, mea_->result.max, mea_->result.avg), 0);
}

void TCSeriesMea::fillFromResults(const int64_t* times, const MeaResult* first, int step, int frameCount) {
  if (times == nullptr || first == nullptr || step < 1 || frameCount < 0) return;
  {
    const QSignalBlocker block(this);
    clear();
    samples().reserve(frameCount);
    for (int i = 0; i < frameCount; ++i) {
      const MeaResult& r = first[qsizetype(i) * step];
      append(i + 1, statistic(r.min, r.max, r.avg), times[i]);
    }
  }
  emit dataChanged();
}

QByteArray TCSeriesMea::seriesCsvName() const {
  const QByteArray input = tfm_inputNameShort().toUtf8();
  const QByteArray name = meaName().toUtf8();
  const char* dim = dimName(dimType_);
  const char* stat = statsName(statsType_);
  QByteArray out = input;
  if (!name.isEmpty()) out += '-' + name;
  // A polyline's profile is its temperatures along the line: neither a dimension nor a
  // statistic of it applies, so the title names none.
  if (dimType_ != 2 && mea_ != nullptr && mea_->meaType() == 5) return out;
  out += '-';
  out += dim != nullptr ? QByteArray(dim) : QByteArray::number(dimType_);
  out += '-';
  out += stat != nullptr ? QByteArray(stat) : QByteArray::number(statsType_);
  return out;
}
