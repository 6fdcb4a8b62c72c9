#include "CApp.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QTranslator>
#include <QUrl>

#include "AppFolders.h"
#include "PaintResources.h"
#include "foundation/Logger.h"

namespace calorset {

CApp::CApp(QObject* parent, QTranslator* translator)
    : QObject(parent),
      translator_(translator),
      commonManager_(new CCommonManager()),
      configManager_(new CConfigManager()),
      tempCanvasManager_(new TempCanvasManager()),
      deviceManager_(new CDeviceManager()) {}

CApp::~CApp() {
  delete deviceManager_;
  delete tempCanvasManager_;
  delete configManager_;
  delete commonManager_;
  OSTREL_LOG("managers deleted");
}

int CApp::init() {
  configManager_->init();
  setLanguage();
  commonManager_->init();
  tempCanvasManager_->init();
  return deviceManager_->init();
}

bool CApp::debug_netdEnable() const {
  return debugNetdEnable() != 0;
}

int CApp::setLanguage() {
  const bool english = configManager_->config()->language() == 1;
  const QString locale = english ? QStringLiteral("en_US") : QStringLiteral("zh_CN");
  const QString family = english ? QStringLiteral("Times New Roman") : QStringLiteral("SimSun");
  QFont font(family);
  // The named families are rarely installed here: fall back on the installed serif and CJK fonts.
  font.setFamilies({family, QStringLiteral("DejaVu Serif"), QStringLiteral("WenQuanYi Micro Hei")});
  font.setPointSize(12);
  QGuiApplication::setFont(font);
  const QString qm = QStringLiteral("%1/Calorset.%2.qm").arg(configDir(), locale);
  // Another kind of file in its place (a named pipe would block the load) is not a translation.
  if (translator_ != nullptr && isSettingsFile(qm.toUtf8().constData()) && translator_->load(qm))
    QCoreApplication::installTranslator(translator_);
  return 0;
}

void CApp::openManual() {
  const bool english = configManager_->config()->language() == 1;
  const QString path = appDir() + QStringLiteral("/Doc/") +
                       (english ? QStringLiteral("Calorset_US.pdf") : QStringLiteral("Calorset_CN.pdf"));
  if (QFileInfo::exists(path)) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace calorset
