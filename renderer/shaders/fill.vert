#version 440

// Vertices arrive in logical pixels of the item; viewRect.xy moves them to the item's place in
// the target and viewRect.zw is the target's logical size.
layout(location = 0) in vec2 vertex;
layout(location = 1) in vec2 tcoord;

layout(location = 0) out vec2 ftcoord;
layout(location = 1) out vec2 fpos;

layout(std140, binding = 0) uniform vert {
    vec4 viewRect;
    int ndcIsYDown;
};

void main()
{
    ftcoord = tcoord;
    fpos = vertex;
    float x = 2.0 * (vertex.x + viewRect.x) / viewRect.z - 1.0;
    float y = 2.0 * (vertex.y + viewRect.y) / viewRect.w;
    gl_Position = vec4(x, ndcIsYDown != 0 ? y - 1.0 : 1.0 - y, 0.0, 1.0);
}
