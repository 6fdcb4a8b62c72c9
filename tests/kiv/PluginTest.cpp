// The plug-in library as Qt's plug-in loader sees it: class name, one instance, the module's
// types available to an engine that imports it.
#include <gtest/gtest.h>

#include <QColor>
#include <QJsonObject>
#include <QPluginLoader>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlEngineExtensionPlugin>
#include <QGuiApplication>
#include <memory>

namespace {

const QString kModuleDir = QStringLiteral(KIV_MODULE_DIR);

QGuiApplication& app() {
  static int argc = 1;
  static char name[] = "kiv_plugin_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* instance = new QGuiApplication(argc, argv);
  return *instance;
}

TEST(KivPlugin, LoaderFindsOneInstanceOfTheNamedClass) {
  app();
  QPluginLoader loader(kModuleDir + QStringLiteral("/libKiv.so"));
  const QJsonObject meta = loader.metaData();
  EXPECT_EQ(meta.value(QStringLiteral("className")).toString(), QStringLiteral("KivPlugin"));
  QObject* first = loader.instance();
  ASSERT_NE(first, nullptr) << loader.errorString().toStdString();
  EXPECT_NE(qobject_cast<QQmlEngineExtensionPlugin*>(first), nullptr);
  EXPECT_EQ(loader.instance(), first);
  EXPECT_STREQ(first->metaObject()->className(), "KivPlugin");
}

TEST(KivPlugin, EngineImportsTheModuleFromItsFolder) {
  app();
  QQmlEngine engine;
  engine.addImportPath(kModuleDir + QStringLiteral("/.."));
  QQmlComponent component(&engine);
  component.setData(
      "import QtQuick\nimport Kiv 1.0\n"
      "QtObject { property color shade: XTheme.color_primary_dark_5\n"
      "           property color mixed: XUtil.mix_dark(XTheme.color_primary, 0.5)\n"
      "           property string path: XTheme.fn_url2os('file:///a%20b/c%25d') }\n",
      QUrl());
  std::unique_ptr<QObject> object(component.create());
  ASSERT_NE(object, nullptr) << component.errorString().toStdString();
  EXPECT_EQ(object->property("shade").value<QColor>().name(), QStringLiteral("#2a598a"));
  const QColor mixed = object->property("mixed").value<QColor>();
  EXPECT_NEAR(mixed.blueF(), 137.5 / 255.0, 1e-4);
  EXPECT_EQ(object->property("path").toString(), QStringLiteral("/a b/c%d"));
}

}  // namespace
