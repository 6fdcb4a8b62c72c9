#include "QornRhiPipelines.h"

#include <QFile>
#include <QtGlobal>

#include <mutex>

namespace qorn::rhi {

namespace {

QShader loadShader(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QShader();
  return QShader::fromSerialized(f.readAll());
}

using GP = QRhiGraphicsPipeline;

size_t hashState(const PipelineState &s, size_t targetHash) {
  // Every field folded in; equal states always hash equally, so a miss only compares entries
  // with the same hash.
  size_t h = qHashMulti(0, s.edgeAA, s.scissor, int(s.topology), int(s.cullMode), s.depthTest,
                        s.depthWrite, int(s.depthOp), s.stencilTest, s.usesStencilRef);
  for (const StencilFace *f : {&s.front, &s.back})
    h = qHashMulti(h, int(f->failOp), int(f->depthFailOp), int(f->passOp), int(f->compareOp));
  h = qHashMulti(h, s.stencilReadMask, s.stencilWriteMask, s.blendEnable, int(s.colorWrite),
                 int(s.srcColor), int(s.dstColor), int(s.opColor), int(s.srcAlpha),
                 int(s.dstAlpha), int(s.opAlpha), s.sampleCount);
  return qHashMulti(h, targetHash);
}

}  // namespace

const ShaderSet &shaderSet() {
  // Each window renders on its own thread and the first back end of each may get here at once.
  static std::once_flag once;
  static ShaderSet set;
  std::call_once(once, [] {
    set.vert = loadShader(QStringLiteral(":/Qorn/fill.vert.qsb"));
    set.frag = loadShader(QStringLiteral(":/Qorn/fill.frag.qsb"));
    set.fragEdgeAA = loadShader(QStringLiteral(":/Qorn/fill_edgeaa.frag.qsb"));
    set.inputLayout.setBindings({QRhiVertexInputBinding(16)});
    set.inputLayout.setAttributes({
        QRhiVertexInputAttribute(0, 0, QRhiVertexInputAttribute::Float2, 0),
        QRhiVertexInputAttribute(0, 1, QRhiVertexInputAttribute::Float2, 8),
    });
  });
  return set;
}

GP::BlendFactor blendFactor(int factor) {
  switch (factor) {
    case 1: return GP::Zero;
    case 2: return GP::One;
    case 4: return GP::SrcColor;
    case 8: return GP::OneMinusSrcColor;
    case 16: return GP::DstColor;
    case 32: return GP::OneMinusDstColor;
    case 64: return GP::SrcAlpha;
    case 128: return GP::OneMinusSrcAlpha;
    case 256: return GP::DstAlpha;
    case 512: return GP::OneMinusDstAlpha;
    case 1024: return GP::SrcAlphaSaturate;
    default: return GP::One;
  }
}

int pipelineCount(int callType, bool stencilStrokes) {
  switch (callType) {
    case CallFill: return 3;
    case CallConvexFill: return 2;
    case CallStroke: return stencilStrokes ? 4 : 1;
    case CallTriangles: return 1;
    default: return 0;
  }
}

PipelineState pipelineState(int callType, int index, bool edgeAA, const CallBlend &blend,
                            int sampleCount) {
  PipelineState s;
  s.edgeAA = edgeAA;
  s.srcColor = blend.srcColor;
  s.dstColor = blend.dstColor;
  s.srcAlpha = blend.srcAlpha;
  s.dstAlpha = blend.dstAlpha;
  s.sampleCount = sampleCount;
  auto bothFaces = [&s](GP::StencilOp fail, GP::StencilOp depthFail, GP::StencilOp pass,
                        GP::CompareOp cmp) {
    s.front = StencilFace{fail, depthFail, pass, cmp};
    s.back = s.front;
  };
  switch (callType) {
    case CallFill:
      // Stencil-then-cover: 1 counts windings, 2 draws the fringe where the count is 0, 3
      // covers the bounds where the count is non-zero and resets it.
      s.stencilTest = true;
      if (index == 1) {
        s.cullMode = GP::None;
        s.colorWrite = GP::ColorMask(0);
        s.front = StencilFace{GP::Keep, GP::Keep, GP::IncrementAndWrap, GP::Always};
        s.back = StencilFace{GP::Keep, GP::Keep, GP::DecrementAndWrap, GP::Always};
      } else if (index == 2) {
        s.topology = GP::TriangleStrip;
        bothFaces(GP::Keep, GP::Keep, GP::Keep, GP::Equal);
      } else {
        s.topology = GP::TriangleStrip;
        bothFaces(GP::StencilZero, GP::StencilZero, GP::StencilZero, GP::NotEqual);
      }
      break;
    case CallConvexFill:
      if (index == 2) s.topology = GP::TriangleStrip;
      break;
    case CallStroke:
      s.topology = GP::TriangleStrip;
      if (index >= 2) {
        s.stencilTest = true;
        if (index == 2)
          bothFaces(GP::Keep, GP::Keep, GP::IncrementAndClamp, GP::Equal);
        else if (index == 3)
          bothFaces(GP::Keep, GP::Keep, GP::Keep, GP::Equal);
        else {
          s.colorWrite = GP::ColorMask(0);
          bothFaces(GP::StencilZero, GP::StencilZero, GP::StencilZero, GP::Always);
        }
      }
      break;
    default:
      break;
  }
  return s;
}

PipelineCache::Target PipelineCache::target(QRhiShaderResourceBindings *layout,
                                            QRhiRenderPassDescriptor *rpDesc) {
  Target t;
  if (!layout || !rpDesc) return t;
  t.layout = layout;
  t.rpDesc = rpDesc;
  t.passFormat = rpDesc->serializedFormat();
  t.layoutDesc = layout->serializedLayoutDescription();
  t.hash = qHashMulti(0, t.passFormat, t.layoutDesc);
  return t;
}

QRhiGraphicsPipeline *PipelineCache::get(QRhi *rhi, const PipelineState &state, const Target &target,
                                         RhiCounters *counters) {
  QRhiShaderResourceBindings *layout = target.layout;
  QRhiRenderPassDescriptor *rpDesc = target.rpDesc;
  if (!layout || !rpDesc) return nullptr;
  const QVector<quint32> &pass = target.passFormat;
  const QVector<quint32> &desc = target.layoutDesc;
  const size_t h = hashState(state, target.hash);
  for (const Entry &e : entries_)
    if (e.hash == h && e.state == state && e.passFormat == pass && e.layoutDesc == desc)
      return e.pipeline;

  const ShaderSet &shaders = shaderSet();
  QRhiGraphicsPipeline *ps = rhi->newGraphicsPipeline();
  ps->setShaderStages({{QRhiShaderStage::Vertex, shaders.vert},
                       {QRhiShaderStage::Fragment,
                        state.edgeAA ? shaders.fragEdgeAA : shaders.frag}});
  ps->setVertexInputLayout(shaders.inputLayout);
  ps->setShaderResourceBindings(layout);
  ps->setRenderPassDescriptor(rpDesc);
  GP::Flags flags;
  if (state.scissor) flags |= GP::UsesScissor;
  if (state.usesStencilRef) flags |= GP::UsesStencilRef;
  ps->setFlags(flags);
  ps->setTopology(state.topology);
  ps->setCullMode(state.cullMode);
  ps->setFrontFace(GP::CCW);
  GP::TargetBlend blend;
  blend.enable = state.blendEnable;
  blend.colorWrite = state.colorWrite;
  blend.srcColor = state.srcColor;
  blend.dstColor = state.dstColor;
  blend.opColor = state.opColor;
  blend.srcAlpha = state.srcAlpha;
  blend.dstAlpha = state.dstAlpha;
  blend.opAlpha = state.opAlpha;
  ps->setTargetBlends({blend});
  ps->setDepthTest(state.depthTest);
  ps->setDepthWrite(state.depthWrite);
  ps->setDepthOp(state.depthOp);
  ps->setStencilTest(state.stencilTest);
  auto face = [](const StencilFace &f) {
    GP::StencilOpState st;
    st.failOp = f.failOp;
    st.depthFailOp = f.depthFailOp;
    st.passOp = f.passOp;
    st.compareOp = f.compareOp;
    return st;
  };
  ps->setStencilFront(face(state.front));
  ps->setStencilBack(face(state.back));
  ps->setStencilReadMask(state.stencilReadMask);
  ps->setStencilWriteMask(state.stencilWriteMask);
  ps->setSampleCount(state.sampleCount);
  if (!ps->create()) {
    qWarning("build graphics pipeline, error");
    delete ps;
    return nullptr;
  }
  if (counters) ++counters->pipelines;
  entries_.push_back(Entry{state, pass, desc, h, ps});
  return ps;
}

void PipelineCache::releaseAll() {
  for (Entry &e : entries_) delete e.pipeline;
  entries_.clear();
}

QRhiSampler *SamplerList::get(QRhi *rhi, int imageFlags, RhiCounters *counters) {
  const QRhiSampler::Filter filter = (imageFlags & 32) ? QRhiSampler::Nearest : QRhiSampler::Linear;
  const QRhiSampler::Filter mip = (imageFlags & 1) ? filter : QRhiSampler::None;
  const QRhiSampler::AddressMode u = (imageFlags & 2) ? QRhiSampler::Repeat : QRhiSampler::ClampToEdge;
  const QRhiSampler::AddressMode v = (imageFlags & 4) ? QRhiSampler::Repeat : QRhiSampler::ClampToEdge;
  const QRhiSampler::AddressMode w = QRhiSampler::Repeat;
  for (const Entry &e : entries_)
    if (e.mag == filter && e.min == filter && e.mip == mip && e.u == u && e.v == v && e.w == w)
      return e.sampler;
  QRhiSampler *s = rhi->newSampler(filter, filter, mip, u, v, w);
  if (!s->create()) {
    qWarning("build image sampler, error");
    delete s;
    return nullptr;
  }
  if (counters) ++counters->samplers;
  entries_.push_back(Entry{filter, filter, mip, u, v, w, s});
  return s;
}

void SamplerList::releaseAll() {
  for (Entry &e : entries_) delete e.sampler;
  entries_.clear();
}

QRhiShaderResourceBindings *makeBindings(QRhi *rhi, QRhiBuffer *vertUniforms,
                                         QRhiBuffer *fragUniforms, QRhiTexture *texture,
                                         QRhiSampler *sampler, RhiCounters *counters) {
  if (!texture || !sampler) return nullptr;
  QRhiShaderResourceBindings *srb = rhi->newShaderResourceBindings();
  srb->setBindings({
      QRhiShaderResourceBinding::uniformBuffer(0, QRhiShaderResourceBinding::VertexStage,
                                               vertUniforms),
      QRhiShaderResourceBinding::uniformBufferWithDynamicOffset(
          1, QRhiShaderResourceBinding::FragmentStage, fragUniforms, kFragUniformSize),
      QRhiShaderResourceBinding::sampledTexture(2, QRhiShaderResourceBinding::FragmentStage,
                                                texture, sampler),
  });
  if (!srb->create()) {
    qWarning("create resource bindings, error");
    delete srb;
    return nullptr;
  }
  if (counters) ++counters->bindings;
  return srb;
}

}  // namespace qorn::rhi
