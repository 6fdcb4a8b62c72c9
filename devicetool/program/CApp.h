// The device tool's root object: creates and owns the managers the views reach through the QML
// singleton "CApp", applies the interface language and opens the manual. GUI thread only.
#pragma once

#include <QObject>
#include <QString>

#include "CCommonManager.h"
#include "CConfigManager.h"
#include "CDeviceManager.h"
#include "TempPalette.h"  // completes the provider type TempCanvasManager.h hands out
#include "TempCanvasManager.h"

class QTranslator;

namespace calorset {

class CApp : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString appName READ appName CONSTANT)
  Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
  Q_PROPERTY(calorset::CCommonManager* commonManager READ commonManager CONSTANT)
  Q_PROPERTY(calorset::CConfigManager* configManager READ configManager CONSTANT)
  Q_PROPERTY(CDeviceManager* deviceManager READ deviceManager CONSTANT)
  Q_PROPERTY(TempCanvasManager* tempCanvasManager READ tempCanvasManager CONSTANT)
  Q_PROPERTY(bool debug_netdEnable READ debug_netdEnable CONSTANT)

 public:
  // Creates the four managers, without parent.
  explicit CApp(QObject* parent = nullptr, QTranslator* translator = nullptr);
  // Deletes the device manager first (it stops the live device and logs out), then the others.
  ~CApp() override;

  // Settings, language, option lists, canvas manager, device manager, in this order.
  int init();

  QString appName() const { return QStringLiteral("Calorset"); }
  QString appVersion() const { return QStringLiteral("1.6.0.0330"); }
  CCommonManager* commonManager() const { return commonManager_; }
  CConfigManager* configManager() const { return configManager_; }
  CDeviceManager* deviceManager() const { return deviceManager_; }
  TempCanvasManager* tempCanvasManager() const { return tempCanvasManager_; }
  bool debug_netdEnable() const;

  // Font and translation of the configured language; 0.
  Q_INVOKABLE int setLanguage();
  // Opens "<exe>/Doc/Calorset_US.pdf" (language 1) or "Calorset_CN.pdf" when present.
  Q_INVOKABLE void openManual();

 private:
  QTranslator* translator_;
  CCommonManager* commonManager_;
  CConfigManager* configManager_;
  TempCanvasManager* tempCanvasManager_;
  CDeviceManager* deviceManager_;
};

}  // namespace calorset
