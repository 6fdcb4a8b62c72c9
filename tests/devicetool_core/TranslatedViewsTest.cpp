// The device tool in words: with the built translation of a language in the configuration folder
// and that language in the settings, the main window, its pages and tabs, every popup view and
// every channel panel, and the option lists show no translation id in place of a text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlListReference>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtEndian>
#include <memory>

#include "AppFolders.h"
#include "CApp.h"
#include "CCommonManager.h"
#include "NetKit.h"

namespace {

// The popup views the main window opens, built beside it as App.openView and the chooser do.
const char kPopups[] = R"(
import QtQuick
import QtQuick.Window
import "Basic"
Window {
    width: 1200; height: 800
    visible: true
    DeviceConfig { objectName: "DeviceConfig" }
    AppConfig { objectName: "AppConfig" }
    Temp2Energy { objectName: "Temp2Energy" }
    DeviceWeiJu { objectName: "DeviceWeiJu" }
    DeviceFixDist { objectName: "DeviceFixDist" }
    DeviceCust { objectName: "DeviceCust" }
    DeviceCom { objectName: "DeviceCom" }
    DeviceXCali { objectName: "DeviceXCali" }
    DeviceChart { objectName: "DeviceChart" }
    DeviceUtilV7R2K { objectName: "DeviceUtilV7R2K" }
    CaliChooser { objectName: "CaliChooser" }
}
)";

// The ids a person could not read as words: with "_" or a small letter before a capital.
QSet<QString> unreadableIds(const QString& tsFile) {
  QSet<QString> ids;
  QFile f(tsFile);
  if (!f.open(QIODevice::ReadOnly)) return ids;
  QXmlStreamReader xml(&f);
  static const QRegularExpression camel(QStringLiteral("[a-z][A-Z]"));
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("message")) {
      const QString id = xml.attributes().value(QLatin1String("id")).toString();
      if (id.contains(QLatin1Char('_')) || id.contains(camel)) ids.insert(id);
    }
  return ids;
}

class TextWalker {
 public:
  explicit TextWalker(const QSet<QString>& ids) : ids_(ids) {}

  // Every text a visible item shows or offers as its tool tip, with where it was seen.
  void walk(QQuickItem* item, const QString& where) {
    if (item == nullptr || !item->isVisible()) return;
    for (const char* p : {"text", "xtext", "xtip", "xname", "xtitle", "title", "placeholderText"}) {
      const QVariant v = item->property(p);
      if (v.typeId() == QMetaType::QString)
        check(v.toString(), where + QLatin1Char(' ') + item->metaObject()->className() + QLatin1Char('.') +
                                QLatin1String(p));
    }
    const QVariant names = item->property("xnames");
    for (const QVariant& n : names.toList()) check(n.toString(), where + QStringLiteral(" tab"));
    for (QQuickItem* c : item->childItems()) walk(c, where);
  }

  // Each page of every tab bar in turn, and the whole window on each.
  void walkWithTabs(QQuickItem* root, const QString& where) {
    walk(root, where);
    QList<QQuickItem*> tabs;
    findTabs(root, &tabs);
    for (QQuickItem* t : tabs) {
      const int count = int(t->property("xnames").toList().size());
      const QVariant before = t->property("xcurrentIndex");
      for (int i = 0; i < count; ++i) {
        t->setProperty("xcurrentIndex", i);
        walk(root, where + QStringLiteral(" tab %1").arg(i));
      }
      t->setProperty("xcurrentIndex", before);
    }
  }

  void check(const QString& text, const QString& where) {
    ++seen_;
    // Only the ids: the detector's register names ("x2_srg") and the option names shown as
    // written ("TCP_RTU") look alike but are the texts.
    if (ids_.contains(text)) found_.insert(where + QStringLiteral(": ") + text);
  }

  int seen() const { return seen_; }
  QStringList found() const {
    QStringList l(found_.begin(), found_.end());
    l.sort();
    return l;
  }

 private:
  static void findTabs(QQuickItem* item, QList<QQuickItem*>* out) {
    if (item->property("xnames").isValid() && item->property("xcurrentIndex").isValid()) out->append(item);
    for (QQuickItem* c : item->childItems()) findTabs(c, out);
  }
  QSet<QString> ids_;
  QSet<QString> found_;
  int seen_ = 0;
};

