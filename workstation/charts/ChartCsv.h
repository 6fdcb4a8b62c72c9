// The CSV text of a chart: one column per series after an index or time column. Numbers are
// written with '.' whatever the process locale; titles are quoted only where a ',', a '"' or a
// line break would otherwise break the columns. Lines may be of any length.
#pragma once

#include <QByteArray>
#include <QList>

class TCSeriesBase;

struct ChartCsvColumn {
  QByteArray title;  // UTF-8, unquoted
  const TCSeriesBase* series = nullptr;
};

enum class ChartCsvForm { Space, Time };

// Builds the whole text into *out. 0; -7 no columns; -11 nothing to write (no rows, or time
// series of unequal length); -5 when memory runs out. *out is untouched on failure.
int buildChartCsv(ChartCsvForm form, const QList<ChartCsvColumn>& columns, QByteArray* out);

// Appends `title` as one CSV field (RFC 4180 quoting where needed).
void appendCsvField(QByteArray* line, const QByteArray& title);
// Appends v with `decimals` fixed decimals and at least `width` characters, '.' as separator.
void appendCsvNumber(QByteArray* line, double v, int width, int decimals);

// Writes the text to `path` (through a temporary file), or to the clipboard when the path is
// empty: 1 written, 0 on the clipboard, -200 cannot open, -197 short write.
int writeChartCsv(const QString& path, const QByteArray& text);
