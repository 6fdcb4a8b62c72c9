#include "charts/ChartCsv.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cmath>
#include <new>

#include "TCSeries.h"
#include "foundation/Helpers.h"

void appendCsvField(QByteArray* line, const QByteArray& title) {
  const bool quote = title.contains(',') || title.contains('"') || title.contains('\n') || title.contains('\r');
  if (!quote) {
    line->append(title);
    return;
  }
  line->append('"');
  for (char c : title) {
    if (c == '"') line->append('"');
    line->append(c);
  }
  line->append('"');
}

void appendCsvNumber(QByteArray* line, double v, int width, int decimals) {
  char buf[400];
  char* end = buf;
  if (std::isfinite(v)) {
    // to_chars never consults the locale, unlike printf's %f under a decimal-comma locale.
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    end = r.ec == std::errc() ? r.ptr : buf;
  } else {
    const char* t = std::isnan(v) ? (std::signbit(v) ? "-nan" : "nan") : (v < 0 ? "-inf" : "inf");
    for (; *t; ++t) *end++ = *t;
  }
  for (qsizetype pad = width - (end - buf); pad > 0; --pad) line->append(' ');
  line->append(buf, end - buf);
}

namespace {

void endLine(QByteArray* text) {
  // Every line is built with a trailing ',': it becomes the line end.
  if (!text->isEmpty() && text->back() == ',') text->back() = '\n';
}

}  // namespace

int buildChartCsv(ChartCsvForm form, const QList<ChartCsvColumn>& columns, QByteArray* out) {
  if (columns.isEmpty()) return -7;
  for (const ChartCsvColumn& c : columns)
    if (c.series == nullptr) return -8;
  qsizetype rows = 0;
  bool timeColumn = false;
  int64_t t0 = 0;
  if (form == ChartCsvForm::Space) {
    for (const ChartCsvColumn& c : columns) rows = std::max(rows, qsizetype(c.series->count()));
    if (rows == 0) return -11;
  } else {
    rows = columns.first().series->count();
    if (rows == 0) return -11;
    for (const ChartCsvColumn& c : columns)
      if (c.series->count() != rows) return -11;
    t0 = columns.first().series->samples().first().data;
    timeColumn = t0 != 0;
  }
  try {
    QByteArray text;
    // About 10 bytes per cell; the array grows if that is short.
    text.reserve((rows + 1) * (columns.size() + 1) * 10);
    text.append(timeColumn ? "Time(ms)," : "Index,");
    for (const ChartCsvColumn& c : columns) {
      appendCsvField(&text, c.title);
      text.append(',');
    }
    endLine(&text);
    const QList<TCSample>& firstSamples = columns.first().series->samples();
    for (qsizetype i = 0; i < rows; ++i) {
      if (timeColumn) {
        appendCsvNumber(&text, double(firstSamples[i].data - t0) / 1e4, 3, 1);
      } else {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, i);
        text.append(buf, r.ptr - buf);
      }
      text.append(',');
      for (const ChartCsvColumn& c : columns) {
        const QList<TCSample>& s = c.series->samples();
        if (i < s.size()) appendCsvNumber(&text, s[i].y, 3, 2);
        text.append(',');
      }
      endLine(&text);
    }
    *out = std::move(text);
  } catch (const std::bad_alloc&) {
    return -5;
  }
  return 0;
}

int writeChartCsv(const QString& path, const QByteArray& text) {
  if (path.isEmpty()) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return -2;
    if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(QString::fromUtf8(text), QClipboard::Clipboard);
    return 0;
  }
  const QByteArray p = path.toUtf8();
  return ostrel::fileWriteAll(p.constData(), text.constData(), size_t(text.size()));
}
