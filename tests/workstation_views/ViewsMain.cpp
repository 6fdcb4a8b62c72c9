// Runs the workstation's views against the real application object, the way the program's
// start-up sets them up, with a simulated camera on this suite's loopback address.
#include <QtQuickTest/quicktest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQml>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "TempCanvasManager.h"
#include "TempPalette.h"
#include "camsim/CameraSim.h"
#include "qorn/QornInit.h"
#include "app/AppStartup.h"
#include "app/CApp.h"

// Small file helpers the QML cases need.
class ViewsTestFiles : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString dir READ dir CONSTANT)
  Q_PROPERTY(QString cameraAddress READ cameraAddress CONSTANT)
 public:
  explicit ViewsTestFiles(const QString& dir) : dir_(dir) {}
  QString dir() const { return dir_; }
  QString cameraAddress() const { return QString::fromStdString(ostrel::test::scenarioAddress(2)); }
  Q_INVOKABLE QString readAll(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
  }
  Q_INVOKABLE bool exists(const QString& path) const { return QFile::exists(path); }

 private:
  QString dir_;
};

class Setup : public QObject {
  Q_OBJECT
 public slots:
  void applicationAvailable() {
    initAppFolders();
    Ostrel_InitSDK();
    camsim::CameraSimOptions o;
    o.address = ostrel::test::scenarioAddress(2);
    sim_ = std::make_unique<camsim::CameraSim>(o);
    if (sim_->start() != 0) qFatal("the camera simulator did not start on %s", o.address.c_str());
    app_ = new CApp(this);
    qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app_);
    app_->init();
    files_ = new ViewsTestFiles(tmp_.path());
    // Radiometric pictures and streams to open as file inputs.
    QProcess golden;
    golden.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
                 {QStringLiteral(OSTREL_TEST_SOURCE_DIR "/../sdk_files/make_golden.py"), tmp_.path()});
    if (!golden.waitForFinished(60000) || golden.exitCode() != 0) qFatal("make_golden.py failed");
  }
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
    if (TempCanvasManager* canvas = app_->tempCanvasManager()) {
      if (TempPaletteImageProvider* provider = canvas->takePaletteImageProvider())
        engine->addImageProvider(QStringLiteral("tempPalette"), provider);
    }
    engine->rootContext()->setContextProperty("testFiles", files_);
  }
  void cleanupTestCase() {
    delete app_;
    app_ = nullptr;
    if (sim_) sim_->stop();
  }

 private:
  QTemporaryDir tmp_;
  std::unique_ptr<camsim::CameraSim> sim_;
  CApp* app_ = nullptr;
  ViewsTestFiles* files_ = nullptr;
};

QUICK_TEST_MAIN_WITH_SETUP(workstation_views, Setup)

#include "ViewsMain.moc"
