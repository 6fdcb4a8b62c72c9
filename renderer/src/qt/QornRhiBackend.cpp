#include "QornRhiBackend.h"

#include <QtGlobal>

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstring>
#include <new>

namespace qorn::rhi {

namespace {

RhiBackend *self(void *p) { return static_cast<RhiBackend *>(p); }

void xformToMat3x4(float *m, const float *t) {
  m[0] = t[0]; m[1] = t[1]; m[2] = 0.0f; m[3] = 0.0f;
  m[4] = t[2]; m[5] = t[3]; m[6] = 0.0f; m[7] = 0.0f;
  m[8] = t[4]; m[9] = t[5]; m[10] = 1.0f; m[11] = 0.0f;
}

void premultiplied(float *dst, const QornColor &c) {
  dst[0] = c.r * c.a;
  dst[1] = c.g * c.a;
  dst[2] = c.b * c.a;
  dst[3] = c.a;
}

// The per-frame arrays grow to max(minimum, need) + capacity / 2 and keep their capacity.
template <typename T>
bool reserveFor(std::vector<T> &v, size_t need, size_t minimum) {
  if (need <= v.size()) return true;
  try {
    if (need > v.capacity()) v.reserve(std::max(minimum, need) + v.capacity() / 2);
    v.resize(need);
  } catch (const std::bad_alloc &) {
    return false;
  } catch (const std::length_error &) {
    return false;
  }
  return true;
}

}  // namespace

QornContext *RhiBackend::createContext(QRhi *rhi, int flags) {
  if (!rhi) return nullptr;
  shaderSet();
  auto *be = new (std::nothrow) RhiBackend(rhi, flags);
  if (!be) return nullptr;
  QornParams params{};
  params.userPtr = be;
  params.edgeAntiAlias = flags & FlagEdgeAntiAlias ? 1 : 0;
  params.renderCreate = [](void *u) { return self(u)->create(); };
  params.renderCreateTexture = [](void *u, int type, int w, int h, int f, const unsigned char *d) {
    return self(u)->createTexture(type, w, h, f, d);
  };
  params.renderDeleteTexture = [](void *u, int image) { return self(u)->deleteTexture(image); };
  params.renderUpdateTexture = [](void *u, int image, int x, int y, int w, int h,
                                  const unsigned char *d) {
    return self(u)->updateTexture(image, x, y, w, h, d);
  };
  params.renderGetTextureSize = [](void *u, int image, int *w, int *h) {
    return self(u)->textureSize(image, w, h);
  };
  params.renderViewport = [](void *u, float x, float y, float w, float h) {
    self(u)->viewport(x, y, w, h);
  };
  params.renderUnused = nullptr;
  params.renderCancel = [](void *u) { self(u)->cancel(); };
  params.renderFlush = [](void *u) { self(u)->flush(); };
  params.renderFill = [](void *u, const QornPaint *paint, QornCompositeState op,
                         const QornScissor *scissor, float fringe, const float *bounds,
                         const QornPath *paths, int npaths) {
    self(u)->fill(paint, op, scissor, fringe, bounds, paths, npaths);
  };
  params.renderStroke = [](void *u, const QornPaint *paint, QornCompositeState op,
                           const QornScissor *scissor, float fringe, float strokeWidth,
                           const QornPath *paths, int npaths) {
    self(u)->stroke(paint, op, scissor, fringe, strokeWidth, paths, npaths);
  };
  params.renderTriangles = [](void *u, const QornPaint *paint, QornCompositeState op,
                              const QornScissor *scissor, const QornVertex *verts, int nverts,
                              float fringe) {
    self(u)->triangles(paint, op, scissor, verts, nverts, fringe);
  };
  params.renderDelete = [](void *u) { delete self(u); };
  params.renderReserveVerts = [](void *u, int n) { return self(u)->reserveVerts(n); };
  // The core calls renderDelete only for a back end whose create succeeded; one that failed (or
  // was never asked) is freed here.
  bool made = false;
  be->madeFlag_ = &made;
  QornContext *ctx = qornCreateInternal(&params);
  if (ctx)
    be->madeFlag_ = nullptr;
  else if (!made)
    delete be;
  return ctx;
}

RhiBackend *RhiBackend::of(QornContext *ctx) {
  return ctx ? self(qornInternalParams(ctx)->userPtr) : nullptr;
}

int RhiBackend::create() {
  dummyTexture_ = createTexture(QORN_TEXTURE_ALPHA, 16, 16, 0, nullptr);
  if (dummyTexture_ == 0) return 0;
  struct BufferPlan {
    QRhiBuffer **buf;
    QRhiBuffer::Type type;
    QRhiBuffer::UsageFlags usage;
    quint32 size;
    const char *message;
  };
  // Vertices and indices change every frame. Where the back end lets the host write a dynamic
  // buffer in place, they go there in one copy; an upload through the batch would copy them twice
  // more (into the batch, then into the buffer), which for a chart of many thousand dots costs
  // more than drawing them. OpenGL keeps static buffers: its in-place writes map the buffer,
  // which waits for the previous frame's draws.
  directWrites_ = rhi_->backend() != QRhi::OpenGLES2;
  const QRhiBuffer::Type geometry = directWrites_ ? QRhiBuffer::Dynamic : QRhiBuffer::Static;
  const BufferPlan plans[] = {
      {&vbuf_, geometry, QRhiBuffer::VertexBuffer, 16384, "create vertex buffer, error"},
      {&ibuf_, geometry, QRhiBuffer::IndexBuffer, 16384, "create index buffer, error"},
      {&vubuf_, QRhiBuffer::Dynamic, QRhiBuffer::UniformBuffer, kVertUniformSize,
       "create vs uniform buffer, error"},
      {&fubuf_, QRhiBuffer::Dynamic, QRhiBuffer::UniformBuffer, 16384,
       "create fs uniform buffer, error"},
  };
  for (const BufferPlan &s : plans) {
    *s.buf = rhi_->newBuffer(s.type, s.usage, s.size);
    if (!(*s.buf)->create()) {
      qWarning("%s", s.message);
      return 0;
    }
    ++counters_.buffers;
  }
  // The slot stride follows the device's uniform alignment (176 where 16 suffices, else 256).
  fragStride_ = rhi_->ubufAligned(kFragUniformSize);
  if (madeFlag_) *madeFlag_ = true;
  return 1;
}

RhiBackend::~RhiBackend() { releaseGpu(); }

void RhiBackend::releaseGpu() {
  unmapVerts();
  for (QRhiShaderResourceBindings *srb : std::as_const(bindings_)) delete srb;
  bindings_.clear();
  pipelines_.releaseAll();
  samplers_.releaseAll();
  for (TextureRecord &t : textures_) {
    if (t.tex && !(t.flags & QORN_IMAGE_NODELETE)) delete t.tex;
    t = TextureRecord{};
  }
  for (QRhiBuffer **b : {&vbuf_, &ibuf_, &vubuf_, &fubuf_}) {
    delete *b;
    *b = nullptr;
  }
  if (pending_) {
    pending_->release();
    pending_ = nullptr;
  }
}

RhiBackend::TextureRecord *RhiBackend::findTexture(int image) {
  if (image <= 0) return nullptr;
  for (TextureRecord &t : textures_)
    if (t.id == image) return &t;
  return nullptr;
}

const RhiBackend::TextureRecord *RhiBackend::findTexture(int image) const {
  return const_cast<RhiBackend *>(this)->findTexture(image);
}

int RhiBackend::textureCount() const {
  return int(std::count_if(textures_.begin(), textures_.end(),
                           [](const TextureRecord &t) { return t.id != 0; }));
}

QRhiTexture *RhiBackend::texture(int image) const {
  const TextureRecord *t = findTexture(image);
  return t ? t->tex : nullptr;
}

quint32 RhiBackend::bufferSize(int which) const {
  const QRhiBuffer *b[] = {vbuf_, ibuf_, vubuf_, fubuf_};
  return which >= 0 && which < 4 && b[which] ? b[which]->size() : 0;
}

QRhiResourceUpdateBatch *RhiBackend::batch() {
  if (!pending_) pending_ = rhi_->nextResourceUpdateBatch();
  return pending_;
}

void RhiBackend::submitPendingIfRecording() {
  // Only while the frame's command buffer is open for uploads; between frames the last one has
  // been submitted, so the batch waits for the next flush.
  if (cb_ && pending_) {
    cb_->resourceUpdate(pending_);
    pending_ = nullptr;
  }
}

int RhiBackend::createTexture(int type, int w, int h, int imageFlags, const unsigned char *data) {
  if (w <= 0 || h <= 0) return 0;
  const qint64 bytes = qint64(w) * h * (type == QORN_TEXTURE_ALPHA ? 1 : 4);
  QRhiTexture::Flags tf;
  if (imageFlags & QORN_IMAGE_GENERATE_MIPMAPS)
    tf = QRhiTexture::MipMapped | QRhiTexture::UsedWithGenerateMips;
  QRhiTexture *tex = rhi_->newTexture(
      type == QORN_TEXTURE_ALPHA ? QRhiTexture::R8 : QRhiTexture::BGRA8, QSize(w, h), 1, tf);
  if (!tex->create()) {
    qWarning("create texture of size %dx%d, error", w, h);
    delete tex;
    return 0;
  }
  ++counters_.textures;
  TextureRecord *rec = nullptr;
  for (TextureRecord &t : textures_)
    if (t.id == 0) {
      rec = &t;
      break;
    }
  if (!rec) {
    try {
      if (textures_.size() == textures_.capacity())
        textures_.reserve(std::max<size_t>(4, textures_.size() + 1) + textures_.capacity() / 2);
      textures_.emplace_back();
    } catch (const std::bad_alloc &) {
      delete tex;
      return 0;
    }
    rec = &textures_.back();
  }
  rec->tex = tex;
  rec->id = ++textureCounter_;
  rec->width = w;
  rec->height = h;
  rec->type = type;
  rec->flags = imageFlags;
  if (!data && !(imageFlags & QORN_IMAGE_GENERATE_MIPMAPS)) return rec->id;
  QRhiResourceUpdateBatch *b = batch();
  if (data) {
    // Copied: the caller may free its pixels before the batch is submitted.
    QRhiTextureSubresourceUploadDescription sub(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(bytes)));
    b->uploadTexture(tex, QRhiTextureUploadDescription(QRhiTextureUploadEntry(0, 0, sub)));
  }
  if (imageFlags & QORN_IMAGE_GENERATE_MIPMAPS) b->generateMips(tex);
  submitPendingIfRecording();
  return rec->id;
}

