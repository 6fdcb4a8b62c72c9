#include <qorn/RHIItemBase.h>

#include <qorn/QornInit.h>

#include "QornRhiBackend.h"

#include <private/qrhi_p.h>
#include <private/qsgrendernode_p.h>

#include <QQuickWindow>
#include <QSGRenderNode>
#include <QSGRendererInterface>

#include <cmath>

namespace {

// Rectangle of the item in scene coordinates, cut by every clipping ancestor.
QRectF sceneClip(QQuickItem *item) {
  QRectF r = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
  for (QQuickItem *p = item->parentItem(); p; p = p->parentItem())
    if (p->clip()) r &= p->mapRectToScene(p->clipRect());
  return r;
}

float sceneOpacity(QQuickItem *item) {
  qreal o = 1.0;
  for (QQuickItem *p = item; p; p = p->parentItem()) o *= p->opacity();
  return float(o);
}

// Records the item's draws into Qt Quick's own pass: no texture of its own.
class QornRenderNode : public QSGRenderNode {
 public:
  explicit QornRenderNode(RHIItemRenderBase *renderer) : renderer_(renderer) {}
  ~QornRenderNode() override { delete renderer_; }

  void sync(RHIItemBase *item, QRhi *rhi) {
    renderer_->synchronize(item, rhi);
    size_ = QSizeF(item->width(), item->height());
    scenePos_ = item->mapToScene(QPointF(0, 0));
    clip_ = sceneClip(item);
    opacity_ = sceneOpacity(item);
  }

  StateFlags changedStates() const override {
    return ViewportState | ScissorState | StencilState | BlendState | CullState | ColorState;
  }
  // Without NoExternalRendering, QRhi calls from render() break Qt Quick's own recording.
  RenderingFlags flags() const override { return BoundedRectRendering | NoExternalRendering; }
  QRectF rect() const override { return QRectF(QPointF(0, 0), size_); }

  void prepare() override {
    QSGRenderNodePrivate *d = QSGRenderNodePrivate::get(this);
    QRhiCommandBuffer *cb = d->m_rt.cb;
    QRhiRenderTarget *rt = d->m_rt.rt;
    if (!cb || !rt) return;
    // The scene graph's combined matrix and opacity follow moving or fading ancestors between
    // synchronisations; the synchronised values stand in when they are not known yet.
    QPointF pos = scenePos_;
    if (const QMatrix4x4 *m = matrix()) pos = m->map(QPointF(0, 0));
    float opacity = opacity_;
    const qreal inherited = inheritedOpacity();
    if (inherited >= 0.0 && inherited <= 1.0 && matrix()) opacity = float(inherited);
    clipOffset_ = pos - scenePos_;
    renderer_->prepare(cb, rt, d->m_rt.rpDesc, pos, opacity);
  }

  void render(const RenderState *) override {
    QSGRenderNodePrivate *d = QSGRenderNodePrivate::get(this);
    if (!d->m_rt.cb) return;
    renderer_->render(d->m_rt.cb, clip_.translated(clipOffset_));
  }

  void releaseResources() override { renderer_->releaseResources(); }

 private:
  RHIItemRenderBase *renderer_;
  QSizeF size_;
  QPointF scenePos_;
  QPointF clipOffset_;
  QRectF clip_;
  float opacity_ = 1.0f;
};

}  // namespace

// --- RHIItemRenderBase ------------------------------------------------------------------------

RHIItemRenderBase::RHIItemRenderBase() = default;
RHIItemRenderBase::~RHIItemRenderBase() = default;

void RHIItemRenderBase::paint(QornPainter *) {}
void RHIItemRenderBase::syncItem(RHIItemBase *) {}
void RHIItemRenderBase::resize(float, float) {}

