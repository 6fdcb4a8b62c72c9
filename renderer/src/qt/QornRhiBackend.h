// The path core's rendering back end on Qt's rendering hardware interface (QRhi).
//
// Per frame: beginFrame (stores the command buffer and target, starts the core frame), drawing
// through the core (fill, stroke and triangle calls land here), flush (uploads, outside any
// render pass), recordDraws (inside the pass). Render thread only.
#pragma once

#include "QornRhiPipelines.h"

#include <qorn/QornCore.h>

#include <private/qrhi_p.h>

#include <QHash>

#include <vector>

namespace qorn::rhi {

enum BackendFlags {
  FlagEdgeAntiAlias = 1,
  FlagStencilStrokes = 2,
};

class RhiBackend {
 public:
  // Creates a path-core context drawing through a new back end on rhi; null when the back end's
  // buffers cannot be made. flags: BackendFlags.
  static QornContext *createContext(QRhi *rhi, int flags);
  // The back end of a context made by createContext.
  static RhiBackend *of(QornContext *ctx);

  // Stores the command buffer and target and starts the core frame at the target's logical size;
  // (x, y) is where the drawing's origin lies in the target, in logical pixels. A ratio near 0
  // takes the target's own. rpDesc null takes the target's descriptor.
  void beginFrame(QornContext *ctx, QRhiCommandBuffer *cb, QRhiRenderTarget *rt, float x, float y,
                  float ratio, QRhiRenderPassDescriptor *rpDesc = nullptr);
  // Uploads the frame (outside a render pass) and prepares pipelines and bindings.
  void flush();
  // Records the frame's draws into the current pass. scissor (bottom-left origin, pixels) clips
  // every draw; null clips to the whole target. Empties the frame afterwards.
  void recordDraws(QRhiCommandBuffer *cb, const QRhiScissor *scissor = nullptr);
  // Drops the frame's calls without drawing (e.g. when the pass is not recorded).
  void discardFrame();

  QRhi *rhi() const { return rhi_; }
  int fragStride() const { return fragStride_; }
  float devicePixelRatio() const { return ratio_; }
  // GPU objects made so far (buffers count creations and re-creations).
  const RhiCounters &counters() const { return counters_; }
  quint32 bufferSize(int which) const;  // 0 vertex, 1 index, 2 vertex uniforms, 3 fragment uniforms
  QRhiBuffer *vertexBuffer() const { return vbuf_; }
  int textureCount() const;
  QRhiTexture *texture(int image) const;
  bool hasPendingUploads() const { return pending_ != nullptr; }

  // Callback slots (public for the table).
  int create();
  int createTexture(int type, int w, int h, int imageFlags, const unsigned char *data);
  int deleteTexture(int image);
  int updateTexture(int image, int x, int y, int w, int h, const unsigned char *data);
  int textureSize(int image, int *w, int *h) const;
  void viewport(float x, float y, float w, float h);
  void cancel();
  void fill(const QornPaint *paint, QornCompositeState op, const QornScissor *scissor, float fringe,
            const float *bounds, const QornPath *paths, int npaths);
  void stroke(const QornPaint *paint, QornCompositeState op, const QornScissor *scissor,
              float fringe, float strokeWidth, const QornPath *paths, int npaths);
  void triangles(const QornPaint *paint, QornCompositeState op, const QornScissor *scissor,
                 const QornVertex *verts, int nverts, float fringe);
  ~RhiBackend();

 private:
  RhiBackend(QRhi *rhi, int flags) : rhi_(rhi), flags_(flags) {}

  struct TextureRecord {
    QRhiTexture *tex = nullptr;
    int id = 0;
    int width = 0, height = 0;
    int type = 0;
    int flags = 0;
  };
  struct PathRange {
    int fillOffset = 0, fillCount = 0;
    int strokeOffset = 0, strokeCount = 0;
  };
  struct Call {
    int type = 0;
    int image = 0;
    int pathOffset = 0, pathCount = 0;
    int indexOffset = 0, indexCount = 0;
    int triangleOffset = 0, triangleCount = 0;
    int uniformOffset = 0;  // first slot
    CallBlend blend;
    QRhiShaderResourceBindings *baseBindings = nullptr;
    QRhiShaderResourceBindings *imageBindings = nullptr;
    QRhiGraphicsPipeline *pipelines[4] = {};
    bool usable = false;
  };

