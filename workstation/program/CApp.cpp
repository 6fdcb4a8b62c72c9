#include "program/CApp.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQmlEngine>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QTranslator>
#include <QUrl>

#include "PaintResources.h"
#include "foundation/Logger.h"
#include "program/AppStartup.h"
#include "modules/CModule.h"
#include "modules/CModuleInputIr.h"
#include "charts/TCSeriesMea.h"
#include "workspace/WorkspaceFile.h"

CApp::CApp(QObject* parent) : QObject(parent) {
  commonManager_ = new CCommonManager();
  configManager_ = new CConfigManager();
  if (!appDirPath().isEmpty()) configManager_->setAppDir(appDirPath());
  inputManager_ = new CInputManager(configManager_);
  tempCanvasManager_ = new TempCanvasManager();
  tabManager_ = new CTabManager();
  imageExporter_ = new ImageExporter();
  recorderManager_ = new RecorderManager(configManager_, commonManager_, inputManager_);
  ModuleManagers managers;
  managers.inputs = inputManager_;
  managers.recorders = recorderManager_;
  managers.exporter = imageExporter_;
  managers.canvases = tempCanvasManager_;
  managers.grab = [this](QQuickItem* item, const QString& path) { return grab(item, path); };
  tabManager_->setManagers(managers);
}

CApp::~CApp() {
  // Modules first: they hold cameras and files open and may still be recording. The frames do
  // not own them, so they are collected before detaching empties the frames.
  QList<CModule*> modules;
  for (CTab* tab : tabManager_->tabs())
    for (int slot = 0; slot < CTab::kFrameCount; ++slot)
      if (CFrame* frame = tab->frame(slot)) modules.append(frame->modules());
  OSTREL_LOG("closing %d modules", static_cast<int>(modules.size()));
  tabManager_->detachAll();
  qDeleteAll(modules);

  // Exports already handed over finish first; a long video is waited for, bounded.
  if (imageExporter_ != nullptr) {
    imageExporter_->quitThread();
    if (!imageExporter_->waitThread(kExporterQuitTimeoutMs))
      OSTREL_LOG("exporter still busy after %d ms; waiting for it to finish", kExporterQuitTimeoutMs);
  }

  delete recorderManager_;
  delete imageExporter_;
  delete tabManager_;
  delete tempCanvasManager_;
  delete inputManager_;
  delete configManager_;
  delete commonManager_;
  grabResult_.reset();
  OSTREL_LOG("managers deleted");
}

void CApp::finishFilesForExit() {
  int recorders = 0;
  for (CTab* tab : tabManager_->tabs())
    for (int slot = 0; slot < CTab::kFrameCount; ++slot)
      if (CFrame* frame = tab->frame(slot))
        for (CModule* module : frame->modules())
          if (auto* camera = qobject_cast<CModuleInputIr*>(module)) {
            // The camera stops delivering first: nothing may reach the recorder while it closes.
            if (auto* input = qobject_cast<CInputIr*>(camera->input())) input->close();
            if (Recorder* recorder = camera->recorder()) {
              recorder->finishWorker();
              ++recorders;
            }
          }
  if (imageExporter_ != nullptr) {
    imageExporter_->quitThread();
    if (!imageExporter_->waitThread(kExporterQuitTimeoutMs))
      OSTREL_LOG("exporter still busy after %d ms; its file may be incomplete", kExporterQuitTimeoutMs);
  }
  OSTREL_LOG("%d recorders finished", recorders);
}

CApp::InitStepHook CApp::initStepHook_ = nullptr;

void CApp::setInitStepHook(InitStepHook hook) { initStepHook_ = hook; }

int CApp::initStep(int step, const char* name, int rc) {
  if (initStepHook_ != nullptr) rc = initStepHook_(step, rc);
  if (rc < 0 && initFailedStep_ == 0) {
    initFailedStep_ = step;
    initFailedCode_ = rc;
    OSTREL_LOG("start-up step %d (%s) failed (%d)", step, name, rc);
  }
  return rc;
}

