#include "workspace/WorkspaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QQmlEngine>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "foundation/Logger.h"
#include "inputs/CInputManager.h"
#include "modules/CModule.h"
#include "modules/CTabFrame.h"
#include "workspace/CTabManager.h"

namespace {

QDir g_workspaceDir;

int intAttribute(const QXmlStreamReader& xml, const char* name) {
  bool ok = false;
  const int v = xml.attributes().value(QLatin1String(name)).toInt(&ok);
  return ok ? v : 0;
}

QString textAttribute(const QXmlStreamReader& xml, const char* name) {
  return xml.attributes().value(QLatin1String(name)).toString();
}

// Reads the rest of the current element; a module is only made when its input could be had.
void readModule(QXmlStreamReader& xml, CTabManager* manager, CFrame* frame) {
  const int type = intAttribute(xml, "moduleType");
  const QString inputName = textAttribute(xml, "inputName");
  const QString viewName = textAttribute(xml, "viewName");
  CModule* module = nullptr;
  CInputBase* input = nullptr;
  bool wanted = type >= 1 && type <= 10;
  CInputManager* inputs = manager->managers().inputs;
  if (wanted && type <= 3) {
    if (!inputs) {
      OSTREL_LOG_AS("workspaceReadFrame", "no input manager: module of type %d skipped", type);
      wanted = false;
    } else if (type == CModule::TypeInputIr) {
      input = inputs->device_createIr(inputName, false);
    } else if (type == CModule::TypeInputJpg) {
      input = inputs->file_createJpg(QDir::cleanPath(g_workspaceDir.absoluteFilePath(inputName)));
    } else {
      input = inputs->file_createStream(QDir::cleanPath(g_workspaceDir.absoluteFilePath(inputName)));
    }
    if (wanted && !input) {
      OSTREL_LOG_AS("workspaceReadFrame", "input %s of type %d not available: module skipped",
                    inputName.toUtf8().constData(), type);
      wanted = false;
    } else if (wanted && input->module()) {
      // An input feeds one module only; a second module naming the same camera or file is dropped.
      OSTREL_LOG_AS("workspaceReadFrame", "input %s already has a module: module skipped",
                    inputName.toUtf8().constData());
      wanted = false;
    }
  }
  if (wanted) {
    // The input modules name themselves after their input; the others keep the stored name.
    module = manager->module_create(type, input, frame);
    if (!module)
      OSTREL_LOG_AS("workspaceReadFrame", "module type %d not available here: module skipped", type);
    else if (type > CModule::TypeInputStream)
      module->setViewName(viewName);
  }
  if (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("moduleData")) {
      const QString data = xml.readElementText(QXmlStreamReader::IncludeChildElements);
      if (module) module->setModuleData(data);
    } else {
      xml.skipCurrentElement();
    }
    while (xml.readNextStartElement()) xml.skipCurrentElement();
  }
}

void readFrame(QXmlStreamReader& xml, CTabManager* manager, CFrame* frame, int slot) {
  // The slot is fixed by the order of the frames; a stored index that says otherwise would put
  // two frames in one place.
  if (intAttribute(xml, "viewIndex") != slot)
    OSTREL_LOG_AS("workspaceReadFrame", "frame %d stored as %d: kept in its slot", slot, intAttribute(xml, "viewIndex"));
  frame->setViewIndex(slot);
  const int selected = intAttribute(xml, "moduleSelected");
  if (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("modules")) {
      while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("module"))
          readModule(xml, manager, frame);
        else
          xml.skipCurrentElement();
      }
    } else {
      xml.skipCurrentElement();
    }
    while (xml.readNextStartElement()) xml.skipCurrentElement();
  }
  // Applied after the modules, which select themselves as they are listed, and kept in range.
  const int count = static_cast<int>(frame->modules().size());
  frame->setModuleSelected(count == 0 ? -1 : qBound(0, selected, count - 1));
}

void readTab(QXmlStreamReader& xml, CTabManager* manager, CTab* tab) {
  tab->setViewIndex(intAttribute(xml, "viewIndex"));
  tab->setViewName(textAttribute(xml, "viewName"));
  tab->setLayoutType(intAttribute(xml, "layoutType"));
  if (!xml.readNextStartElement()) return;
  if (xml.name() == QLatin1String("frames")) {
    int slot = 0;
    while (xml.readNextStartElement()) {
      if (xml.name() == QLatin1String("frame") && slot < CTab::kFrameCount) {
        readFrame(xml, manager, tab->frame(slot), slot);
        ++slot;
      } else
        xml.skipCurrentElement();
    }
  } else {
    xml.skipCurrentElement();
  }
  while (xml.readNextStartElement()) xml.skipCurrentElement();
}

