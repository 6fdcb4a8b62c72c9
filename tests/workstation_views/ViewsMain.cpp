// Runs the workstation's views against the real application object, the way the program's
// start-up sets them up, with a simulated camera on this suite's loopback address.
#include <QtQuickTest/quicktest.h>

#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSize>
#include <QProcess>
#include <QQuickWindow>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtQml>
#include <sys/stat.h>

#if defined(OSTREL_VIEWS_OPENGL) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "NetKit.h"
#include "ViewFixture.h"
#include "OstrelSDK.h"
#include "TempCanvas.h"
#include "TempPalette.h"
#include "camsim/CameraSim.h"
#include "qorn/QornInit.h"
#include "program/AppStartup.h"
#include "program/CApp.h"

// Each program of these cases has simulators of its own, so that they can run at once.
#ifndef OSTREL_VIEWS_GEAR_CAMERA_HOST
#define OSTREL_VIEWS_GEAR_CAMERA_HOST 171
#endif
#ifndef OSTREL_VIEWS_CAMERA_HOST
#define OSTREL_VIEWS_CAMERA_HOST 2
#endif

// Small file helpers the QML cases need.
class ViewsTestFiles : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString dir READ dir CONSTANT)
  Q_PROPERTY(QString cameraAddress READ cameraAddress CONSTANT)
  Q_PROPERTY(QString cameraAddress2 READ cameraAddress2 CONSTANT)
  Q_PROPERTY(QString gearCameraAddress READ gearCameraAddress CONSTANT)
  Q_PROPERTY(QString configDir READ configDir CONSTANT)
 public:
  explicit ViewsTestFiles(const QString& dir) : dir_(dir) {}
  QString dir() const { return dir_; }
  QString cameraAddress() const { return QString::fromStdString(ostrel::test::scenarioAddress(OSTREL_VIEWS_CAMERA_HOST)); }
  // A second camera, with an identity of its own, so that two inputs can have unsaved edits.
  QString cameraAddress2() const { return QString::fromStdString(ostrel::test::scenarioAddress(OSTREL_VIEWS_CAMERA_HOST + 1)); }
  // A camera with a zoom lens (its software id names one), whose gear level the simulator keeps.
  QString gearCameraAddress() const { return QString::fromStdString(ostrel::test::scenarioAddress(OSTREL_VIEWS_GEAR_CAMERA_HOST)); }
  QString configDir() const { return appConfigDir(); }
  // The file's SHA-1 in hex; empty when it cannot be read.
  Q_INVOKABLE QString hash(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
  }
  Q_INVOKABLE bool remove(const QString& path) const { return !QFile::exists(path) || QFile::remove(path); }
  Q_INVOKABLE QString readAll(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
  }
  Q_INVOKABLE bool exists(const QString& path) const { return QFile::exists(path); }
  // A folder for pictures of the views, named by OSTREL_VIEWS_SHOTS; empty when none is asked for.
  Q_INVOKABLE QString shotsDir() const { return qEnvironmentVariable("OSTREL_VIEWS_SHOTS"); }
  // Identity and time of a file: a rewrite through a temporary and a rename changes the inode,
  // an untouched file keeps both. Empty when the file is missing.
  Q_INVOKABLE QString stamp(const QString& path) const {
    struct stat st {};
    if (::stat(path.toUtf8().constData(), &st) != 0) return QString();
    return QStringLiteral("%1:%2.%3").arg(st.st_ino).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
  }
  Q_INVOKABLE QString readHex(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
  }
  Q_INVOKABLE bool mkpath(const QString& path) const { return QDir().mkpath(path); }
  Q_INVOKABLE bool copy(const QString& from, const QString& to) const {
    return (!QFile::exists(to) || QFile::remove(to)) && QFile::copy(from, to);
  }
  // Adds n small rectangles to a canvas (as the measurement tool would); the items made.
  Q_INVOKABLE int addRectItems(QObject* canvas, int n) const {
    auto* c = qobject_cast<TempCanvas*>(canvas);
    int made = 0;
    for (int i = 0; c != nullptr && i < n; ++i) {
      MeaItem d{};
      std::snprintf(d.name, sizeof d.name, "R%d", 100 + i);
      d.meaColor = 0xFF00FF00u;
      d.meaType = 9;
      d.fixEmi = 1.0f;
      d.pointCount = 2;
      d.points[0] = MeaPoint{uint16_t(2 + i), uint16_t(2 + i)};
      d.points[1] = MeaPoint{uint16_t(12 + i), uint16_t(12 + i)};
      made += c->createItem(&d) != nullptr ? 1 : 0;
    }
    return made;
  }
  Q_INVOKABLE bool removeDir(const QString& path) const { return QDir(path).removeRecursively(); }
  Q_INVOKABLE qint64 size(const QString& path) const { return QFileInfo(path).size(); }
  // The file views' recording and picture, written into `path`; 0 or the writer's code.
  Q_INVOKABLE int writeViewFixture(const QString& path) const {
    return QDir().mkpath(path) ? viewfixture::write(path) : -200;
  }
  Q_INVOKABLE QString configFile() const { return configFile_; }
  void setConfigFile(const QString& path) { configFile_ = path; }
  Q_INVOKABLE QString clipboardText() const { return QGuiApplication::clipboard()->text(); }
  Q_INVOKABLE void clearClipboard() const { QGuiApplication::clipboard()->clear(); }
  // The size of the picture on the clipboard; 0 x 0 when there is none.
  Q_INVOKABLE QSize clipboardImageSize() const { return QGuiApplication::clipboard()->image().size(); }
  // Request-reply control records (pan-tilt, lens, filter) the first camera has received so far.
  Q_INVOKABLE int cameraControlCount() const {
    int n = 0;
    for (const camsim::Observation& o : sim_->log().snapshot()) n += (o.type == 56);
    return n;
  }
  // The first camera answers its commands this much later from now on.
  Q_INVOKABLE void setCameraReplyDelay(int ms) const {
    camsim::CommandFaults f = sim_->command().faults();
    f.replyDelayMs = ms;
    sim_->command().setFaults(f);
  }
  void setCamera(camsim::CameraSim* sim) { sim_ = sim; }
  void setGearCamera(camsim::CameraSim* sim) { gearSim_ = sim; }
  // The zoom camera's own gear level, and the gear-set requests (type 3) it has received.
  Q_INVOKABLE int gearCameraLevel() const { return gearSim_->state().gearLevel(); }
  Q_INVOKABLE int gearSetCount() const {
    int n = 0;
    for (const camsim::Observation& o : gearSim_->log().snapshot())
      n += o.type == 56 && o.bytes.size() >= 8 && o.bytes[4] == 3 && o.bytes[5] == 0 && o.bytes[6] == 0 && o.bytes[7] == 0;
    return n;
  }

 private:
  QString dir_;
  QString configFile_;
  camsim::CameraSim* sim_ = nullptr;
  camsim::CameraSim* gearSim_ = nullptr;
};

