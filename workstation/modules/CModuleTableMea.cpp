#include "modules/CModuleTableMea.h"

#include <map>
#include <string>

#include "TempCanvas.h"
#include "TempCanvasItem.h"
#include "TempCanvasManager.h"
#include "foundation/Logger.h"
#include "modules/ModuleDataText.h"

namespace {
int g_alive = 0;

void logInvalid(int line, const char* function, const QObject* mea) {
  ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_INFO, "%s,%d,%s:\ninvalid mea %p\n\n", "TabFrameModule\\CModuleTableMea",
                    line, function, static_cast<const void*>(mea));
}
}  // namespace

CModuleTableMea::CModuleTableMea(QObject* parent) : CModule(TypeTableMea, parent) {
  setModuleName(QStringLiteral("tableMea%1").arg(g_alive + 1));
  ++g_alive;
}

CModuleTableMea::~CModuleTableMea() {
  --g_alive;
  for (QObject* m : meaList_) disconnect(m, &QObject::destroyed, this, nullptr);
}

void CModuleTableMea::mea_create(QObject* mea) {
  if (mea == nullptr) return;
  auto* item = qobject_cast<TempCanvasItemBase*>(mea);
  if (item == nullptr || meaList_.contains(mea)) {
    logInvalid(__LINE__, "CModuleTableMea::mea_create", mea);
    return;
  }
  const QObject* canvas = item->canvas;
  const int index = item->indexInCanvas();
  // Within the item's canvas group: before the first item of a greater index; a new canvas
  // group goes last.
  qsizetype at = meaList_.size();
  qsizetype groupEnd = -1;
  for (qsizetype i = 0; i < meaList_.size(); ++i) {
    if (canvasOf_[i] != canvas) continue;
    groupEnd = i + 1;
    auto* other = qobject_cast<TempCanvasItemBase*>(meaList_[i]);
    if (other != nullptr && other->indexInCanvas() > index) {
      at = i;
      groupEnd = -1;
      break;
    }
  }
  if (groupEnd >= 0) at = groupEnd;
  connect(mea, &QObject::destroyed, this, &CModuleTableMea::onDestroyed);
  meaList_.insert(at, mea);
  canvasOf_.insert(at, canvas);
  emit meaListChanged();
}

void CModuleTableMea::mea_delete(QObject* mea) {
  if (mea == nullptr) return;
  const qsizetype i = meaList_.indexOf(mea);
  if (i < 0) {
    logInvalid(__LINE__, "CModuleTableMea::mea_delete", mea);
    return;
  }
  disconnect(mea, &QObject::destroyed, this, nullptr);
  meaList_.removeAt(i);
  canvasOf_.removeAt(i);
  emit meaListChanged();
}

void CModuleTableMea::onDestroyed(QObject* mea) {
  const qsizetype i = meaList_.indexOf(mea);
  if (i < 0) return;
  meaList_.removeAt(i);
  canvasOf_.removeAt(i);
  emit meaListChanged();
}

void CModuleTableMea::saveModuleData() {
  // Grouped by input name in ascending byte order; within a group, list order.
  std::map<std::string, MeaTableEntry> groups;
  for (QObject* o : meaList_) {
    auto* item = qobject_cast<TempCanvasItemBase*>(o);
    if (item == nullptr) continue;
    auto* module = qobject_cast<CModule*>(item->tfm_module());
    if (module == nullptr || module->input() == nullptr) continue;
    // An item that will not be there when the workspace is opened again is not named.
    const int index = module->input_storedItemIndex(item->indexInCanvas());
    if (index < 0) continue;
    const QString name = module->input()->inputName();
    const QByteArray key = name.toUtf8();
    MeaTableEntry& e = groups[std::string(key.constData(), static_cast<size_t>(key.size()))];
    e.inputName = name;
    e.meaIndexList.append(index);
  }
  MeaTableData record;
  for (auto& [key, entry] : groups) record.infoList.append(entry);
  QString text;
  encodeMeaTableData(record, text);
  setModuleData(text);
}

void CModuleTableMea::loadModuleData() {
  const QString text = moduleData();
  if (text.isEmpty()) return;
  MeaTableData record;
  decodeMeaTableData(text, record);
  TempCanvasManager* canvases = TempCanvasManager::instance();
  if (canvases == nullptr) return;
  for (const MeaTableEntry& e : record.infoList) {
    TempCanvas* canvas = canvases->canvasByInputName(e.inputName);
    if (canvas == nullptr) continue;
    for (int index : e.meaIndexList) {
      const QList<TempCanvasItemBase*> items = canvas->itemList();
      if (index < 0 || index >= items.size()) continue;
      mea_create(items[index]);
    }
  }
}