int RhiBackend::deleteTexture(int image) {
  TextureRecord *t = findTexture(image);
  if (!t) return 0;
  if (QRhiShaderResourceBindings *srb = bindings_.take(image)) delete srb;
  if (!(t->flags & QORN_IMAGE_NODELETE)) delete t->tex;
  *t = TextureRecord{};
  return 1;
}

int RhiBackend::updateTexture(int image, int x, int y, int w, int h, const unsigned char *data) {
  TextureRecord *t = findTexture(image);
  if (!t) return 0;
  if (!data) return 1;
  // Clamp the rectangle to the texture so a stray dirty rectangle never reads past the pixels.
  x = std::clamp(x, 0, t->width);
  y = std::clamp(y, 0, t->height);
  w = std::clamp(w, 0, t->width - x);
  h = std::clamp(h, 0, t->height - y);
  if (w == 0 || h == 0) return 1;
  const int bpp = t->type == QORN_TEXTURE_ALPHA ? 1 : 4;
  const qsizetype row = qsizetype(bpp) * t->width;
  // The rectangle is copied tightly packed: it is owned by the batch, which may wait for the
  // next frame, and no back end needs a row-stride feature for it.
  QByteArray rect(qsizetype(bpp) * w * h, Qt::Uninitialized);
  for (int r = 0; r < h; ++r)
    std::memcpy(rect.data() + qsizetype(r) * bpp * w, data + (y + r) * row + qsizetype(x) * bpp,
                size_t(bpp) * w);
  QRhiTextureSubresourceUploadDescription sub(rect);
  sub.setDestinationTopLeft(QPoint(x, y));
  sub.setSourceSize(QSize(w, h));
  batch()->uploadTexture(t->tex, QRhiTextureUploadDescription(QRhiTextureUploadEntry(0, 0, sub)));
  return 1;
}

