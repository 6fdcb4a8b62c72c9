// The module settings text checked against Python's base64 and json: exact bytes, key order,
// UTF-8 names, and decoders that keep what they read before a fault and never throw.
#include "FileInputsSupport.h"
#include "modules/ModuleDataText.h"
#include "TempImageConfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>

using namespace fileinputs;

namespace {

std::string python(const std::string& mode, const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  std::string out;
  EXPECT_EQ(runCommand(std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/settings_text.py " + mode +
                           " " + quoted,
                       &out),
            0);
  return out;
}

// The JSON text our encoder wrote, as Python decodes it (first line), checked to parse.
std::string decodedByPython(const QString& text) {
  const std::string out = python("decode", text.toStdString());
  const size_t nl = out.find('\n');
  EXPECT_NE(nl, std::string::npos);
  EXPECT_GT(out.size(), nl + 1) << "Python could not parse " << out;
  return out.substr(0, nl);
}

QString encodedByPython(const std::string& json) {
  std::string out = python("encode", json);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return QString::fromStdString(out);
}

TEST(SettingsText, InputTableMatchesTheKnownText) {
  InputTableData rec;
  rec.infoList = {QStringLiteral("127.0.0.1")};
  QString text = QStringLiteral("old");
  encodeInputTableData(rec, text);
  EXPECT_EQ(text, QStringLiteral("eyJpbmZvTGlzdCI6WyIxMjcuMC4wLjEiXX0="));
  EXPECT_EQ(decodedByPython(text), R"({"infoList":["127.0.0.1"]})");
  InputTableData back;
  decodeInputTableData(text, back);
  EXPECT_EQ(back.infoList, rec.infoList);
  // Python's encoding of the same JSON decodes the same.
  InputTableData fromPy;
  decodeInputTableData(encodedByPython(R"({"infoList":["127.0.0.1","/data/a b.stream"]})"), fromPy);
  EXPECT_EQ(fromPy.infoList, (QList<QString>{QStringLiteral("127.0.0.1"), QStringLiteral("/data/a b.stream")}));
}

TEST(SettingsText, ChartRecordsAreCompactSortedAndUnescaped) {
  ChartModuleData empty;
  QString text;
  encodeChartModuleData(empty, text);
  EXPECT_EQ(decodedByPython(text), R"({"data":[],"xmax":0.0,"xmin":0.0,"xmode":0,"ymax":0.0,"ymin":0.0,"ymode":0})");
  ChartModuleData none;
  decodeChartModuleData(text, none);
  EXPECT_TRUE(none.data.isEmpty());

  ChartModuleData rec;
  rec.xmode = 2;  // not written: the axis keys are always zero
  rec.xmax = 9.5;
  const QString name = QStringLiteral("/数据/热像 ü.stream");
  rec.data.append({name, {{2, 3, 0}, {2, 3, 4}}});
  encodeChartModuleData(rec, text);
  const std::string json = decodedByPython(text);
  EXPECT_EQ(json, "{\"data\":[{\"inputName\":\"/数据/热像 ü.stream\",\"list\":[{\"dimType\":2,\"meaIndex\":3,"
                  "\"statsType\":0},{\"dimType\":2,\"meaIndex\":3,\"statsType\":4}]}],\"xmax\":0.0,\"xmin\":0.0,"
                  "\"xmode\":0,\"ymax\":0.0,\"ymin\":0.0,\"ymode\":0}");
  EXPECT_EQ(json.find("\\u"), std::string::npos);
  ChartModuleData back;
  decodeChartModuleData(text, back);
  ASSERT_EQ(back.data.size(), 1);
  EXPECT_EQ(back.data[0].inputName, name);
  ASSERT_EQ(back.data[0].list.size(), 2);
  EXPECT_EQ(back.data[0].list[1].statsType, 4);
  EXPECT_EQ(back.data[0].list[1].meaIndex, 3);
  EXPECT_EQ(back.xmode, 0);
}

TEST(SettingsText, MeasurementTableRoundTripsThroughPython) {
  MeaTableData rec;
  rec.infoList.append({QStringLiteral("a.jpg"), {0, 3, 1}});
  rec.infoList.append({QStringLiteral("Ölbild.jpg"), {2}});
  QString text;
  encodeMeaTableData(rec, text);
  EXPECT_EQ(decodedByPython(text),
            R"({"infoList":[{"inputName":"a.jpg","meaIndexList":[0,3,1]},{"inputName":"Ölbild.jpg","meaIndexList":[2]}]})");
  MeaTableData back;
  decodeMeaTableData(encodedByPython(R"({"infoList":[{"meaIndexList":[5],"inputName":"x"}]})"), back);
  ASSERT_EQ(back.infoList.size(), 1);
  EXPECT_EQ(back.infoList[0].meaIndexList, QList<int>{5});
}

TEST(SettingsText, IntegersTakeRealsAndBooleansAndStopOutsideTheirRange) {
  ChartModuleData rec;
  decodeChartModuleData(
      encodedByPython(R"({"data":[{"inputName":"s","list":[{"meaIndex":1,"statsType":1.9,"dimType":true},)"
                      R"({"meaIndex":-2.7,"statsType":false,"dimType":0},{"meaIndex":1e300,"statsType":0,"dimType":0},)"
                      R"({"meaIndex":4,"statsType":0,"dimType":0}]}],"xmode":2,"ymode":0,"xmin":0,"xmax":0,"ymin":0,"ymax":0})"),
      rec);
  ASSERT_EQ(rec.data.size(), 1);
  // The third entry's index has no int value: decoding ends there, keeping the two before.
  ASSERT_EQ(rec.data[0].list.size(), 2);
  EXPECT_EQ(rec.data[0].list[0].statsType, 1);
  EXPECT_EQ(rec.data[0].list[0].dimType, 1);
  EXPECT_EQ(rec.data[0].list[1].meaIndex, -2);
  EXPECT_EQ(rec.data[0].list[1].statsType, 0);
  EXPECT_EQ(rec.xmode, 0);  // never reached

  MeaTableData big;
  decodeMeaTableData(encodedByPython(R"({"infoList":[{"inputName":"a","meaIndexList":[1,4294967296,2]}]})"), big);
  ASSERT_EQ(big.infoList.size(), 1);
  EXPECT_EQ(big.infoList[0].meaIndexList, QList<int>{1});
}

TEST(SettingsText, FaultsEndDecodingQuietlyKeepingWhatCameBefore) {
  // Missing axis keys: the series are complete before them.
  ChartModuleData partial;
  decodeChartModuleData(
      encodedByPython(R"({"data":[{"inputName":"s","list":[{"meaIndex":1,"statsType":2,"dimType":2}]}]})"), partial);
  ASSERT_EQ(partial.data.size(), 1);
  EXPECT_EQ(partial.data[0].list.size(), 1);

  // A wrong type, a missing key, an array where an object belongs.
  ChartModuleData wrong;
  decodeChartModuleData(encodedByPython(R"({"data":{"inputName":"s"}})"), wrong);
  EXPECT_TRUE(wrong.data.isEmpty());
  InputTableData names;
  decodeInputTableData(encodedByPython(R"({"infoList":["a",7,"b"]})"), names);
  EXPECT_EQ(names.infoList, QList<QString>{QStringLiteral("a")});
  InputTableData notObject;
  decodeInputTableData(encodedByPython(R"([1,2])"), notObject);
  EXPECT_TRUE(notObject.infoList.isEmpty());
  MeaTableData missing;
  decodeMeaTableData(encodedByPython(R"({"infoList":[{"inputName":"a","meaIndexList":[1]},{"inputName":"b"}]})"),
                     missing);
  ASSERT_GE(missing.infoList.size(), 1);
  EXPECT_EQ(missing.infoList[0].meaIndexList, QList<int>{1});

  // Noise, a plain name, truncation, emptiness: nothing, and no exception.
  const QString good = encodedByPython(R"({"infoList":["127.0.0.1","10.0.0.2"]})");
  for (const QString& bad : {QStringLiteral("not base64 at all %%%"), QStringLiteral("/home/u/a.stream"),
                             good.left(good.size() / 2), QString(), QStringLiteral("===="),
                             QStringLiteral("e30") /* {} */}) {
    InputTableData r;
    EXPECT_NO_THROW(decodeInputTableData(bad, r));
    EXPECT_TRUE(r.infoList.isEmpty()) << bad.toStdString();
    ChartModuleData c;
    EXPECT_NO_THROW(decodeChartModuleData(bad, c));
    EXPECT_TRUE(c.data.isEmpty());
  }
  // Characters outside the alphabet are skipped, as Qt's decoder does.
  InputTableData spaced;
  QString withNoise = good;
  withNoise.insert(4, QStringLiteral(" \n*"));
  decodeInputTableData(withNoise, spaced);
  EXPECT_EQ(spaced.infoList.size(), 2);
}

}  // namespace

namespace {

// The camera view record the run command starts with (scripts/write-device-conf.py): its image
// settings read into the program and written back are the same 64 bytes, so a camera that nobody
// touched has no unsaved edits.
TEST(SettingsText, StartingViewRecordRoundTripsThroughTheImageSettings) {
  QTemporaryDir dir;
  const std::string file = dir.path().toStdString() + "/Device-X.conf";
  ASSERT_EQ(runCommand(std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR +
                       "/../../scripts/write-device-conf.py '" + file + "' CAMSIM-0001"),
            0);
  QFile f(QString::fromStdString(file));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray record = f.readAll();
  ASSERT_EQ(record.size(), 7264);
  StretchCtl stored{};
  std::memcpy(&stored, record.constData() + 280, sizeof stored);
  TempImageConfig config;
  config.fromParams(&stored);
  StretchCtl written = stored;
  config.toParams(&written);
  for (size_t i = 4; i < sizeof stored; ++i)  // the flag word is not part of the settings
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&written)[i], reinterpret_cast<const uint8_t*>(&stored)[i])
        << "byte " << i << " (file offset " << 280 + i << ")";
}

}  // namespace
