#version 440

// One source, two variants: EDGE_AA=1 adds the stroke mask that fades the anti-aliasing fringe
// and discards fragments below the stroke threshold.
layout(location = 0) in vec2 ftcoord;
layout(location = 1) in vec2 fpos;

layout(location = 0) out vec4 fragColor;

// 176 bytes in std140; the back end fills one block per draw and binds it with a dynamic offset.
layout(std140, binding = 1) uniform frag {
    mat3 scissorMat;
    mat3 paintMat;
    vec4 innerCol;
    vec4 outerCol;
    vec2 scissorExt;
    vec2 scissorScale;
    vec2 extent;
    float radius;
    float feather;
    float strokeMult;
    float strokeThr;
    int texType;
    int type;
};

layout(binding = 2) uniform sampler2D tex;

float sdroundrect(vec2 pt, vec2 ext, float rad)
{
    vec2 ext2 = ext - vec2(rad, rad);
    vec2 d = abs(pt) - ext2;
    return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - rad;
}

float scissorMask(vec2 p)
{
    vec2 sc = (abs((scissorMat * vec3(p, 1.0)).xy) - scissorExt);
    sc = vec2(0.5, 0.5) - sc * scissorScale;
    return clamp(sc.x, 0.0, 1.0) * clamp(sc.y, 0.0, 1.0);
}

#if EDGE_AA
float strokeMask()
{
    return min(1.0, (1.0 - abs(ftcoord.x * 2.0 - 1.0)) * strokeMult) * min(1.0, ftcoord.y);
}
#endif

vec4 sampleTex(vec2 uv)
{
    vec4 c = texture(tex, uv);
    if (texType == 1)
        c = vec4(c.xyz * c.w, c.w);
    else if (texType == 2)
        c = vec4(c.x);
    return c;
}

void main()
{
    float scissor = scissorMask(fpos);
#if EDGE_AA
    float strokeAlpha = strokeMask();
    if (strokeAlpha < strokeThr)
        discard;
#else
    float strokeAlpha = 1.0;
#endif
    vec4 result;
    if (type == 0) {
        vec2 pt = (paintMat * vec3(fpos, 1.0)).xy;
        float d = clamp((sdroundrect(pt, extent, radius) + feather * 0.5) / feather, 0.0, 1.0);
        result = mix(innerCol, outerCol, d) * strokeAlpha * scissor;
    } else if (type == 1) {
        vec2 pt = (paintMat * vec3(fpos, 1.0)).xy / extent;
        result = sampleTex(pt) * innerCol * strokeAlpha * scissor;
    } else if (type == 2) {
        result = vec4(1.0, 1.0, 1.0, 1.0);
    } else {
        result = sampleTex(ftcoord) * scissor * innerCol;
    }
    fragColor = result;
}