int RhiBackend::textureSize(int image, int *w, int *h) const {
  const TextureRecord *t = findTexture(image);
  if (!t) return 0;
  if (w) *w = t->width;
  if (h) *h = t->height;
  return 1;
}

void RhiBackend::viewport(float x, float y, float w, float h) {
  view_[0] = x;
  view_[1] = y;
  view_[2] = w;
  view_[3] = h;
}

void RhiBackend::cancel() { resetFrame(); }

void RhiBackend::discardFrame() {
  resetFrame();
  cb_ = nullptr;
}

void RhiBackend::resetFrame() {
  unmapVerts();
  mapTried_ = false;
  ncalls_ = npaths_ = nverts_ = nindices_ = nuniforms_ = 0;
  frameUsable_ = true;
}

void RhiBackend::unmapVerts() {
  if (!mapped_) return;
  vbuf_->endFullDynamicBufferUpdateForCurrentFrame();
  mapped_ = nullptr;
  mappedCap_ = 0;
}

bool RhiBackend::ensureVerts(size_t need) {
  // The buffer's memory may be opened only inside the frame, before the flush, and only once
  // per frame; it then holds every vertex of the frame from the first on.
  if (!mapped_ && !mapTried_ && directWrites_ && cb_ && nverts_ == 0 && vbuf_) {
    mapTried_ = true;
    if (char *p = vbuf_->beginFullDynamicBufferUpdateForCurrentFrame()) {
      mapped_ = reinterpret_cast<QornVertex *>(p);
      mappedCap_ = size_t(vbuf_->size()) / sizeof(QornVertex);
    }
  }
  if (mapped_) {
    if (need <= mappedCap_) return true;
    // Outgrown: the frame goes on in the array and the buffer grows at the flush.
    if (!reserveFor(verts_, need, 4096)) return false;
    std::memcpy(verts_.data(), mapped_, sizeof(QornVertex) * size_t(nverts_));
    unmapVerts();
    return true;
  }
  return reserveFor(verts_, need, 4096);
}

