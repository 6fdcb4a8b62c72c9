#include <qorn/QornInit.h>

#include <private/qrhi_p.h>

#include <QFile>
#include <QHash>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <mutex>

static void initResources() {
  Q_INIT_RESOURCE(qorn_shaders);
  Q_INIT_RESOURCE(qorn_shaders_edgeaa);
  Q_INIT_RESOURCE(qorn_fonts);
}

namespace {

constexpr const char *kFallbackFont = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

struct FontCache {
  std::mutex mutex;
  // Each window renders on its own thread; entries are never removed, so returned pointers stay
  // valid for the process's life.
  QHash<QString, std::shared_ptr<QByteArray>> files;  // guarded by mutex
};

std::atomic<FontCache *> g_cache{nullptr};
std::once_flag g_initOnce;
QString g_defaultFont;
QString g_fallbackFont;
std::once_flag g_logOnce;

}  // namespace

void qornInit() {
  std::call_once(g_initOnce, [] {
    initResources();
    if (qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
      QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    g_defaultFont = QStringLiteral(":/Qorn/DejaVuSans.ttf");
    if (QFile::exists(QString::fromLatin1(kFallbackFont)))
      g_fallbackFont = QString::fromLatin1(kFallbackFont);
    g_cache.store(new FontCache, std::memory_order_release);
  });
}

bool qornInitialized() { return g_cache.load(std::memory_order_acquire) != nullptr; }

const QByteArray *qornFontFileData(const QString &path) {
  FontCache *cache = g_cache.load(std::memory_order_acquire);
  if (!cache) return nullptr;
  std::lock_guard<std::mutex> lock(cache->mutex);
  auto it = cache->files.constFind(path);
  if (it != cache->files.constEnd()) return it->get();
  std::shared_ptr<QByteArray> bytes;
  QFile f(path);
  if (f.open(QIODevice::ReadOnly)) {
    bytes = std::make_shared<QByteArray>(f.readAll());
    if (bytes->isEmpty()) bytes.reset();
  }
  cache->files.insert(path, bytes);
  return bytes.get();
}

QString qornDefaultFontPath() { return g_defaultFont; }
QString qornFallbackFontPath() { return g_fallbackFont; }

void qornLogFirstRhi(QRhi *rhi) {
  if (!rhi) return;
  std::call_once(g_logOnce, [rhi] {
    qInfo("Qorn renders with %s on \"%s\"", rhi->backendName(),
          rhi->driverInfo().deviceName.constData());
  });
}

QornColor qornColor(const QColor &c) {
  return QornColor{c.red() / 255.0f, c.green() / 255.0f, c.blue() / 255.0f, c.alpha() / 255.0f};
}

QornColor qornColorFromArgb(quint32 argb) {
  return QornColor{((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                   (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f};
}

QornColor qornColorFromRgba(int r, int g, int b, int a) {
  return QornColor{r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
}
