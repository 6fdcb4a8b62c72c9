// Base classes of every custom-drawn Qt Quick item: the item (GUI thread) and its renderer
// (render thread), which draws through a QornPainter into Qt Quick's own render pass.
#pragma once

#include <qorn/QornPainter.h>

#include <QColor>
#include <QPointF>
#include <QQuickItem>
#include <QRectF>

class QRhi;
class QRhiCommandBuffer;
class QRhiRenderTarget;
class QRhiRenderPassDescriptor;
class QQuickWindow;
class RHIItemBase;

// Draws one item on the render thread. Subclasses override the hooks paint, syncItem and resize.
class RHIItemRenderBase {
 public:
  RHIItemRenderBase();
  virtual ~RHIItemRenderBase();
  RHIItemRenderBase(const RHIItemRenderBase &) = delete;
  RHIItemRenderBase &operator=(const RHIItemRenderBase &) = delete;

  // Copies the item's values while the GUI thread is blocked; makes the core first when there is
  // none yet (or the window's QRhi changed), so the first syncItem already has it.
  virtual void synchronize(RHIItemBase *item, QRhi *rhi);
  // Render steps up to the upload, outside the pass. position: the item's top-left in the target
  // (logical pixels); opacity: the item's inherited opacity.
  virtual void prepare(QRhiCommandBuffer *cb, QRhiRenderTarget *rt, QRhiRenderPassDescriptor *rpDesc,
                       QPointF position, float opacity);
  // Records the prepared draws into the current pass, clipped to clipRect (logical pixels of
  // the target).
  virtual void render(QRhiCommandBuffer *cb, const QRectF &clipRect);
  // Frees the GPU objects (the core); the next frame makes them again.
  virtual void releaseResources();

  // Hooks, no-ops here.
  virtual void paint(QornPainter *painter);
  virtual void syncItem(RHIItemBase *item);
  virtual void resize(float width, float height);

  QornPainter *painter() { return &painter_; }
  QRhi *rhi() const { return rhi_; }
  float width() const { return width_; }
  float height() const { return height_; }
  float devicePixelRatio() const { return dpr_; }
  QQuickWindow *window() const { return window_; }

 private:
  QornPainter painter_{1};
  QRhi *rhi_ = nullptr;
  QRhiRenderTarget *rt_ = nullptr;
  QColor clearColor_ = Qt::transparent;
  int snapMode_ = 0;
  int textSnap_ = 0;
  float dpr_ = 1.0f;
  bool antialiasing_ = true;
  float width_ = 0.0f;
  float height_ = 0.0f;
  QQuickWindow *window_ = nullptr;
  bool prepared_ = false;
};

class RHIItemBase : public QQuickItem {
 public:
  explicit RHIItemBase(QQuickItem *parent = nullptr);
  ~RHIItemBase() override;

  QColor color() const { return color_; }
  void setColor(const QColor &color);

  // Plain fields for subclasses: 0 no snapping, 1 pixel centres, 2 pixel edges; textSnap non-zero
  // rounds text positions to whole device pixels.
  int snapMode = 0;
  int textSnap = 0;

  // Returns a new renderer for this item; called on the render thread.
  virtual RHIItemRenderBase *createRenderBase() = 0;

 protected:
  QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;

 private:
  QColor color_ = Qt::transparent;
};