class Setup : public QObject {
  Q_OBJECT
 public slots:
  void applicationAvailable() {
#ifdef OSTREL_VIEWS_OPENGL
    // The 3-D surface draws only through OpenGL.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
#endif
    initAppFolders();
    Ostrel_InitSDK();
    camsim::CameraSimOptions o;
    o.address = ostrel::test::scenarioAddress(OSTREL_VIEWS_CAMERA_HOST);
    sim_ = std::make_unique<camsim::CameraSim>(o);
    if (sim_->start() != 0) qFatal("the camera simulator did not start on %s", o.address.c_str());
    camsim::CameraSimOptions o2;
    o2.address = ostrel::test::scenarioAddress(OSTREL_VIEWS_CAMERA_HOST + 1);
    o2.identity.cameraId = "CAMSIM-0002";
    sim2_ = std::make_unique<camsim::CameraSim>(o2);
    if (sim2_->start() != 0) qFatal("the camera simulator did not start on %s", o2.address.c_str());
#ifdef OSTREL_VIEWS_TRANSLATION_DIR
    // The program's own translation of the language named by OSTREL_VIEWS_LANGUAGE, installed
    // before the option lists are built, as the program's start-up does.
    const QString code = qEnvironmentVariable("OSTREL_VIEWS_LANGUAGE", QStringLiteral("en_US"));
    const QString qm = QStringLiteral(OSTREL_VIEWS_TRANSLATION_DIR "/Calorvue.%1.qm").arg(code);
    if (!translator_.load(qm)) qFatal("cannot load the translation %s", qPrintable(qm));
    QCoreApplication::installTranslator(&translator_);
#endif
    camsim::CameraSimOptions o3;
    o3.address = ostrel::test::scenarioAddress(OSTREL_VIEWS_GEAR_CAMERA_HOST);
    o3.identity.cameraId = "CAMSIM-ZOOM";
    o3.identity.softwareId = "SW-QF-SIM";
    gearSim_ = std::make_unique<camsim::CameraSim>(o3);
    if (gearSim_->start() != 0) qFatal("the camera simulator did not start on %s", o3.address.c_str());
    gearSim_->state().setGearLevel(1);
    app_ = new CApp(this);
    qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app_);
    app_->init();
    files_ = new ViewsTestFiles(tmp_.path());
    files_->setConfigFile(app_->configManager()->configFile());
    files_->setCamera(sim_.get());
    files_->setGearCamera(gearSim_.get());
    // Radiometric pictures and streams to open as file inputs.
    QProcess golden;
    golden.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
                 {QStringLiteral(OSTREL_TEST_SOURCE_DIR "/../sdk_files/make_golden.py"), tmp_.path()});
    if (!golden.waitForFinished(60000) || golden.exitCode() != 0) qFatal("make_golden.py failed");
    // Both cameras start from the same known view record: the whole-image item and one
    // rectangle whose correction keeps a reflected temperature of 25 degrees.
    for (const char* id : {"CAMSIM-0001", "CAMSIM-0002"}) {
      QProcess conf;
      conf.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
                 {QStringLiteral(OSTREL_TEST_SOURCE_DIR "/../../scripts/write-device-conf.py"),
                  appConfigDir() + QStringLiteral("/Device-%1.conf").arg(QLatin1String(id)), QLatin1String(id)});
      if (!conf.waitForFinished(60000) || conf.exitCode() != 0) qFatal("write-device-conf.py failed");
    }
  }
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
    // Every test file gets an engine of its own, which deletes its providers when it ends: each
    // gets a provider of its own, and the manager keeps its one, whose list the views read.
    engine->addImageProvider(QStringLiteral("tempPalette"), new TempPaletteImageProvider());
    engine->rootContext()->setContextProperty("testFiles", files_);
  }
  void cleanupTestCase() {
    delete app_;
    app_ = nullptr;
    if (sim_) sim_->stop();
    if (gearSim_) gearSim_->stop();
    if (sim2_) sim2_->stop();
#if defined(OSTREL_VIEWS_OPENGL) && defined(__SANITIZE_ADDRESS__)
    // Leak check while the graphics drivers are still loaded: what they keep for the process stays
    // reachable; their teardown at exit (unloaded modules without symbols) is not checked again.
    __lsan_do_leak_check();
#endif
  }

 private:
  QTemporaryDir tmp_;
  QTranslator translator_;
  std::unique_ptr<camsim::CameraSim> sim_, sim2_, gearSim_;
  CApp* app_ = nullptr;
  ViewsTestFiles* files_ = nullptr;
};

QUICK_TEST_MAIN_WITH_SETUP(workstation_views, Setup)

#include "ViewsMain.moc"
