#include "modules/ModuleDataText.h"

#include <QByteArray>
#include <cmath>
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// A value that cannot become the field ends decoding, like a missing key.
struct DecodeStop {};

void store(const json& j, QString& text) {
  std::string s;
  try {
    s = j.dump(-1, ' ', false, json::error_handler_t::strict);
  } catch (const json::exception&) {
    // Only invalid UTF-8 in a name gets here; such a record is not written at all.
    s = "{}";
  }
  text = QString::fromLatin1(QByteArray(s.data(), static_cast<qsizetype>(s.size())).toBase64());
}

bool load(const QString& text, json& out) {
  const QByteArray bytes = QByteArray::fromBase64(text.toUtf8());
  out = json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false, false);
  return !out.is_discarded();
}

// Integers take booleans, integers and reals (truncated toward zero); a real outside the int
// range has no integer value and ends decoding.
int toInt(const json& v) {
  if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
  if (v.is_number_integer()) {
    if (v.is_number_unsigned()) {
      const auto u = v.get<uint64_t>();
      if (u > static_cast<uint64_t>(INT32_MAX)) throw DecodeStop{};
      return static_cast<int>(u);
    }
    const auto i = v.get<int64_t>();
    if (i < INT32_MIN || i > INT32_MAX) throw DecodeStop{};
    return static_cast<int>(i);
  }
  if (v.is_number_float()) {
    const double d = std::trunc(v.get<double>());
    if (!(d >= static_cast<double>(INT32_MIN) && d <= static_cast<double>(INT32_MAX))) throw DecodeStop{};
    return static_cast<int>(d);
  }
  throw DecodeStop{};
}

double toReal(const json& v) {
  if (!v.is_number()) throw DecodeStop{};
  return v.get<double>();
}

QString toText(const json& v) {
  if (!v.is_string()) throw DecodeStop{};
  const std::string& s = v.get_ref<const std::string&>();
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const json& arrayAt(const json& obj, const char* key) {
  const json& v = obj.at(key);
  if (!v.is_array()) throw DecodeStop{};
  return v;
}

std::string utf8(const QString& s) {
  const QByteArray b = s.toUtf8();
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// Runs a decoder body; any fault only ends it.
template <class Body>
void guarded(const QString& text, Body body) {
  json j;
  if (!load(text, j)) return;
  try {
    body(j);
  } catch (const json::exception&) {
  } catch (const DecodeStop&) {
  }
}

}  // namespace

void encodeInputTableData(const InputTableData& record, QString& text) {
  json list = json::array();
  for (const QString& name : record.infoList) list.push_back(utf8(name));
  store(json{{"infoList", list}}, text);
}

void decodeInputTableData(const QString& text, InputTableData& record) {
  guarded(text, [&](const json& j) {
    for (const json& v : arrayAt(j, "infoList")) record.infoList.append(toText(v));
  });
}

void encodeMeaTableData(const MeaTableData& record, QString& text) {
  json list = json::array();
  for (const MeaTableEntry& e : record.infoList) {
    json idx = json::array();
    for (int i : e.meaIndexList) idx.push_back(i);
    list.push_back(json{{"inputName", utf8(e.inputName)}, {"meaIndexList", idx}});
  }
  store(json{{"infoList", list}}, text);
}

void decodeMeaTableData(const QString& text, MeaTableData& record) {
  guarded(text, [&](const json& j) {
    for (const json& v : arrayAt(j, "infoList")) {
      MeaTableEntry e;
      e.inputName = toText(v.at("inputName"));
      record.infoList.append(e);
      MeaTableEntry& kept = record.infoList.last();
      for (const json& i : arrayAt(v, "meaIndexList")) kept.meaIndexList.append(toInt(i));
    }
  });
}

void encodeChartModuleData(const ChartModuleData& record, QString& text) {
  json data = json::array();
  for (const ChartInputEntry& e : record.data) {
    json list = json::array();
    for (const ChartSeriesEntry& s : e.list)
      list.push_back(json{{"dimType", s.dimType}, {"meaIndex", s.meaIndex}, {"statsType", s.statsType}});
    data.push_back(json{{"inputName", utf8(e.inputName)}, {"list", list}});
  }
  store(json{{"data", data}, {"xmax", 0.0}, {"xmin", 0.0}, {"xmode", 0}, {"ymax", 0.0}, {"ymin", 0.0}, {"ymode", 0}},
        text);
}

void decodeChartModuleData(const QString& text, ChartModuleData& record) {
  guarded(text, [&](const json& j) {
    for (const json& v : arrayAt(j, "data")) {
      ChartInputEntry e;
      e.inputName = toText(v.at("inputName"));
      record.data.append(e);
      ChartInputEntry& kept = record.data.last();
      for (const json& s : arrayAt(v, "list")) {
        ChartSeriesEntry c;
        c.meaIndex = toInt(s.at("meaIndex"));
        c.statsType = toInt(s.at("statsType"));
        c.dimType = toInt(s.at("dimType"));
        kept.list.append(c);
      }
    }
    record.xmode = toInt(j.at("xmode"));
    record.ymode = toInt(j.at("ymode"));
    record.xmin = toReal(j.at("xmin"));
    record.xmax = toReal(j.at("xmax"));
    record.ymin = toReal(j.at("ymin"));
    record.ymax = toReal(j.at("ymax"));
  });
}
