// Offscreen QRhi target with depth-stencil for the renderer's GPU tests: draws one frame through a
// QornPainter and reads the colour back as a top-down premultiplied RGBA image.
#pragma once

#include <qorn/QornPainter.h>

#include <private/qrhi_p.h>

#include <QImage>
#include <QOffscreenSurface>
#include <QVulkanInstance>

#include <functional>
#include <memory>

class RhiTarget {
 public:
  // impl: QRhi::OpenGLES2, QRhi::Vulkan or QRhi::Null. Check ok() before use.
  RhiTarget(QRhi::Implementation impl, QSize size);
  ~RhiTarget();
  bool ok() const { return rhi_ && rt_; }
  QRhi *rhi() const { return rhi_.get(); }
  QornPainter &painter() { return *painter_; }

  // One frame: beginFrame, draw(painter), endFrame, pass with a transparent clear, recordDraws,
  // read-back. Null back end: an empty image.
  QImage frame(const std::function<void(QornPainter &)> &draw);

  // The back end the default QSG_RHI_BACKEND selects for the tests: Vulkan when it says
  // "vulkan", OpenGL otherwise.
  static QRhi::Implementation fromEnvironment();

 private:
  std::unique_ptr<QOffscreenSurface> fallback_;
  std::unique_ptr<QRhi> rhi_;
  std::unique_ptr<QRhiTexture> colour_;
  std::unique_ptr<QRhiRenderBuffer> depthStencil_;
  std::unique_ptr<QRhiTextureRenderTarget> rt_;
  std::unique_ptr<QRhiRenderPassDescriptor> rpDesc_;
  std::unique_ptr<QornPainter> painter_;
};