int CApp::init() {
  initFailedStep_ = 0;
  initFailedCode_ = 0;
  initPaintResources();
  // Every step runs even after a failure: the program comes up with what it has, and the first
  // failure is what is reported.
  int rc = initStep(1, "settings", configManager_->init());
  rc = initStep(2, "language", setLanguage());
  rc = initStep(3, "option lists", commonManager_->init());
  rc = initStep(4, "inputs", inputManager_->init());
  rc = initStep(5, "canvases", tempCanvasManager_->init());
  CTabManager* tabs = tabManager_;
  tempCanvasManager_->setModuleResolver([tabs](const QString& inputName) -> QObject* {
    for (CTab* tab : tabs->tabs())
      for (int slot = 0; slot < CTab::kFrameCount; ++slot)
        if (CFrame* frame = tab->frame(slot))
          for (CModule* m : frame->modules())
            if (CInputBase* in = m->input(); in && (in->inputName() == inputName || in->inputNameAbs() == inputName))
              return m;
    return nullptr;
  });
  rc = initStep(6, "workspace", tabManager_->init());
  qmlRegisterType<TCSeriesMea>("Ostrel", 1, 0, "TCSeriesMea");
  rc = initStep(7, "exporter", ImageExporter::init());
  rc = initStep(8, "recorder", recorderManager_->init());
  if (initFailedStep_ != 0) rc = initFailedCode_;
  OSTREL_LOG("application object ready (%d)", rc);
  return rc;
}

QString CApp::languageCode(int language) { return language == 1 ? QStringLiteral("en_US") : QStringLiteral("zh_CN"); }

QString CApp::languageFont(int language) {
  return language == 1 ? QStringLiteral("Times New Roman") : QStringLiteral("SimSun");
}

QString CApp::manualFileName(int language) {
  return language == 1 ? QStringLiteral("Calorvue_US.pdf") : QStringLiteral("Calorvue_CN.pdf");
}

int CApp::setLanguage() {
  const int language = configManager_->config()->language();
  QFont font(languageFont(language));
  // The named families are rarely installed here: fall back on the installed serif and CJK fonts.
  font.setFamilies({languageFont(language), QStringLiteral("DejaVu Serif"), QStringLiteral("WenQuanYi Micro Hei")});
  font.setPointSize(12);
  QGuiApplication::setFont(font);
  if (QTranslator* tr = appTranslator()) {
    const QString file = QStringLiteral("%1/Calorvue.%2.qm").arg(appConfigDir(), languageCode(language));
    if (tr->load(file)) QCoreApplication::installTranslator(tr);
  }
  return 0;
}

void CApp::openManual() {
  const QString path = appDirPath() + QStringLiteral("/Doc/") + manualFileName(configManager_->config()->language());
  if (!QFileInfo::exists(path)) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

int CApp::grab(QQuickItem* item, const QString& path) {
  if (grabBusy_) return -7;
  // Without a shown window no picture ever arrives: refuse at once rather than wait.
  if (!item || !item->window() || !item->window()->isVisible() || !item->isVisible()) {
    OSTREL_LOG("item has no visible window");
    return -7;
  }
  QSharedPointer<QQuickItemGrabResult> result = item->grabToImage();
  if (!result) {
    OSTREL_LOG("item cannot be captured");
    return -7;
  }
  grabBusy_ = true;
  grabResult_ = result;
  int rc = -1;
  bool done = false;
  connect(result.data(), &QQuickItemGrabResult::ready, this, [path, &rc, &done, raw = result.data()] {
    if (path.isEmpty()) {
      if (QClipboard* cb = QGuiApplication::clipboard()) cb->setImage(raw->image(), QClipboard::Clipboard);
      rc = 0;
    } else {
      rc = raw->saveToFile(path) ? 0 : -197;
    }
    done = true;
  });
  QElapsedTimer timer;
  timer.start();
  while (!done && timer.elapsed() < kGrabTimeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
  // The handler refers to this frame's locals: it must never run once grab has returned.
  disconnect(result.data(), &QQuickItemGrabResult::ready, this, nullptr);
  if (!done) OSTREL_LOG("no picture within %d ms", kGrabTimeoutMs);
  grabResult_.reset();
  grabBusy_ = false;
  return rc;
}

void CApp::copyTextToClipboard(const QString& text) {
  if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(text, QClipboard::Clipboard);
}
