// The painter context through which custom-drawn items draw: one path-core context on one QRhi
// back end, device-pixel snapping of coordinates, fonts and images. Render thread only; the
// coordinate unit is the logical pixel of the item.
#pragma once

#include <qorn/QornCore.h>

#include <QPoint>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QRhi;
class QRhiCommandBuffer;
class QRhiRenderTarget;
class QRhiRenderPassDescriptor;
class QRhiScissor;
class QornPainter;

namespace qorn::rhi {
class RhiBackend;
}

class QornFont {
 public:
  QornFont(QornPainter *painter, const QString &name, float lineHeight = 1.0f);
  void setName(const QString &name);
  void setLineHeight(float lineHeight);
  // Pushes the font's state into the core and returns its handle, -1 when the font cannot load.
  int select();
  const QString &name() const { return name_; }

 private:
  friend class QornPainter;
  QornPainter *painter_;
  int handle_ = -1;
  QString name_;
  bool nameChanged_ = true;
  float size_ = 16.0f;
  float blur_ = 0.0f;
  float letterSpacing_ = 0.0f;
  float lineHeight_ = 1.0f;
  uint64_t generation_ = 0;  // core the handle belongs to
};

class QornImage {
 public:
  // Pixels: width x height x 4 bytes, rows top to bottom, bytes blue, green, red, alpha.
  QornImage(QornPainter *painter, int width, int height);
  ~QornImage();
  QornImage(const QornImage &) = delete;
  QornImage &operator=(const QornImage &) = delete;

  unsigned char *pixels() { return pixels_.data(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int flags() const { return flags_; }
  void setFlags(int flags) { flags_ = flags; }
  // Creates the texture from the pixel buffer on first use; the handle (> 0) or -1.
  int ensureCreated();
  // Replaces the whole image (uploaded with the next frame). pixels may be the own buffer.
  void update(const unsigned char *pixels);
  int handle() const;

 private:
  QornPainter *painter_;
  int handle_ = -1;
  int width_;
  int height_;
  int flags_ = QORN_IMAGE_PREMULTIPLIED;
  std::vector<unsigned char> pixels_;
  QString path_;
  uint64_t generation_ = 0;
};

class QornPainter {
 public:
  // flags: 1 = edge anti-aliasing.
  explicit QornPainter(int flags = 1);
  ~QornPainter();
  QornPainter(const QornPainter &) = delete;
  QornPainter &operator=(const QornPainter &) = delete;

  // Replaces the core with a new one on rhi (null only deletes it). Images and fonts of the old
  // core are made again on first use.
  void createCore(QRhi *rhi);
  void deleteCore();
  QornContext *core() const { return core_; }
  qorn::rhi::RhiBackend *backend() const;
  uint64_t coreGeneration() const { return generation_; }

  void setDevicePixelRatio(float ratio) { ratio_ = ratio; }
  float devicePixelRatio() const { return ratio_; }
  void setSnapMode(int mode) { snapMode_ = mode; }
  int snapMode() const { return snapMode_; }
  void setTextSnap(int snap);
  // Multiplies the alpha of every colour and image drawn afterwards (the item's opacity).
  void setOpacity(float opacity) { opacity_ = opacity; }

  // Starts a frame on the target; (x, y) is the item's position in the target, logical pixels.
  void beginFrame(QRhiCommandBuffer *cb, QRhiRenderTarget *rt, float ratio, float x = 0.0f,
                  float y = 0.0f, QRhiRenderPassDescriptor *rpDesc = nullptr);
  // Uploads the frame; outside any render pass.
  void endFrame();
  // Records the frame's draws into the current pass, then lets the core release font textures
  // it has outgrown (their draws are recorded now).
  void recordDraws(QRhiCommandBuffer *cb, const QRhiScissor *scissor = nullptr);

  QornFont &defaultFont() { return *defaultFont_; }
  void setFont(QornFont &font);

  void beginPath();
  void fill();
  void stroke();
  void moveTo(float x, float y);
  void lineTo(float x, float y);
  void rect(float x, float y, float w, float h);
  void ellipse(float cx, float cy, float rx, float ry);
  void polygon(const QPoint *points, int n);
  void polyline(const QPoint *points, int n);
  void fillColor(QornColor c);
  void strokeColor(QornColor c);
  void strokeWidth(float w);
  // Maps the source rectangle of the image onto the target rectangle; returns the state count
  // (> 0), or the image's negative handle when it cannot be created.
  int drawImage(QornImage &image, const QRectF &source, const QRectF &target);
  // breakWidth < 0: one line at (x, y); else a box of that width.
  void text(const QString &s, float x, float y, float breakWidth = -1.0f);
  QRectF textBounds(const QString &s, float x, float y, float breakWidth = -1.0f);

  // Device-pixel snapping (the painter's snap mode and ratio).
  float snapPosition(float v) const;
  float snapSize(float v) const;

 private:
  float textCoord(float v) const;

  int flags_;
  QornContext *core_ = nullptr;
  float ratio_ = 1.0f;
  int snapMode_ = 0;
  int textSnap_ = 0;
  int textAlignH_ = 1;
  int textAlignV_ = 64;
  float opacity_ = 1.0f;
  uint64_t generation_ = 0;
  std::unique_ptr<QornFont> defaultFont_;
  int fallbackFont_ = -1;  // core handle of the fallback font, -1 = not added
};
