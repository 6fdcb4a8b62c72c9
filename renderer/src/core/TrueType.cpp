// The one translation unit holding stb_truetype's implementation. Its allocations go to the glyph
// atlas's per-glyph scratch memory (the font's userdata is the atlas), so rasterising a glyph never
// touches the heap.
#include <cstddef>

void* qornAtlasScratchAlloc(size_t size, void* atlas);

#define STBTT_malloc(x, u) qornAtlasScratchAlloc(x, u)
#define STBTT_free(x, u) ((void)(x), (void)(u))
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