  TextureRecord *findTexture(int image);
  const TextureRecord *findTexture(int image) const;
  QRhiResourceUpdateBatch *batch();
  void submitPendingIfRecording();
  QRhiShaderResourceBindings *bindingsFor(int image);
  bool growBuffer(QRhiBuffer *buf, quint32 need);
  // Puts a frame's vertices or indices into buf (from offset 0).
  void writeGeometry(QRhiResourceUpdateBatch *b, QRhiBuffer *buf, int bytes, const void *data);
  // Reservation helpers: return the first index, or -1 when memory runs out.
  Call *allocCall();
  int allocPaths(int n);
  int allocVerts(int n);
  // Room after the frame's vertices for the core to tessellate into; not yet counted.
  QornVertex *reserveVerts(int n);
  // Makes the vertex store hold need vertices, keeping its first nverts_.
  bool ensureVerts(size_t need);
  QornVertex *vertData() { return mapped_ ? mapped_ : verts_.data(); }
  // Closes the in-place update of the vertex buffer, if one is open.
  void unmapVerts();
  // Puts n vertices at index at, from the core's scratch array or from in-place room.
  void placeVerts(int at, const QornVertex *src, int n);
  int allocIndices(int n);
  int allocUniforms(int n);
  FragUniforms *uniform(int slot);
  // Converts a paint into the uniform slot; 0 when the paint's image has no record.
  int convertPaint(FragUniforms *frag, const QornPaint *paint, const QornScissor *scissor,
                   float width, float fringe, float strokeThr);
  void dropLastCall(int pathCount, int vertCount, int indexCount, int uniformCount);
  void resetFrame();
  void releaseGpu();

  QRhi *rhi_;
  int flags_;
  bool *madeFlag_ = nullptr;  // set by a successful create while the core is being made
  QRhiCommandBuffer *cb_ = nullptr;  // only while a frame's uploads may still be recorded
  QRhiRenderTarget *rt_ = nullptr;
  QRhiRenderPassDescriptor *rpDesc_ = nullptr;
  float ratio_ = 1.0f;
  float view_[4] = {0, 0, 0, 0};
  int fragStride_ = kFragUniformSize;
  int dummyTexture_ = 0;

  std::vector<TextureRecord> textures_;
  int textureCounter_ = 0;

  std::vector<Call> calls_;
  std::vector<PathRange> paths_;
  std::vector<QornVertex> verts_;
  std::vector<quint32> indices_;
  std::vector<unsigned char> uniforms_;  // fragStride_ bytes per slot
  int ncalls_ = 0, npaths_ = 0, nverts_ = 0, nindices_ = 0, nuniforms_ = 0;
  bool frameUsable_ = true;
  bool directWrites_ = false;  // vertex and index buffers are dynamic and written in place
  // While directWrites_, a frame's vertices are tessellated straight into the vertex buffer's
  // memory when it is big enough: no array to fill and copy for a chart of many thousand dots.
  QornVertex *mapped_ = nullptr;
  size_t mappedCap_ = 0;  // vertices
  bool mapTried_ = false;  // this frame

  QRhiBuffer *vbuf_ = nullptr;
  QRhiBuffer *ibuf_ = nullptr;
  QRhiBuffer *vubuf_ = nullptr;
  QRhiBuffer *fubuf_ = nullptr;
  QRhiResourceUpdateBatch *pending_ = nullptr;

  PipelineCache pipelines_;
  SamplerList samplers_;
  QHash<int, QRhiShaderResourceBindings *> bindings_;
  RhiCounters counters_;
};

}  // namespace qorn::rhi