// The settings record with only the language changed from the defaults.
void writeSettings(int language) {
  QByteArray rec(1048, '\0');
  qToLittleEndian<quint32>(20240408u, rec.data());
  qToLittleEndian<qint32>(language, rec.data() + 4);
  const QByteArray dir = QStringLiteral("%1/Calorset-Data").arg(calorset::appDir()).toUtf8();
  std::memcpy(rec.data() + 8, dir.constData(), size_t(std::min<qsizetype>(dir.size(), 1023)));
  qToLittleEndian<qint32>(500, rec.data() + 1036);
  qToLittleEndian<qint32>(1, rec.data() + 1040);
  qToLittleEndian<qint32>(100, rec.data() + 1044);
  QFile f(calorset::configDir() + QStringLiteral("/AppConfig.bin"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(rec), 1048);
}

void checkLanguage(const char* locale) {
  // The main window refreshes the device list: its discovery goes to an address of this suite
  // where nobody listens.
  qputenv("OSTREL_DISCOVER_BROADCAST", QByteArray::fromStdString(ostrel::test::loopbackAddress(44, 109)));
  const QString name = QStringLiteral("Calorset.%1.qm").arg(QLatin1String(locale));
  QFile::remove(calorset::configDir() + QLatin1Char('/') + name);
  ASSERT_TRUE(QFile::copy(QStringLiteral(OSTREL_CALORSET_QM_DIR "/") + name,
                          calorset::configDir() + QLatin1Char('/') + name));
  // English is language 1; Chinese is the tool's own default, with no settings file at all.
  if (QLatin1String(locale) == QLatin1String("en_US"))
    writeSettings(1);
  else
    QFile::remove(calorset::configDir() + QStringLiteral("/AppConfig.bin"));

  static QTranslator translator;
  auto* app = new calorset::CApp(nullptr, &translator);
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
  ASSERT_EQ(app->init(), 0);
  ASSERT_FALSE(translator.isEmpty()) << "no translation loaded for " << locale;

  const QSet<QString> ids =
      unreadableIds(QStringLiteral(OSTREL_CALORSET_TS_DIR "/Calorset_%1.ts").arg(QLatin1String(locale)));
  ASSERT_GT(ids.size(), 100);
  TextWalker walker(ids);

  // The option lists, translated when they were built.
  calorset::CCommonManager* common = app->commonManager();
  const QMetaObject* mo = common->metaObject();
  for (int p = mo->propertyOffset(); p < mo->propertyCount(); ++p) {
    QQmlListReference list(common, mo->property(p).name());
    if (!list.isValid()) continue;
    for (qsizetype i = 0; i < list.count(); ++i)
      for (const char* field : {"name", "desc"})
        if (QVariant v = list.at(i)->property(field); v.isValid())
          walker.check(v.toString(), QStringLiteral("%1[%2].%3")
                                         .arg(QLatin1String(mo->property(p).name()))
                                         .arg(i)
                                         .arg(QLatin1String(field)));
  }

  auto engine = std::make_unique<QQmlEngine>();
  engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
  QQmlComponent mainComponent(engine.get(),
                              QUrl::fromLocalFile(QStringLiteral(OSTREL_VIEWS_DIR "/Main.qml")));
  std::unique_ptr<QObject> main(mainComponent.create());
  ASSERT_NE(main, nullptr) << mainComponent.errorString().toStdString();
  auto* mainWindow = qobject_cast<QQuickWindow*>(main.get());
  ASSERT_NE(mainWindow, nullptr);
  walker.walkWithTabs(mainWindow->contentItem(), QStringLiteral("Main"));

  QQmlComponent popupComponent(engine.get());
  popupComponent.setData(kPopups,
                         QUrl::fromLocalFile(QStringLiteral(OSTREL_VIEWS_DIR "/TranslatedViews.qml")));
  std::unique_ptr<QObject> popups(popupComponent.create());
  ASSERT_NE(popups, nullptr) << popupComponent.errorString().toStdString();
  auto* popupWindow = qobject_cast<QQuickWindow*>(popups.get());
  ASSERT_NE(popupWindow, nullptr);
  for (const char* view :
       {"DeviceConfig", "AppConfig", "Temp2Energy", "DeviceWeiJu", "DeviceFixDist", "DeviceCust", "DeviceCom",
        "DeviceXCali", "DeviceChart", "DeviceUtilV7R2K", "CaliChooser"}) {
    QObject* popup = popups->findChild<QObject*>(QLatin1String(view));
    ASSERT_NE(popup, nullptr) << view;
    if (QLatin1String(view) == QLatin1String("AppConfig"))
      QMetaObject::invokeMethod(popup, "xopen", Q_ARG(QVariant, 10), Q_ARG(QVariant, 10));
    else
      QMetaObject::invokeMethod(popup, "open");
    ASSERT_TRUE(popup->property("visible").toBool()) << view;
    if (QLatin1String(view) == QLatin1String("DeviceConfig")) {
      for (const char* panel :
           {"CameraBasicInfo", "FixInfo", "CameraNetworkInfo", "CameraTimeInfo", "TvoutInfo", "CameraOSDInfo",
            "SerialPortInfo", "GpioInfo", "FFCInfo", "DestripInfo", "DenoiseInfo", "CameraPluginInfo",
            "GB28181Info", "TestInfo"}) {
        QMetaObject::invokeMethod(popup, "setCurrentConfig", Q_ARG(QVariant, QLatin1String(panel)));
        walker.walk(popupWindow->contentItem(), QStringLiteral("DeviceConfig/%1").arg(QLatin1String(panel)));
      }
    } else {
      walker.walkWithTabs(popupWindow->contentItem(), QLatin1String(view));
    }
    QMetaObject::invokeMethod(popup, "close");
  }

  // Hundreds of texts were looked at, none of them an id.
  EXPECT_GT(walker.seen(), 400);
  EXPECT_TRUE(walker.found().isEmpty()) << walker.found().size() << " ids shown:\n"
                                        << walker.found().join(QLatin1Char('\n')).toStdString();
  popups.reset();
  main.reset();
  engine.reset();
  QCoreApplication::removeTranslator(&translator);
  delete app;
}

// Each language in a process of its own: the option lists are translated once, at start-up.
TEST(TranslatedViews, EnglishShowsNoIds) {
  checkLanguage("en_US");
}

TEST(TranslatedViews, ChineseShowsNoIds) {
  checkLanguage("zh_CN");
}

}  // namespace