QString storedInputName(const CModule* m) {
  const CInputBase* in = m->input();
  if (!in) return QString();
  switch (m->moduleType()) {
    case CModule::TypeInputIr: return in->inputNameAbs();
    case CModule::TypeInputJpg:
    case CModule::TypeInputStream: return g_workspaceDir.relativeFilePath(in->inputNameAbs());
    default: return QString();
  }
}

}  // namespace

QDir workspaceDir() { return g_workspaceDir; }

void workspaceDeleteTabs(const QList<CTab*>& tabs) {
  QList<CModule*> modules;
  for (CTab* tab : tabs)
    for (int slot = 0; slot < CTab::kFrameCount; ++slot)
      if (CFrame* frame = tab->frame(slot)) modules.append(frame->modules());
  for (CTab* tab : tabs) tab->detachAll();
  qDeleteAll(modules);
  qDeleteAll(tabs);
}

int workspaceRead(CTabManager* manager, const QString& path, int* tabSelected, QList<CTab*>* tabs) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return -200;
  g_workspaceDir = QFileInfo(path).absoluteDir();
  QXmlStreamReader xml(&file);
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("workspace")) return -194;
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("tabs")) return -194;
  *tabSelected = intAttribute(xml, "tabSelected");
  QList<CTab*> read;
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("tab")) {
      auto* tab = new CTab(nullptr);
      QQmlEngine::setObjectOwnership(tab, QQmlEngine::CppOwnership);
      read.append(tab);
      readTab(xml, manager, tab);
    } else {
      xml.skipCurrentElement();
    }
  }
  // A cut or garbled file is refused whole rather than loaded in part.
  if (xml.hasError()) {
    OSTREL_LOG_AS("workspaceRead", "%s: %s at line %lld", path.toUtf8().constData(),
                  xml.errorString().toUtf8().constData(), static_cast<long long>(xml.lineNumber()));
    workspaceDeleteTabs(read);
    return -194;
  }
  tabs->append(read);
  return 0;
}

int workspaceWrite(int tabSelected, const QString& path, const QList<CTab*>& tabs) {
  QSaveFile file(path);
  // Unbuffered, so a short write shows in write()'s count: QSaveFile itself commits a file that a
  // write cut short (a full disk, a size limit) without complaint.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return -200;
  g_workspaceDir = QFileInfo(path).absoluteDir();
  QByteArray bytes;
  QXmlStreamWriter xml(&bytes);
  xml.setAutoFormatting(true);
  xml.writeStartDocument();
  xml.writeStartElement(QStringLiteral("workspace"));
  xml.writeStartElement(QStringLiteral("tabs"));
  xml.writeAttribute(QStringLiteral("tabSelected"), QString::number(tabSelected));
  for (CTab* tab : tabs) {
    xml.writeStartElement(QStringLiteral("tab"));
    xml.writeAttribute(QStringLiteral("viewIndex"), QString::number(tab->viewIndex()));
    xml.writeAttribute(QStringLiteral("viewName"), tab->viewName());
    xml.writeAttribute(QStringLiteral("layoutType"), QString::number(tab->layoutType()));
    xml.writeStartElement(QStringLiteral("frames"));
    for (int slot = 0; slot < CTab::kFrameCount; ++slot) {
      CFrame* frame = tab->frame(slot);
      xml.writeStartElement(QStringLiteral("frame"));
      xml.writeAttribute(QStringLiteral("viewIndex"), QString::number(frame->viewIndex()));
      xml.writeAttribute(QStringLiteral("moduleSelected"), QString::number(frame->moduleSelected()));
      xml.writeStartElement(QStringLiteral("modules"));
      for (CModule* m : frame->modules()) {
        m->saveModuleData();
        xml.writeStartElement(QStringLiteral("module"));
        xml.writeAttribute(QStringLiteral("moduleType"), QString::number(m->moduleType()));
        xml.writeAttribute(QStringLiteral("inputName"), storedInputName(m));
        xml.writeAttribute(QStringLiteral("viewName"), m->viewName());
        xml.writeTextElement(QStringLiteral("moduleData"), m->moduleData());
        xml.writeEndElement();  // module
      }
      xml.writeEndElement();  // modules
      xml.writeEndElement();  // frame
    }
    xml.writeEndElement();  // frames
    xml.writeEndElement();  // tab
  }
  xml.writeEndElement();  // tabs
  xml.writeEndElement();  // workspace
  xml.writeEndDocument();
  const qint64 written = xml.hasError() ? -1 : file.write(bytes);
  if (written != bytes.size()) {
    file.cancelWriting();
    OSTREL_LOG_AS("workspaceWrite", "%s: %lld of %lld bytes written", path.toUtf8().constData(),
                  static_cast<long long>(written), static_cast<long long>(bytes.size()));
    return -197;
  }
  if (!file.commit()) {
    OSTREL_LOG_AS("workspaceWrite", "%s: %s", path.toUtf8().constData(), file.errorString().toUtf8().constData());
    return -197;
  }
  return 0;
}