RhiBackend::Call *RhiBackend::allocCall() {
  if (!reserveFor(calls_, size_t(ncalls_) + 1, 128)) return nullptr;
  Call *c = &calls_[ncalls_++];
  *c = Call{};
  return c;
}

int RhiBackend::allocPaths(int n) {
  if (!reserveFor(paths_, size_t(npaths_) + n, 128)) return -1;
  const int first = npaths_;
  npaths_ += n;
  return first;
}

int RhiBackend::allocVerts(int n) {
  if (!ensureVerts(size_t(nverts_) + n)) return -1;
  const int first = nverts_;
  nverts_ += n;
  return first;
}

QornVertex *RhiBackend::reserveVerts(int n) {
  // The fill's bounding quad follows its paths' vertices.
  if (n < 0 || !ensureVerts(size_t(nverts_) + size_t(n) + 4)) return nullptr;
  return vertData() + nverts_;
}

int RhiBackend::allocIndices(int n) {
  if (!reserveFor(indices_, size_t(nindices_) + n, 4096)) return -1;
  const int first = nindices_;
  nindices_ += n;
  return first;
}

int RhiBackend::allocUniforms(int n) {
  const size_t stride = size_t(fragStride_);
  if (!reserveFor(uniforms_, (size_t(nuniforms_) + n) * stride, 128 * stride)) return -1;
  const int first = nuniforms_;
  nuniforms_ += n;
  return first;
}

FragUniforms *RhiBackend::uniform(int slot) {
  return reinterpret_cast<FragUniforms *>(uniforms_.data() + size_t(slot) * fragStride_);
}

void RhiBackend::dropLastCall(int pathCount, int vertCount, int indexCount, int uniformCount) {
  --ncalls_;
  npaths_ -= pathCount;
  nverts_ -= vertCount;
  nindices_ -= indexCount;
  nuniforms_ -= uniformCount;
}

