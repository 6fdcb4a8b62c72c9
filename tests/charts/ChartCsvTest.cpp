// The chart CSV read back with Python's csv module: empty cells of short space series, the time
// and index columns, unequal time series, titles that need quoting, lines far over 4 KiB, and
// numbers under a decimal-comma locale.
#include <QClipboard>
#include <QFile>
#include <QProcess>
#include <clocale>

#include "ChartsSupport.h"
#include "TempChart.h"
#include "charts/ChartCsv.h"
#include "charts/CModuleChartSpace.h"
#include "charts/CModuleChartTime.h"
#include "modules/CModuleInputIr.h"

namespace {

using namespace charts;

QString tempPath(const QTemporaryDir& dir, const char* name) { return dir.path() + "/" + name; }

// A canvas of `owner` whose pixel (x, y) holds x + y / 10 degrees.
struct Rig {
  TempCanvas canvas;
  ProducerFrame frame;
  Rig(QObject* owner, int w, int h) : frame(w, h) {
    canvas.setTfm_module(owner);
    EXPECT_EQ(canvas.beginUpdate(w, h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) frame.at(x, y) = int16_t(x * 100 + y * 10);
    EXPECT_EQ(canvas.updateData(&frame.ref), 0);
  }
};

TEST(ChartCsv, SpaceSeriesOfThreeAndFiveGiveFiveRowsWithEmptyCellsAndQuotedTitles) {
  QTemporaryDir dir;
  CModuleInputIr owner;
  Rig rig(&owner, 10, 4);
  MeaItem d1 = rectItem(0, 0, 2, 3, "left, \"hot\" side");
  MeaItem d2 = rectItem(4, 1, 8, 1, "");
  TempCanvasItemBase* three = rig.canvas.createItem(&d1);
  TempCanvasItemBase* five = rig.canvas.createItem(&d2);
  CModuleChartSpace chart;
  EXPECT_EQ(chart.exportCsv(tempPath(dir, "none.csv")), -7);
  chart.series_create(three, 1, 0);
  chart.series_create(five, 2, 0);
  ASSERT_EQ(chart.seriesList()[0]->count(), 3);
  ASSERT_EQ(chart.seriesList()[1]->count(), 5);

  const QString path = tempPath(dir, "space.csv");
  ASSERT_EQ(chart.exportCsv(path), 1);
  const std::string check = R"(
import csv
rows = list(csv.reader(open(')" + path.toStdString() + R"(', newline='', encoding='utf-8')))
assert rows[0] == ['Index', '-left, "hot" side-X-Max', '-X-Mean'], rows[0]
assert len(rows) == 6, len(rows)
for i in range(5):
    assert rows[i + 1][0] == str(i), rows[i + 1]
    assert len(rows[i + 1]) == 3, rows[i + 1]
# column j of the box holds j + 0.3 at most (rows 0..3); the line row 1 holds j + 0.1
for i in range(3):
    assert rows[i + 1][1] == '%.2f' % (i + 0.3), rows[i + 1]
for i in range(3, 5):
    assert rows[i + 1][1] == '', rows[i + 1]
for i in range(5):
    assert rows[i + 1][2] == '%.2f' % (4 + i + 0.1), rows[i + 1]
raw = open(')" + path.toStdString() + R"(', 'rb').read()
assert b'\r' not in raw and raw.endswith(b'\n') and not raw.endswith(b'\n\n')
)";
  EXPECT_EQ(runPython(check), 0) << QFile(path).exists();

  // The clipboard gets the same text.
  ASSERT_EQ(chart.exportCsv(QString()), 0);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toUtf8(), f.readAll());
}

