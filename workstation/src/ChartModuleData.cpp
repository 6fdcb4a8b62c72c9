#include "workstation/ChartModuleData.h"

#include <QByteArray>
#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// An integer field takes a boolean or a real too (truncated), as the records were always read.
int readInt(const json& j, const char* key) {
  const json& v = j.at(key);
  if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
  if (v.is_number_float()) return static_cast<int>(v.get<double>());
  return v.get<int>();
}

double readReal(const json& j, const char* key) { return j.at(key).get<double>(); }

}  // namespace

void encodeChartModuleData(const ChartModuleData& record, QString* moduleData) {
  if (moduleData == nullptr) return;
  json data = json::array();
  for (const ChartInputEntry& in : record.data) {
    json list = json::array();
    for (const ChartSeriesEntry& s : in.list)
      list.push_back(json{{"dimType", s.dimType}, {"meaIndex", s.meaIndex}, {"statsType", s.statsType}});
    const QByteArray name = in.inputName.toUtf8();
    data.push_back(json{{"inputName", std::string(name.constData(), size_t(name.size()))}, {"list", list}});
  }
  json root{{"data", data},           {"xmax", record.xmax},   {"xmin", record.xmin}, {"xmode", record.xmode},
            {"ymax", record.ymax},    {"ymin", record.ymin},   {"ymode", record.ymode}};
  std::string text;
  try {
    text = root.dump(-1, ' ', false, json::error_handler_t::strict);
  } catch (const json::exception&) {
    text = "{}";
  }
  *moduleData = QString::fromLatin1(QByteArray(text.data(), qsizetype(text.size())).toBase64());
}

void decodeChartModuleData(const QString& moduleData, ChartModuleData* record) {
  if (record == nullptr) return;
  const QByteArray bytes = QByteArray::fromBase64(moduleData.toUtf8());
  try {
    const json root = json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, true, false);
    const json& data = root.at("data");
    if (!data.is_array()) return;
    for (const json& e : data) {
      ChartInputEntry entry;
      entry.inputName = QString::fromUtf8(QByteArray::fromStdString(e.at("inputName").get<std::string>()));
      const json& list = e.at("list");
      if (!list.is_array()) return;
      bool complete = true;
      try {
        for (const json& s : list) {
          ChartSeriesEntry se;
          se.meaIndex = readInt(s, "meaIndex");
          se.statsType = readInt(s, "statsType");
          se.dimType = readInt(s, "dimType");
          entry.list.append(se);
        }
      } catch (const json::exception&) {
        complete = false;
      }
      record->data.append(entry);
      if (!complete) return;
    }
    record->xmode = readInt(root, "xmode");
    record->ymode = readInt(root, "ymode");
    record->xmin = readReal(root, "xmin");
    record->xmax = readReal(root, "xmax");
    record->ymin = readReal(root, "ymin");
    record->ymax = readReal(root, "ymax");
  } catch (const json::exception&) {
    // A damaged text loads what was read before the fault.
  } catch (const std::exception&) {
  }
}
