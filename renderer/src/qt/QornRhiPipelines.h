// GPU-facing half of the QRhi back end: the shader set, the fragment uniform block, pipeline
// states by call type with their cache, and shader resource bindings with their samplers.
// Render thread only, except the shader set, which is shared by every render thread.
#pragma once

#include <private/qrhi_p.h>

#include <QHash>
#include <QVector>

#include <cstdint>
#include <vector>

namespace qorn::rhi {

// Call types of the back end.
enum CallType { CallFill = 1, CallConvexFill = 2, CallStroke = 3, CallTriangles = 4 };

// Fragment uniform block, std140 layout of the "frag" block in fill.frag.
struct FragUniforms {
  float scissorMat[12];
  float paintMat[12];
  float innerCol[4];
  float outerCol[4];
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;
  int32_t texType;
  int32_t type;
};
static_assert(sizeof(FragUniforms) == 176);
static_assert(offsetof(FragUniforms, innerCol) == 96);
static_assert(offsetof(FragUniforms, scissorExt) == 128);
static_assert(offsetof(FragUniforms, strokeMult) == 160);
static_assert(offsetof(FragUniforms, type) == 172);

constexpr int kFragUniformSize = 176;
constexpr int kVertUniformSize = 64;

// Fragment shader "type" values.
enum ShaderType { ShaderGradient = 0, ShaderImage = 1, ShaderStencil = 2, ShaderText = 3 };

struct ShaderSet {
  QShader vert;
  QShader frag;
  QShader fragEdgeAA;
  QRhiVertexInputLayout inputLayout;
};

// Loads the three shader packages once per process; safe to call from several render threads.
const ShaderSet &shaderSet();

// Maps one of the core's composite factors (a single bit) to a QRhi blend factor; anything
// unknown becomes One.
QRhiGraphicsPipeline::BlendFactor blendFactor(int factor);

struct StencilFace {
  QRhiGraphicsPipeline::StencilOp failOp = QRhiGraphicsPipeline::Keep;
  QRhiGraphicsPipeline::StencilOp depthFailOp = QRhiGraphicsPipeline::Keep;
  QRhiGraphicsPipeline::StencilOp passOp = QRhiGraphicsPipeline::Keep;
  QRhiGraphicsPipeline::CompareOp compareOp = QRhiGraphicsPipeline::Always;
  bool operator==(const StencilFace &) const = default;
};

// The whole state of one graphics pipeline; equal states (with the same pass format and binding
// layout) share one pipeline object.
struct PipelineState {
  bool edgeAA = false;
  bool scissor = true;  // every draw is clipped to the item and the scene graph's clip
  QRhiGraphicsPipeline::Topology topology = QRhiGraphicsPipeline::Triangles;
  QRhiGraphicsPipeline::CullMode cullMode = QRhiGraphicsPipeline::Back;
  bool depthTest = false;
  bool depthWrite = false;
  QRhiGraphicsPipeline::CompareOp depthOp = QRhiGraphicsPipeline::LessOrEqual;
  bool stencilTest = false;
  bool usesStencilRef = false;
  StencilFace front;
  StencilFace back;
  quint32 stencilReadMask = 0xFF;
  quint32 stencilWriteMask = 0xFF;
  bool blendEnable = true;
  QRhiGraphicsPipeline::ColorMask colorWrite = QRhiGraphicsPipeline::ColorMask(0xF);
  QRhiGraphicsPipeline::BlendFactor srcColor = QRhiGraphicsPipeline::One;
  QRhiGraphicsPipeline::BlendFactor dstColor = QRhiGraphicsPipeline::OneMinusSrcAlpha;
  QRhiGraphicsPipeline::BlendOp opColor = QRhiGraphicsPipeline::Add;
  QRhiGraphicsPipeline::BlendFactor srcAlpha = QRhiGraphicsPipeline::One;
  QRhiGraphicsPipeline::BlendFactor dstAlpha = QRhiGraphicsPipeline::OneMinusSrcAlpha;
  QRhiGraphicsPipeline::BlendOp opAlpha = QRhiGraphicsPipeline::Add;
  int sampleCount = 1;
  bool operator==(const PipelineState &) const = default;
};

// Blend factors of a call, already converted.
struct CallBlend {
  QRhiGraphicsPipeline::BlendFactor srcColor = QRhiGraphicsPipeline::One;
  QRhiGraphicsPipeline::BlendFactor dstColor = QRhiGraphicsPipeline::OneMinusSrcAlpha;
  QRhiGraphicsPipeline::BlendFactor srcAlpha = QRhiGraphicsPipeline::One;
  QRhiGraphicsPipeline::BlendFactor dstAlpha = QRhiGraphicsPipeline::OneMinusSrcAlpha;
  bool operator==(const CallBlend &) const = default;
};

// Number of pipelines a call type uses (fills 3, convex fills 2, strokes 1 or 4, triangles 1).
int pipelineCount(int callType, bool stencilStrokes);

// State of pipeline number `index` (1-based) of a call type.
PipelineState pipelineState(int callType, int index, bool edgeAA, const CallBlend &blend,
                            int sampleCount);

// Objects created since the counters were last read; a steady frame adds none.
struct RhiCounters {
  int pipelines = 0;
  int bindings = 0;
  int samplers = 0;
  int buffers = 0;
  int textures = 0;
};

class PipelineCache {
 public:
  PipelineCache() = default;
  PipelineCache(const PipelineCache &) = delete;
  PipelineCache &operator=(const PipelineCache &) = delete;
  ~PipelineCache() { releaseAll(); }

  // What every pipeline of one flush shares: the bindings layout and the pass, serialised and
  // hashed once rather than per draw call.
  struct Target {
    QRhiShaderResourceBindings *layout = nullptr;
    QRhiRenderPassDescriptor *rpDesc = nullptr;
    QVector<quint32> passFormat;
    QVector<quint32> layoutDesc;
    size_t hash = 0;
  };
  static Target target(QRhiShaderResourceBindings *layout, QRhiRenderPassDescriptor *rpDesc);

  // Cached or new pipeline, or null after "build graphics pipeline, error".
  QRhiGraphicsPipeline *get(QRhi *rhi, const PipelineState &state, const Target &target,
                            RhiCounters *counters);
  void releaseAll();
  int size() const { return int(entries_.size()); }

 private:
  struct Entry {
    PipelineState state;
    QVector<quint32> passFormat;
    QVector<quint32> layoutDesc;
    size_t hash = 0;
    QRhiGraphicsPipeline *pipeline = nullptr;
  };
  std::vector<Entry> entries_;
};

// Samplers reused when their six values match.
class SamplerList {
 public:
  SamplerList() = default;
  SamplerList(const SamplerList &) = delete;
  SamplerList &operator=(const SamplerList &) = delete;
  ~SamplerList() { releaseAll(); }
  QRhiSampler *get(QRhi *rhi, int imageFlags, RhiCounters *counters);
  void releaseAll();

 private:
  struct Entry {
    QRhiSampler::Filter mag, min, mip;
    QRhiSampler::AddressMode u, v, w;
    QRhiSampler *sampler;
  };
  std::vector<Entry> entries_;
};

// Shader resource bindings for one texture: binding 0 the vertex block, binding 1 the fragment
// block with a dynamic offset, binding 2 the texture and its sampler. Null after
// "create resource bindings, error".
QRhiShaderResourceBindings *makeBindings(QRhi *rhi, QRhiBuffer *vertUniforms,
                                         QRhiBuffer *fragUniforms, QRhiTexture *texture,
                                         QRhiSampler *sampler, RhiCounters *counters);

}  // namespace qorn::rhi