TEST(ChartCsv, TitlesWithoutNameAndStatisticWithoutNameUseTheNumbers) {
  CModuleInputIr owner;
  Rig rig(&owner, 6, 3);
  MeaItem d = rectItem(0, 0, 5, 2, "");
  TempCanvasItemBase* item = rig.canvas.createItem(&d);
  TCSeriesMea s(nullptr, item, 2, 1);
  EXPECT_EQ(s.seriesCsvName(), QByteArray("-T-Max"));
  TCSeriesMea odd(nullptr, item, 2, 7);
  EXPECT_EQ(odd.seriesCsvName(), QByteArray("-T-7"));
  item->setMeaName(QStringLiteral("two\nlines"));
  QByteArray line;
  appendCsvField(&line, s.seriesCsvName());
  EXPECT_EQ(line, QByteArray("\"-two\nlines-T-Max\""));

  // A line's profile runs along the line: no dimension, no statistic in its title; its time
  // series keeps both.
  MeaItem l = lineItem(0, 0, 5, 2);
  std::snprintf(l.name, sizeof l.name, "M3");
  TempCanvasItemBase* line3 = rig.canvas.createItem(&l);
  ASSERT_NE(line3, nullptr);
  EXPECT_EQ(TCSeriesMea(nullptr, line3, 0, 0).seriesCsvName(), QByteArray("-M3"));
  EXPECT_EQ(TCSeriesMea(nullptr, line3, 2, 2).seriesCsvName(), QByteArray("-M3-T-Mean"));
}

// Series with chosen samples, for the time form.
TCSeriesBase* series(QObject* parent, const std::vector<double>& ys, int64_t t0, int64_t step) {
  auto* s = new TCSeriesBase(parent);
  for (size_t i = 0; i < ys.size(); ++i) s->append(double(i + 1), ys[i], t0 == 0 ? 0 : t0 + int64_t(i) * step);
  return s;
}

TEST(ChartCsv, TimeFormTakesTimesFromTheFirstSeriesOrIndexesWithoutThem) {
  QObject owner;
  QByteArray text;
  // Stream samples: 100-ns ticks 25 ms apart.
  TCSeriesBase* a = series(&owner, {1.005, 2.5, -3.25}, 132000000000000000LL, 250000);
  TCSeriesBase* b = series(&owner, {10, 20, 30}, 0, 0);
  ASSERT_EQ(buildChartCsv(ChartCsvForm::Time, {{"a", a}, {"b", b}}, &text), 0);
  QTemporaryDir dir;
  QString path = tempPath(dir, "time.csv");
  ASSERT_EQ(writeChartCsv(path, text), 1);
  std::string check = R"(
import csv
rows = list(csv.reader(open(')" + path.toStdString() + R"(', newline='')))
assert rows == [['Time(ms)', 'a', 'b'], ['0.0', '1.00', '10.00'], ['25.0', '2.50', '20.00'], ['50.0', '-3.25', '30.00']], rows
)";
  EXPECT_EQ(runPython(check), 0);

  TCSeriesBase* live = series(&owner, {5, 6}, 0, 0);
  ASSERT_EQ(buildChartCsv(ChartCsvForm::Time, {{"live", live}}, &text), 0);
  EXPECT_EQ(text, QByteArray("Index,live\n0,5.00\n1,6.00\n"));

  // Unequal counts, or an empty first series: nothing to write.
  TCSeriesBase* shorter = series(&owner, {1, 2}, 0, 0);
  QByteArray untouched("kept");
  EXPECT_EQ(buildChartCsv(ChartCsvForm::Time, {{"a", a}, {"s", shorter}}, &untouched), -11);
  EXPECT_EQ(untouched, QByteArray("kept"));
  TCSeriesBase* empty = series(&owner, {}, 0, 0);
  EXPECT_EQ(buildChartCsv(ChartCsvForm::Time, {{"e", empty}, {"s", shorter}}, &untouched), -11);
  EXPECT_EQ(buildChartCsv(ChartCsvForm::Space, {{"e", empty}}, &untouched), -11);
  EXPECT_EQ(buildChartCsv(ChartCsvForm::Space, {}, &untouched), -7);
}

