#include <qorn/QornPainter.h>

#include <qorn/QornInit.h>

#include "QornRhiBackend.h"

#include <QByteArray>

#include <cstring>

// The atlas's fallback list is not part of the core's public calls.
#include "Atlas.h"
#include "CoreInternal.h"

namespace {

// Makes the fallback font (Chinese glyphs) searched after font for glyphs it lacks.
void attachFallback(QornContext *ctx, int font) {
  const QString path = qornFallbackFontPath();
  if (path.isEmpty() || !ctx->atlas) return;
  const QByteArray name = path.toUtf8();
  int fallback = qornFindFont(ctx, name.constData());
  if (fallback < 0) {
    const QByteArray *bytes = qornFontFileData(path);
    if (!bytes || bytes->isEmpty()) return;
    fallback = qornCreateFontMem(ctx, name.constData(),
                                 reinterpret_cast<unsigned char *>(const_cast<char *>(bytes->constData())),
                                 int(bytes->size()), 0);
  }
  if (fallback >= 0 && fallback != font) ctx->atlas->addFallbackFont(font, fallback);
}

}  // namespace

// --- QornFont ---------------------------------------------------------------------------------

QornFont::QornFont(QornPainter *painter, const QString &name, float lineHeight)
    : painter_(painter), name_(name), lineHeight_(lineHeight) {}

void QornFont::setName(const QString &name) {
  if (name == name_) return;
  name_ = name;
  nameChanged_ = true;
}

void QornFont::setLineHeight(float lineHeight) { lineHeight_ = lineHeight; }

int QornFont::select() {
  QornContext *ctx = painter_->core();
  if (!ctx) return -1;
  qornFontSize(ctx, size_);
  qornFontBlur(ctx, blur_);
  qornTextLetterSpacing(ctx, letterSpacing_);
  qornTextLineHeight(ctx, lineHeight_);
  // A handle belongs to the core it was resolved on; a new core resolves it again.
  if (nameChanged_ || generation_ != painter_->coreGeneration()) {
    handle_ = qornFindFont(ctx, name_.toUtf8().constData());
    nameChanged_ = false;
    generation_ = painter_->coreGeneration();
  }
  if (handle_ >= 0) return handle_;
  const QByteArray *bytes = qornFontFileData(name_);
  if (bytes && !bytes->isEmpty()) {
    // The cache keeps the bytes for the process's life; the atlas only points at them.
    handle_ = qornCreateFontMem(ctx, name_.toUtf8().constData(),
                                reinterpret_cast<unsigned char *>(const_cast<char *>(bytes->constData())),
                                int(bytes->size()), 0);
    if (handle_ >= 0) attachFallback(ctx, handle_);
  }
  return handle_;
}

// --- QornImage --------------------------------------------------------------------------------

QornImage::QornImage(QornPainter *painter, int width, int height)
    : painter_(painter),
      width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      pixels_(size_t(width_) * size_t(height_) * 4, 0) {}

QornImage::~QornImage() {
  if (handle() > 0) qornDeleteImage(painter_->core(), handle_);
}

int QornImage::handle() const {
  return generation_ == painter_->coreGeneration() && painter_->core() ? handle_ : -1;
}

int QornImage::ensureCreated() {
  if (handle() > 0) return handle_;
  QornContext *ctx = painter_->core();
  handle_ = -1;
  if (!ctx || width_ <= 0 || height_ <= 0) return -1;
  const int h = qornCreateImageRGBA(ctx, width_, height_, flags_, pixels_.data());
  handle_ = h > 0 ? h : -1;
  generation_ = painter_->coreGeneration();
  return handle_;
}

void QornImage::update(const unsigned char *pixels) {
  if (!pixels) return;
  // Keep the own buffer current so that a texture made again later shows the same picture.
  if (pixels != pixels_.data()) std::memcpy(pixels_.data(), pixels, pixels_.size());
  if (handle() > 0) qornUpdateImage(painter_->core(), handle_, pixels_.data());
}

// --- QornPainter ------------------------------------------------------------------------------

QornPainter::QornPainter(int flags)
    : flags_(flags), defaultFont_(std::make_unique<QornFont>(this, qornDefaultFontPath(), 1.1f)) {}

QornPainter::~QornPainter() {
  defaultFont_.reset();
  deleteCore();
}

void QornPainter::createCore(QRhi *rhi) {
  deleteCore();
  if (!rhi) return;
  int flags = 0;
  if (flags_ & 1) flags |= qorn::rhi::FlagEdgeAntiAlias;
  core_ = qorn::rhi::RhiBackend::createContext(rhi, flags);
  ++generation_;
  fallbackFont_ = -1;
}

void QornPainter::deleteCore() {
  if (!core_) return;
  qornDeleteInternal(core_);
  core_ = nullptr;
  ++generation_;
}

qorn::rhi::RhiBackend *QornPainter::backend() const {
  return qorn::rhi::RhiBackend::of(core_);
}

void QornPainter::setTextSnap(int snap) {
  textSnap_ = snap;
  if (core_) qornSetTextPixelSnap(core_, snap != 0 ? 1 : 0);
}

void QornPainter::beginFrame(QRhiCommandBuffer *cb, QRhiRenderTarget *rt, float ratio, float x,
                             float y, QRhiRenderPassDescriptor *rpDesc) {
  if (!core_) return;
  backend()->beginFrame(core_, cb, rt, x, y, ratio, rpDesc);
  ratio_ = backend()->devicePixelRatio();
}

