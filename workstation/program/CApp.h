// The workstation's root object: creates and owns the managers the views reach through the QML
// singleton "CApp", applies the interface language, opens the manual and captures items as
// pictures. GUI thread only.
#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QString>

#include "TempPalette.h"  // completes the provider type TempCanvasManager.h hands out
#include "TempCanvasManager.h"
#include "settings/CCommonManager.h"
#include "settings/CConfigManager.h"
#include "inputs/CInputManager.h"
#include "workspace/CTabManager.h"
#include "exporter/ImageExporter.h"
#include "recorder/RecorderManager.h"

class QQuickItem;
class QQuickItemGrabResult;

class CApp : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool isQT5 READ isQT5 CONSTANT)
  Q_PROPERTY(QString appName READ appName CONSTANT)
  Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
  Q_PROPERTY(QString appNameFull READ appNameFull CONSTANT)
  Q_PROPERTY(CCommonManager* commonManager READ commonManager CONSTANT)
  Q_PROPERTY(CConfigManager* configManager READ configManager CONSTANT)
  Q_PROPERTY(CInputManager* inputManager READ inputManager CONSTANT)
  Q_PROPERTY(TempCanvasManager* tempCanvasManager READ tempCanvasManager CONSTANT)
  Q_PROPERTY(CTabManager* tabManager READ tabManager CONSTANT)
  Q_PROPERTY(ImageExporter* imageExporter READ imageExporter CONSTANT)
  Q_PROPERTY(RecorderManager* recorderManager READ recorderManager CONSTANT)

 public:
  static constexpr int kGrabTimeoutMs = 5000;
  static constexpr int kExporterQuitTimeoutMs = 10000;

  // Creates the managers in their fixed order.
  explicit CApp(QObject* parent = nullptr);
  // Detaches and deletes every module (closing cameras and files), lets the exporter finish, then
  // deletes the managers in reverse creation order.
  ~CApp() override;
  // For a program ending at once (its display went away): closes every live camera, ends its
  // recording and closes the file, and lets exports already handed over finish (bounded),
  // touching no view and deleting nothing.
  void finishFilesForExit();

  // The second start-up phase, in steps: 1 settings, 2 language, 3 option lists, 4 inputs,
  // 5 canvases, 6 workspace, 7 exporter, 8 recorder. Every step runs; the code of the first step
  // that failed (negative), or the last step's result when none failed.
  int init();
  // The step of init that failed first (0: none) and its code.
  int initFailedStep() const { return initFailedStep_; }
  int initFailedCode() const { return initFailedCode_; }
  // Replaces each step's result by hook(step, result): how tests make a step fail. Null: none.
  using InitStepHook = int (*)(int step, int result);
  static void setInitStepHook(InitStepHook hook);

  bool isQT5() const { return false; }
  QString appName() const { return QStringLiteral("Calorvue"); }
  QString appVersion() const { return QStringLiteral("1.6.0.0330"); }
  QString appNameFull() const { return QStringLiteral("%1 v%2").arg(appName(), appVersion()); }
  CCommonManager* commonManager() const { return commonManager_; }
  CConfigManager* configManager() const { return configManager_; }
  CInputManager* inputManager() const { return inputManager_; }
  TempCanvasManager* tempCanvasManager() const { return tempCanvasManager_; }
  CTabManager* tabManager() const { return tabManager_; }
  ImageExporter* imageExporter() const { return imageExporter_; }
  RecorderManager* recorderManager() const { return recorderManager_; }

  // Application font and translation of the configured language; always 0.
  Q_INVOKABLE int setLanguage();
  // Opens "<exe dir>/Doc/Calorvue_US.pdf" or "..._CN.pdf" with the desktop's viewer when present.
  Q_INVOKABLE void openManual();
  // Captures the item at its size into `path`, or onto the clipboard when the path is empty.
  // 0; -7 while another capture runs or when the item is not shown in a visible window; -197
  // when the file cannot be written; -1 when no picture arrives within kGrabTimeoutMs.
  Q_INVOKABLE int grab(QQuickItem* item, const QString& path);
  Q_INVOKABLE void copyTextToClipboard(const QString& text);

  // Language code and font family of a configured language.
  static QString languageCode(int language);
  static QString languageFont(int language);
  static QString manualFileName(int language);

 private:
  CCommonManager* commonManager_ = nullptr;
  CConfigManager* configManager_ = nullptr;
  CInputManager* inputManager_ = nullptr;
  TempCanvasManager* tempCanvasManager_ = nullptr;
  CTabManager* tabManager_ = nullptr;
  ImageExporter* imageExporter_ = nullptr;
  RecorderManager* recorderManager_ = nullptr;
  int initStep(int step, const char* name, int rc);

  static InitStepHook initStepHook_;
  QSharedPointer<QQuickItemGrabResult> grabResult_;
  bool grabBusy_ = false;
  int initFailedStep_ = 0;
  int initFailedCode_ = 0;
};