void RHIItemRenderBase::synchronize(RHIItemBase *item, QRhi *rhi) {
  if (!item) return;
  if (rhi && (rhi != rhi_ || !painter_.core())) {
    painter_.createCore(rhi);
    rhi_ = rhi;
    qornLogFirstRhi(rhi);
  }
  window_ = item->window();
  const float w = float(item->width()), h = float(item->height());
  if (w != width_ || h != height_) {
    width_ = w;
    height_ = h;
    resize(w, h);
  }
  snapMode_ = item->snapMode;
  textSnap_ = item->textSnap;
  clearColor_ = item->color();
  if (window_) dpr_ = float(window_->effectiveDevicePixelRatio());
  // Edge anti-aliasing stays as chosen when the core was made.
  if (item->antialiasing() != antialiasing_) antialiasing_ = item->antialiasing();
  syncItem(item);
}

void RHIItemRenderBase::prepare(QRhiCommandBuffer *cb, QRhiRenderTarget *rt,
                                QRhiRenderPassDescriptor *rpDesc, QPointF position,
                                float opacity) {
  prepared_ = false;
  rt_ = rt;
  if (!(width_ > 0.0f) || !(height_ > 0.0f)) return;
  if (!painter_.core() && rhi_) painter_.createCore(rhi_);  // after releaseResources
  if (!painter_.core()) return;
  painter_.setSnapMode(snapMode_);
  painter_.setTextSnap(textSnap_);
  painter_.setDevicePixelRatio(dpr_);
  painter_.setOpacity(opacity);
  painter_.beginFrame(cb, rt, dpr_, float(position.x()), float(position.y()), rpDesc);
  painter_.setFont(painter_.defaultFont());
  if (clearColor_.alpha() > 0) {
    // The clear colour is drawn: the item has no texture of its own to clear.
    QornContext *ctx = painter_.core();
    painter_.fillColor(qornColor(clearColor_));
    qornBeginPath(ctx);
    qornRect(ctx, 0, 0, width_, height_);
    qornFill(ctx);
    qornBeginPath(ctx);
  }
  paint(&painter_);
  painter_.endFrame();
  prepared_ = true;
}

void RHIItemRenderBase::render(QRhiCommandBuffer *cb, const QRectF &clipRect) {
  if (!prepared_ || !painter_.core() || !rt_) return;
  prepared_ = false;
  const QSize px = rt_->pixelSize();
  const qreal d = dpr_;
  // Outward to whole device pixels, then into QRhi's bottom-left origin.
  const int x0 = std::max(0, int(std::floor(clipRect.left() * d)));
  const int y0 = std::max(0, int(std::floor(clipRect.top() * d)));
  const int x1 = std::min(px.width(), int(std::ceil(clipRect.right() * d)));
  const int y1 = std::min(px.height(), int(std::ceil(clipRect.bottom() * d)));
  if (x1 <= x0 || y1 <= y0) {
    painter_.backend()->discardFrame();
    return;
  }
  const QRhiScissor scissor(x0, px.height() - y1, x1 - x0, y1 - y0);
  painter_.recordDraws(cb, &scissor);
}

void RHIItemRenderBase::releaseResources() {
  prepared_ = false;
  painter_.deleteCore();
}

// --- RHIItemBase ------------------------------------------------------------------------------

RHIItemBase::RHIItemBase(QQuickItem *parent) : QQuickItem(parent) {
  setFlag(ItemHasContents, true);
  setAntialiasing(true);
}

RHIItemBase::~RHIItemBase() = default;

void RHIItemBase::setColor(const QColor &color) {
  if (color == color_) return;
  color_ = color;
  update();
}

QSGNode *RHIItemBase::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) {
  auto *node = static_cast<QornRenderNode *>(oldNode);
  QQuickWindow *win = window();
  QRhi *rhi = nullptr;
  if (win && win->rendererInterface())
    rhi = static_cast<QRhi *>(
        win->rendererInterface()->getResource(win, QSGRendererInterface::RhiResource));
  if (!rhi) {
    // Qt Quick's software adaptation has no QRhi: nothing can be drawn.
    delete node;
    return nullptr;
  }
  if (!node) {
    RHIItemRenderBase *renderer = createRenderBase();
    if (!renderer) return nullptr;
    node = new QornRenderNode(renderer);
  }
  node->sync(this, rhi);
  node->markDirty(QSGNode::DirtyMaterial);
  return node;
}