int RhiBackend::convertPaint(FragUniforms *frag, const QornPaint *paint,
                             const QornScissor *scissor, float width, float fringe,
                             float strokeThr) {
  std::memset(frag, 0, sizeof(*frag));
  premultiplied(frag->innerCol, paint->innerColor);
  premultiplied(frag->outerCol, paint->outerColor);
  if (scissor->extent[0] < -0.5f || scissor->extent[1] < -0.5f) {
    frag->scissorExt[0] = frag->scissorExt[1] = 1.0f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.0f;
  } else {
    float inv[6];
    qornTransformInverse(inv, scissor->xform);
    xformToMat3x4(frag->scissorMat, inv);
    frag->scissorExt[0] = scissor->extent[0];
    frag->scissorExt[1] = scissor->extent[1];
    const float *t = scissor->xform;
    frag->scissorScale[0] = std::sqrt(t[0] * t[0] + t[2] * t[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(t[1] * t[1] + t[3] * t[3]) / fringe;
  }
  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMult = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThr = strokeThr;
  float inv[6];
  if (paint->image != 0) {
    const TextureRecord *t = findTexture(paint->image);
    if (!t) return 0;
    if (t->flags & QORN_IMAGE_FLIPY) {
      // Mirror about the horizontal centre line of the extent before inverting.
      float m1[6], m2[6];
      qornTransformTranslate(m1, 0.0f, frag->extent[1] * 0.5f);
      qornTransformMultiply(m1, paint->xform);
      qornTransformScale(m2, 1.0f, -1.0f);
      qornTransformMultiply(m2, m1);
      qornTransformTranslate(m1, 0.0f, -frag->extent[1] * 0.5f);
      qornTransformMultiply(m1, m2);
      qornTransformInverse(inv, m1);
    } else {
      qornTransformInverse(inv, paint->xform);
    }
    frag->type = ShaderImage;
    frag->texType = t->type == QORN_TEXTURE_RGBA
                        ? ((t->flags & QORN_IMAGE_PREMULTIPLIED) ? 0 : 1)
                        : 2;
  } else {
    frag->type = ShaderGradient;
    frag->radius = paint->radius;
    frag->feather = paint->feather;
    qornTransformInverse(inv, paint->xform);
  }
  xformToMat3x4(frag->paintMat, inv);
  return 1;
}

static CallBlend convertBlend(const QornCompositeState &op) {
  CallBlend b;
  b.srcColor = blendFactor(op.srcRGB);
  b.dstColor = blendFactor(op.dstRGB);
  b.srcAlpha = blendFactor(op.srcAlpha);
  b.dstAlpha = blendFactor(op.dstAlpha);
  return b;
}

void RhiBackend::placeVerts(int at, const QornVertex *src, int n) {
  // Paths tessellated in place sit at or after their slot (a fill of fewer than three vertices
  // is dropped here, so later paths move towards the start): memmove keeps that overlap safe.
  QornVertex *dst = vertData() + at;
  if (dst != src) std::memmove(dst, src, sizeof(QornVertex) * size_t(n));
}

void RhiBackend::fill(const QornPaint *paint, QornCompositeState op, const QornScissor *scissor,
                      float fringe, const float *bounds, const QornPath *paths, int npaths) {
  if (npaths <= 0) return;
  Call *call = allocCall();
  if (!call) return;
  const bool convex = npaths == 1 && paths[0].convex;
  call->type = convex ? CallConvexFill : CallFill;
  call->triangleCount = convex ? 0 : 4;
  call->image = paint->image;
  call->blend = convertBlend(op);
  int maxVerts = call->triangleCount, maxIndices = 0;
  for (int i = 0; i < npaths; ++i) {
    if (paths[i].nfill >= 3) {
      maxVerts += paths[i].nfill;
      maxIndices += 3 * (paths[i].nfill - 2);
    }
    maxVerts += paths[i].nstroke;
  }
  const int nuniforms = convex ? 1 : 2;
  const int pathOffset = allocPaths(npaths);
  const int vertOffset = pathOffset < 0 ? -1 : allocVerts(maxVerts);
  const int indexOffset = vertOffset < 0 ? -1 : allocIndices(maxIndices);
  const int uniformOffset = indexOffset < 0 ? -1 : allocUniforms(nuniforms);
  if (uniformOffset < 0) {
    // Undo exactly what was reserved.
    --ncalls_;
    if (pathOffset >= 0) npaths_ -= npaths;
    if (vertOffset >= 0) nverts_ -= maxVerts;
    if (indexOffset >= 0) nindices_ -= maxIndices;
    return;
  }
  call->pathOffset = pathOffset;
  call->pathCount = npaths;
  call->indexOffset = indexOffset;
  call->indexCount = maxIndices;
  int v = vertOffset, ix = indexOffset;
  for (int i = 0; i < npaths; ++i) {
    const QornPath &p = paths[i];
    PathRange &r = paths_[size_t(pathOffset) + i];
    r = PathRange{};
    if (p.nfill >= 3) {
      r.fillOffset = v;
      r.fillCount = p.nfill;
      placeVerts(v, p.fill, p.nfill);
      // Fans do not exist in QRhi: the fan becomes an indexed triangle list.
      for (int l = v + 2; l < v + p.nfill; ++l) {
        indices_[ix++] = quint32(v);
        indices_[ix++] = quint32(l - 1);
        indices_[ix++] = quint32(l);
      }
      v += p.nfill;
    }
    if (p.nstroke > 0) {
      r.strokeOffset = v;
      r.strokeCount = p.nstroke;
      placeVerts(v, p.stroke, p.nstroke);
      v += p.nstroke;
    }
  }
  if (call->type == CallFill) {
    call->triangleOffset = v;
    const QornVertex quad[4] = {{bounds[2], bounds[3], 0.5f, 1.0f},
                                {bounds[2], bounds[1], 0.5f, 1.0f},
                                {bounds[0], bounds[3], 0.5f, 1.0f},
                                {bounds[0], bounds[1], 0.5f, 1.0f}};
    std::memcpy(vertData() + v, quad, sizeof(quad));
    call->uniformOffset = uniformOffset;
    FragUniforms *stencil = uniform(uniformOffset);
    std::memset(stencil, 0, sizeof(*stencil));
    stencil->strokeThr = -1.0f;
    stencil->type = ShaderStencil;
    if (!convertPaint(uniform(uniformOffset + 1), paint, scissor, fringe, fringe, -1.0f)) {
      dropLastCall(npaths, maxVerts, maxIndices, nuniforms);
      return;
    }
  } else {
    call->uniformOffset = uniformOffset;
    if (!convertPaint(uniform(uniformOffset), paint, scissor, fringe, fringe, -1.0f)) {
      dropLastCall(npaths, maxVerts, maxIndices, nuniforms);
      return;
    }
  }
}

void RhiBackend::stroke(const QornPaint *paint, QornCompositeState op, const QornScissor *scissor,
                        float fringe, float strokeWidth, const QornPath *paths, int npaths) {
  if (npaths <= 0) return;
  Call *call = allocCall();
  if (!call) return;
  call->type = CallStroke;
  call->image = paint->image;
  call->blend = convertBlend(op);
  int maxVerts = 0;
  for (int i = 0; i < npaths; ++i) maxVerts += paths[i].nfill + paths[i].nstroke;
  const bool stencil = flags_ & FlagStencilStrokes;
  const int nuniforms = stencil ? 2 : 1;
  const int pathOffset = allocPaths(npaths);
  const int vertOffset = pathOffset < 0 ? -1 : allocVerts(maxVerts);
  const int uniformOffset = vertOffset < 0 ? -1 : allocUniforms(nuniforms);
  if (uniformOffset < 0) {
    --ncalls_;
    if (pathOffset >= 0) npaths_ -= npaths;
    if (vertOffset >= 0) nverts_ -= maxVerts;
    return;
  }
  call->pathOffset = pathOffset;
  call->pathCount = npaths;
  int v = vertOffset;
  for (int i = 0; i < npaths; ++i) {
    const QornPath &p = paths[i];
    PathRange &r = paths_[size_t(pathOffset) + i];
    r = PathRange{};
    if (p.nstroke > 0) {
      r.strokeOffset = v;
      r.strokeCount = p.nstroke;
      placeVerts(v, p.stroke, p.nstroke);
      v += p.nstroke;
    }
  }
  call->uniformOffset = uniformOffset;
  bool ok = convertPaint(uniform(uniformOffset), paint, scissor, strokeWidth, fringe, -1.0f);
  if (ok && stencil)
    ok = convertPaint(uniform(uniformOffset + 1), paint, scissor, strokeWidth, fringe,
                      1.0f - 0.5f / 255.0f);
  if (!ok) dropLastCall(npaths, maxVerts, 0, nuniforms);
}

void RhiBackend::triangles(const QornPaint *paint, QornCompositeState op,
                           const QornScissor *scissor, const QornVertex *verts, int nverts,
                           float fringe) {
  if (nverts <= 0) return;
  Call *call = allocCall();
  if (!call) return;
  call->type = CallTriangles;
  call->image = paint->image;
  call->blend = convertBlend(op);
  const int vertOffset = allocVerts(nverts);
  const int uniformOffset = vertOffset < 0 ? -1 : allocUniforms(1);
  if (uniformOffset < 0) {
    --ncalls_;
    if (vertOffset >= 0) nverts_ -= nverts;
    return;
  }
  call->triangleOffset = vertOffset;
  call->triangleCount = nverts;
  std::memcpy(vertData() + vertOffset, verts, sizeof(QornVertex) * size_t(nverts));
  call->uniformOffset = uniformOffset;
  FragUniforms *frag = uniform(uniformOffset);
  if (!convertPaint(frag, paint, scissor, 1.0f, fringe, -1.0f)) {
    dropLastCall(0, nverts, 0, 1);
    return;
  }
  frag->type = ShaderText;
}

void RhiBackend::beginFrame(QornContext *ctx, QRhiCommandBuffer *cb, QRhiRenderTarget *rt,
                            float x, float y, float ratio, QRhiRenderPassDescriptor *rpDesc) {
  cb_ = cb;
  rt_ = rt;
  rpDesc_ = rpDesc ? rpDesc : (rt ? rt->renderPassDescriptor() : nullptr);
  if (std::fabs(ratio) <= 0.00001f) ratio = rt ? float(rt->devicePixelRatio()) : 1.0f;
  if (ratio <= 0.0f) ratio = 1.0f;
  ratio_ = ratio;
  const QSize px = rt ? rt->pixelSize() : QSize();
  const float w = std::round(float(px.width()) / ratio);
  const float h = std::round(float(px.height()) / ratio);
  resetFrame();
  qornBeginFrame(ctx, x, y, w, h, ratio);
}

bool RhiBackend::growBuffer(QRhiBuffer *buf, quint32 need) {
  if (quint32(buf->size()) >= need) return true;
  // Grow by half again at least so a slowly growing scene does not re-create every frame; a jump
  // past that (a chart's first frame) keeps half its need in reserve, or the next frame with a
  // few more vertices would make the large buffer again.
  const quint32 half = quint32(buf->size()) * 3 / 2;
  const quint32 size = need <= half ? half : need + need / 2;
  buf->setSize(size);
  if (!buf->create()) {
    qWarning("recreate buffer with size %u, error", size);
    buf->setSize(0);  // so the next frame tries again
    return false;
  }
  ++counters_.buffers;
  return true;
}

void RhiBackend::writeGeometry(QRhiResourceUpdateBatch *b, QRhiBuffer *buf, int bytes, const void *data) {
  if (!directWrites_) {
    b->uploadStaticBuffer(buf, 0, bytes, data);
    return;
  }
  // The bytes past this frame's data are left as they were: no draw reads them.
  if (char *p = buf->beginFullDynamicBufferUpdateForCurrentFrame()) {
    std::memcpy(p, data, size_t(bytes));
    buf->endFullDynamicBufferUpdateForCurrentFrame();
    return;
  }
  b->updateDynamicBuffer(buf, 0, bytes, data);
}

QRhiShaderResourceBindings *RhiBackend::bindingsFor(int image) {
  const TextureRecord *t = findTexture(image);
  if (!t || !t->tex) {
    t = findTexture(dummyTexture_);
    image = dummyTexture_;
    if (!t) return nullptr;
  }
  if (QRhiShaderResourceBindings *srb = bindings_.value(image)) return srb;
  QRhiSampler *sampler = samplers_.get(rhi_, t->flags, &counters_);
  QRhiShaderResourceBindings *srb = makeBindings(rhi_, vubuf_, fubuf_, t->tex, sampler, &counters_);
  if (srb) bindings_.insert(image, srb);
  return srb;
}

void RhiBackend::flush() {
  if (ncalls_ == 0) {
    unmapVerts();
    cb_ = nullptr;  // the pass follows: no uploads from here on
    return;
  }
  const bool inPlace = mapped_ != nullptr;
  const bool ok = growBuffer(fubuf_, quint32(fragStride_) * quint32(nuniforms_)) &&
                  (inPlace || growBuffer(vbuf_, quint32(sizeof(QornVertex)) * quint32(nverts_))) &&
                  growBuffer(ibuf_, 4u * quint32(nindices_));
  if (!ok) {
    unmapVerts();
    frameUsable_ = false;
    submitPendingIfRecording();
    return;
  }
  QRhiResourceUpdateBatch *b = batch();
  unsigned char vu[kVertUniformSize] = {};
  std::memcpy(vu, view_, sizeof(view_));
  const qint32 yDown = rhi_->isYUpInNDC() ? 0 : 1;
  std::memcpy(vu + 16, &yDown, sizeof(yDown));
  b->updateDynamicBuffer(vubuf_, 0, kVertUniformSize, vu);
  b->updateDynamicBuffer(fubuf_, 0, fragStride_ * nuniforms_, uniforms_.data());
  if (inPlace)
    unmapVerts();
  else
    writeGeometry(b, vbuf_, int(sizeof(QornVertex)) * nverts_, verts_.data());
  if (nindices_ > 0) writeGeometry(b, ibuf_, 4 * nindices_, indices_.data());
  submitPendingIfRecording();

  QRhiShaderResourceBindings *base = bindingsFor(dummyTexture_);
  const int sampleCount = rt_ ? rt_->sampleCount() : 1;
  const bool stencilStrokes = flags_ & FlagStencilStrokes;
  const PipelineCache::Target target = PipelineCache::target(base, rpDesc_);
  // A frame of items has hundreds of calls but only a few kinds (type and blend) and images:
  // each kind's pipelines and each image's bindings are looked up once per flush.
  struct Kind {
    int type;
    CallBlend blend;
    QRhiGraphicsPipeline *pipelines[4];
    bool usable;
  };
  Kind kinds[8];
  int nkinds = 0;
  int lastImage = -1;
  QRhiShaderResourceBindings *lastBindings = nullptr;
  for (int i = 0; i < ncalls_; ++i) {
    Call &c = calls_[i];
    c.baseBindings = base;
    if (c.image != lastImage || !lastBindings) {
      lastBindings = bindingsFor(c.image);
      lastImage = c.image;
    }
    c.imageBindings = lastBindings;
    c.usable = base && c.imageBindings && rpDesc_;
    if (!c.usable) continue;
    const Kind *known = nullptr;
    for (int k = 0; k < nkinds; ++k)
      if (kinds[k].type == c.type && kinds[k].blend == c.blend) {
        known = &kinds[k];
        break;
      }
    if (known) {
      std::copy(std::begin(known->pipelines), std::end(known->pipelines), c.pipelines);
      c.usable = known->usable;
      continue;
    }
    const int n = pipelineCount(c.type, stencilStrokes);
    for (int p = 0; p < n && c.usable; ++p) {
      const PipelineState st =
          pipelineState(c.type, p + 1, flags_ & FlagEdgeAntiAlias, c.blend, sampleCount);
      c.pipelines[p] = pipelines_.get(rhi_, st, target, &counters_);
      c.usable = c.pipelines[p] != nullptr;
    }
    if (nkinds < int(std::size(kinds))) {
      Kind &k = kinds[nkinds++];
      k.type = c.type;
      k.blend = c.blend;
      std::copy(std::begin(c.pipelines), std::end(c.pipelines), k.pipelines);
      k.usable = c.usable;
    }
  }
  // No uploads may be recorded from here until the next frame begins: the pass follows.
  cb_ = nullptr;
}

void RhiBackend::recordDraws(QRhiCommandBuffer *cb, const QRhiScissor *scissor) {
  cb_ = nullptr;
  if (ncalls_ == 0 || !frameUsable_ || !cb || !rt_) {
    resetFrame();
    return;
  }
  const QSize px = rt_->pixelSize();
  const QRhiScissor clip = scissor ? *scissor : QRhiScissor(0, 0, px.width(), px.height());
  const QRhiCommandBuffer::VertexInput vin(vbuf_, 0);
  const quint32 stride = quint32(fragStride_);
  bool first = true;
  auto use = [&](QRhiGraphicsPipeline *ps, QRhiShaderResourceBindings *srb, int slot) {
    cb->setGraphicsPipeline(ps);
    if (first) {
      // Dynamic state follows the first pipeline (some back ends read the pipeline's flags).
      first = false;
      cb->setViewport(QRhiViewport(0, 0, float(px.width()), float(px.height())));
      cb->setScissor(clip);
    }
    const QRhiCommandBuffer::DynamicOffset off(1, quint32(slot) * stride);
    cb->setShaderResources(srb, 1, &off);
    cb->setVertexInput(0, 1, &vin, ibuf_, 0, QRhiCommandBuffer::IndexUInt32);
  };
  auto drawFringes = [&](const Call &c) {
    for (int p = 0; p < c.pathCount; ++p) {
      const PathRange &r = paths_[size_t(c.pathOffset) + p];
      if (r.strokeCount > 0) cb->draw(quint32(r.strokeCount), 1, quint32(r.strokeOffset));
    }
  };
  const bool edgeAA = flags_ & FlagEdgeAntiAlias;
  for (int i = 0; i < ncalls_; ++i) {
    const Call &c = calls_[i];
    if (!c.usable) continue;
    switch (c.type) {
      case CallFill:
        if (c.indexCount > 0) {
          use(c.pipelines[0], c.baseBindings, c.uniformOffset);
          cb->drawIndexed(quint32(c.indexCount), 1, quint32(c.indexOffset));
        }
        if (edgeAA) {
          use(c.pipelines[1], c.imageBindings, c.uniformOffset + 1);
          drawFringes(c);
        }
        use(c.pipelines[2], c.imageBindings, c.uniformOffset + 1);
        cb->draw(quint32(c.triangleCount), 1, quint32(c.triangleOffset));
        break;
      case CallConvexFill:
        if (c.indexCount > 0) {
          use(c.pipelines[0], c.imageBindings, c.uniformOffset);
          cb->drawIndexed(quint32(c.indexCount), 1, quint32(c.indexOffset));
        }
        use(c.pipelines[1], c.imageBindings, c.uniformOffset);
        drawFringes(c);
        break;
      case CallStroke:
        if (flags_ & FlagStencilStrokes) {
          use(c.pipelines[1], c.imageBindings, c.uniformOffset + 1);
          drawFringes(c);
          use(c.pipelines[2], c.imageBindings, c.uniformOffset);
          drawFringes(c);
          use(c.pipelines[3], c.imageBindings, c.uniformOffset);
          drawFringes(c);
        } else {
          use(c.pipelines[0], c.imageBindings, c.uniformOffset);
          drawFringes(c);
        }
        break;
      case CallTriangles:
        use(c.pipelines[0], c.imageBindings, c.uniformOffset);
        cb->draw(quint32(c.triangleCount), 1, quint32(c.triangleOffset));
        break;
      default:
        break;
    }
  }
  resetFrame();
}

}  // namespace qorn::rhi
