#include "RhiTarget.h"

#include <private/qrhigles2_p.h>
#include <private/qrhinull_p.h>
#include <private/qrhivulkan_p.h>

#include <QOffscreenSurface>

RhiTarget::RhiTarget(QRhi::Implementation impl, QSize size) {
  if (impl == QRhi::OpenGLES2) {
    fallback_.reset(QRhiGles2InitParams::newFallbackSurface());
    QRhiGles2InitParams params;
    params.fallbackSurface = fallback_.get();
    rhi_.reset(QRhi::create(QRhi::OpenGLES2, &params));
  } else if (impl == QRhi::Vulkan) {
    // One instance for the process: unloading the Vulkan driver between tests would leave its
    // own allocations without symbols for the leak checker.
    static QVulkanInstance *instance = [] {
      auto *inst = new QVulkanInstance;
      inst->setExtensions(QRhiVulkanInitParams::preferredInstanceExtensions());
      if (!inst->create()) {
        delete inst;
        return static_cast<QVulkanInstance *>(nullptr);
      }
      return inst;
    }();
    if (!instance) return;
    QRhiVulkanInitParams params;
    params.inst = instance;
    rhi_.reset(QRhi::create(QRhi::Vulkan, &params));
  } else {
    QRhiNullInitParams params;
    rhi_.reset(QRhi::create(QRhi::Null, &params));
  }
  if (!rhi_) return;
  colour_.reset(rhi_->newTexture(QRhiTexture::RGBA8, size, 1,
                                 QRhiTexture::RenderTarget | QRhiTexture::UsedAsTransferSource));
  depthStencil_.reset(rhi_->newRenderBuffer(QRhiRenderBuffer::DepthStencil, size));
  if (!colour_->create() || !depthStencil_->create()) return;
  QRhiTextureRenderTargetDescription desc{QRhiColorAttachment(colour_.get())};
  desc.setDepthStencilBuffer(depthStencil_.get());
  std::unique_ptr<QRhiTextureRenderTarget> rt(rhi_->newTextureRenderTarget(desc));
  rpDesc_.reset(rt->newCompatibleRenderPassDescriptor());
  rt->setRenderPassDescriptor(rpDesc_.get());
  if (!rt->create()) return;
  rt_ = std::move(rt);
  painter_ = std::make_unique<QornPainter>(1);
  painter_->createCore(rhi_.get());
}

RhiTarget::~RhiTarget() {
  painter_.reset();
  rt_.reset();
  rpDesc_.reset();
  depthStencil_.reset();
  colour_.reset();
  rhi_.reset();
}

QRhi::Implementation RhiTarget::fromEnvironment() {
  return qgetenv("QSG_RHI_BACKEND") == "vulkan" ? QRhi::Vulkan : QRhi::OpenGLES2;
}

QImage RhiTarget::frame(const std::function<void(QornPainter &)> &draw) {
  QRhiCommandBuffer *cb = nullptr;
  if (rhi_->beginOffscreenFrame(&cb) != QRhi::FrameOpSuccess) return QImage();
  QornPainter &p = *painter_;
  p.beginFrame(cb, rt_.get(), 1.0f);
  draw(p);
  p.endFrame();
  // The null back end has no pixels to give: reading its texture back would only cost time.
  const bool readBack = rhi_->backend() != QRhi::Null;
  QRhiReadbackResult result;
  QRhiResourceUpdateBatch *rb = nullptr;
  if (readBack) {
    rb = rhi_->nextResourceUpdateBatch();
    rb->readBackTexture(QRhiReadbackDescription(colour_.get()), &result);
  }
  cb->beginPass(rt_.get(), QColor(0, 0, 0, 0), {1.0f, 0});
  p.recordDraws(cb);
  cb->endPass(rb);
  rhi_->endOffscreenFrame();
  if (!readBack) return QImage();
  QImage img(reinterpret_cast<const uchar *>(result.data.constData()), result.pixelSize.width(),
             result.pixelSize.height(), QImage::Format_RGBA8888_Premultiplied);
  img = img.copy();
  return rhi_->isYUpInFramebuffer() ? img.mirrored() : img;
}