TEST(ChartCsv, UnequalTimeSeriesOfAModuleWriteNoFile) {
  CModuleInputIr live;
  Rig rig(&live, 6, 3);
  MeaItem d = rectItem(0, 0, 5, 2, "x");
  TempCanvasItemBase* item = rig.canvas.createItem(&d);
  CModuleChartTime chart;
  chart.series_create(item, 0, 2);
  chart.series_create(item, 1, 2);
  chart.seriesList()[0]->append(1, 2, 0);
  QTemporaryDir dir;
  const QString path = tempPath(dir, "unequal.csv");
  EXPECT_EQ(chart.exportCsv(path), -11);
  EXPECT_FALSE(QFile::exists(path));
  chart.seriesList()[1]->append(1, 3, 0);
  EXPECT_EQ(chart.exportCsv(path), 1);
  EXPECT_EQ(chart.exportCsv(dir.path() + "/missing/dir/x.csv"), -200);
}

TEST(ChartCsv, LinesFarOverFourKilobytesStayWhole) {
  QObject owner;
  QList<ChartCsvColumn> cols;
  for (int i = 0; i < 120; ++i) {
    TCSeriesBase* s = series(&owner, {double(i), double(i) + 0.5}, 0, 0);
    cols.append(ChartCsvColumn{QByteArray(60, char('a' + i % 26)) + QByteArray::number(i), s});
  }
  QByteArray text;
  ASSERT_EQ(buildChartCsv(ChartCsvForm::Space, cols, &text), 0);
  QTemporaryDir dir;
  const QString path = tempPath(dir, "wide.csv");
  ASSERT_EQ(writeChartCsv(path, text), 1);
  const std::string check = R"(
import csv
rows = list(csv.reader(open(')" + path.toStdString() + R"(', newline='')))
assert len(rows) == 3 and all(len(r) == 121 for r in rows), [len(r) for r in rows]
assert len(open(')" + path.toStdString() + R"(').readline()) > 4096
assert rows[0][120] == chr(ord('a') + 119 % 26) * 60 + '119'
assert rows[2][120] == '119.50' and rows[1][1] == '0.00'
)";
  EXPECT_EQ(runPython(check), 0);
}

TEST(ChartCsv, DecimalCommaLocaleStillWritesPoints) {
  QTemporaryDir locdir;
  const QString compiled = locdir.path() + "/de_DE.UTF-8";
  QProcess localedef;
  localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", compiled});
  // Compiling the locale takes seconds of CPU, far more on a loaded machine: the test's own
  // time-out bounds the wait.
  ASSERT_TRUE(localedef.waitForFinished(-1));
  // Exit status 1 means warnings only; the locale is there when the folder is.
  ASSERT_TRUE(QFile::exists(compiled + "/LC_NUMERIC")) << localedef.readAllStandardError().constData();
  const QByteArray old = qgetenv("LOCPATH");
  qputenv("LOCPATH", locdir.path().toUtf8());
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  char probe[16];
  std::snprintf(probe, sizeof probe, "%3.2f", 3.14);
  EXPECT_STREQ(probe, "3,14") << "the locale really uses a decimal comma";

  QObject owner;
  QByteArray text;
  TCSeriesBase* a = series(&owner, {3.14159, -0.5}, 0, 0);
  TCSeriesBase* t = series(&owner, {1, 2}, 1000, 15);
  const int rc = buildChartCsv(ChartCsvForm::Space, {{"a", a}}, &text);
  QByteArray timed;
  const int rcTime = buildChartCsv(ChartCsvForm::Time, {{"t", t}}, &timed);
  std::setlocale(LC_ALL, "C");
  if (old.isEmpty())
    qunsetenv("LOCPATH");
  else
    qputenv("LOCPATH", old);
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(rcTime, 0);
  EXPECT_EQ(text, QByteArray("Index,a\n0,3.14\n1,-0.50\n"));
  EXPECT_EQ(timed, QByteArray("Time(ms),t\n0.0,1.00\n0.0,2.00\n"));
}

}  // namespace