void QornPainter::endFrame() {
  if (core_) backend()->flush();
}

void QornPainter::recordDraws(QRhiCommandBuffer *cb, const QRhiScissor *scissor) {
  if (!core_) return;
  backend()->recordDraws(cb, scissor);
  qornReleaseOldFontTextures(core_);
}

void QornPainter::setFont(QornFont &font) {
  if (!core_) return;
  qornFontFaceId(core_, font.select());
}

float QornPainter::snapPosition(float v) const {
  const float d = ratio_;
  switch (snapMode_) {
    case 1: return float(int(v * d)) / d + 0.5f / d;
    case 2: return float(int(v * d)) / d;
    default: return v;
  }
}

float QornPainter::snapSize(float v) const {
  if (snapMode_ == 0) return v;
  return float(int(v * ratio_ + 0.5f)) / ratio_;
}

float QornPainter::textCoord(float v) const {
  return textSnap_ ? float(int(v * ratio_ + 0.5f)) / ratio_ : v;
}

void QornPainter::beginPath() {
  if (core_) qornBeginPath(core_);
}

void QornPainter::fill() {
  if (core_) qornFill(core_);
}

void QornPainter::stroke() {
  if (core_) qornStroke(core_);
}

void QornPainter::moveTo(float x, float y) {
  if (core_) qornMoveTo(core_, snapPosition(x), snapPosition(y));
}

void QornPainter::lineTo(float x, float y) {
  if (core_) qornLineTo(core_, snapPosition(x), snapPosition(y));
}

void QornPainter::rect(float x, float y, float w, float h) {
  if (core_) qornRect(core_, snapPosition(x), snapPosition(y), snapSize(w), snapSize(h));
}

void QornPainter::ellipse(float cx, float cy, float rx, float ry) {
  if (core_) qornEllipse(core_, snapPosition(cx), snapPosition(cy), snapSize(rx), snapSize(ry));
}

void QornPainter::polygon(const QPoint *points, int n) {
  if (!core_ || !points || n < 3) return;
  moveTo(float(points[0].x()), float(points[0].y()));
  for (int i = 1; i < n; ++i) lineTo(float(points[i].x()), float(points[i].y()));
  lineTo(float(points[0].x()), float(points[0].y()));
}

void QornPainter::polyline(const QPoint *points, int n) {
  if (!core_ || !points || n < 2) return;
  moveTo(float(points[0].x()), float(points[0].y()));
  for (int i = 1; i < n; ++i) lineTo(float(points[i].x()), float(points[i].y()));
}

void QornPainter::fillColor(QornColor c) {
  c.a *= opacity_;
  if (core_) qornFillColor(core_, c);
}

void QornPainter::strokeColor(QornColor c) {
  c.a *= opacity_;
  if (core_) qornStrokeColor(core_, c);
}

void QornPainter::strokeWidth(float w) {
  if (core_) qornStrokeWidth(core_, w);
}

int QornPainter::drawImage(QornImage &image, const QRectF &source, const QRectF &target) {
  const int handle = image.ensureCreated();
  if (handle < 0) return handle;
  const float sx = float(source.x()), sy = float(source.y());
  const float sw = float(source.width()), sh = float(source.height());
  if (!(sw > 0.0f) || !(sh > 0.0f)) return qornStateCount(core_);  // nothing to map
  const float tx = snapPosition(float(target.x())), ty = snapPosition(float(target.y()));
  const float tw = snapSize(float(target.width())), th = snapSize(float(target.height()));
  const QornPaint pattern =
      qornImagePattern(core_, tx - tw / sw * sx, ty - th / sh * sy, float(image.width()) * tw / sw,
                       float(image.height()) * th / sh, 0.0f, handle, 1.0f * opacity_);
  qornSave(core_);
  qornBeginPath(core_);
  qornRect(core_, tx, ty, tw, th);
  qornFillPaint(core_, pattern);
  qornFill(core_);
  return qornRestore(core_);
}

void QornPainter::text(const QString &s, float x, float y, float breakWidth) {
  if (!core_) return;
  const QByteArray utf8 = s.toUtf8();
  const char *b = utf8.constData();
  x = textCoord(x);
  y = textCoord(y);
  if (breakWidth < 0.0f)
    qornText(core_, x, y, b, b + utf8.size());
  else
    qornTextBox(core_, x, y, breakWidth, b, b + utf8.size());
}

QRectF QornPainter::textBounds(const QString &s, float x, float y, float breakWidth) {
  if (!core_) return QRectF(x, y, 0, 0);
  const QByteArray utf8 = s.toUtf8();
  const char *b = utf8.constData();
  x = textCoord(x);
  y = textCoord(y);
  // Without a font the core leaves the bounds alone: an empty rectangle at (x, y).
  float bounds[4] = {x, y, x, y};
  if (breakWidth < 0.0f)
    qornTextBounds(core_, x, y, b, b + utf8.size(), bounds);
  else
    qornTextBoxBounds(core_, x, y, breakWidth, b, b + utf8.size(), bounds);
  return QRectF(bounds[0], bounds[1], bounds[2] - bounds[0], bounds[3] - bounds[1]);
}
