// Built-in palettes, their hand-out copy and the SDK's shared free of single-block objects.
#include "alg/frame/Palette.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "alg/common/AlgCommon.h"

namespace ostrel::alg {

namespace {

struct Anchor {
  int level;
  int r, g, b;
};

struct PaletteDef {
  const char* name;
  std::initializer_list<Anchor> anchors;  // rising levels from 0 to 255; empty for the rules below
};

// Colours between anchors are interpolated linearly per channel and rounded to the nearest
// integer (halves upward).
constexpr uint32_t bgra(int r, int g, int b, int a) {
  return static_cast<uint32_t>(b) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(r) << 16 |
         static_cast<uint32_t>(a) << 24;
}

int lerp(int c0, int c1, int i, int i0, int i1) {
  const int d = i1 - i0;
  const int num = c0 * (i1 - i) + c1 * (i - i0);
  return (2 * num + d) / (2 * d);
}

void fillFromAnchors(PaletteData& p, std::initializer_list<Anchor> anchors) {
  const Anchor* a = anchors.begin();
  const size_t n = anchors.size();
  for (size_t k = 0; k + 1 < n; ++k) {
    const Anchor& lo = a[k];
    const Anchor& hi = a[k + 1];
    for (int i = lo.level; i <= hi.level; ++i)
      p.colors[i] = bgra(lerp(lo.r, hi.r, i, lo.level, hi.level), lerp(lo.g, hi.g, i, lo.level, hi.level),
                         lerp(lo.b, hi.b, i, lo.level, hi.level), 0);
  }
}

std::array<PaletteData, OSTREL_PALETTE_COUNT> buildTable() {
  // Anchor colours (R, G, B).
  const PaletteDef defs[OSTREL_PALETTE_COUNT] = {
      {"Autumn",
       {{0, 0, 0, 0}, {64, 203, 22, 36}, {128, 255, 90, 0}, {192, 255, 214, 0}, {255, 255, 254, 251}}},
      {"BlackHot", {}},
      {"GlowBow", {{0, 50, 0, 0}, {128, 156, 128, 0}, {255, 255, 255, 0}}},
      {"HighContrast",
       {{0, 0, 0, 0},
        {32, 224, 0, 224},
        {64, 56, 0, 203},
        {96, 0, 168, 231},
        {128, 0, 186, 119},
        {160, 105, 179, 0},
        {192, 235, 182, 0},
        {224, 198, 35, 35},
        {255, 252, 252, 252}}},
      {"HotMetal",
       {{0, 0, 0, 0}, {64, 128, 0, 0}, {128, 255, 0, 0}, {192, 255, 128, 128}, {255, 255, 255, 255}}},
      {"IronBow",
       {{0, 0, 0, 0},
        {32, 26, 0, 122},
        {64, 111, 0, 138},
        {96, 192, 5, 148},
        {128, 232, 60, 69},
        {160, 255, 115, 15},
        {192, 255, 170, 15},
        {224, 255, 225, 22},
        {255, 255, 255, 255}}},
      {"Jet",
       {{0, 0, 0, 127},
        {32, 0, 0, 255},
        {96, 0, 255, 255},
        {160, 255, 255, 0},
        {224, 255, 0, 0},
        {255, 131, 0, 0}}},
      {"RainBow",
       {{0, 0, 0, 50}, {64, 0, 127, 255}, {128, 255, 255, 0}, {192, 255, 0, 127}, {255, 255, 251, 253}}},
      {"RedSaturation",
       {{0, 0, 0, 0}, {128, 163, 163, 163}, {192, 244, 195, 195}, {224, 255, 110, 110}, {255, 255, 0, 0}}},
      {"WhiteHot", {}},
      {"Winter",
       {{0, 255, 255, 255}, {64, 92, 191, 191}, {128, 68, 127, 127}, {192, 223, 63, 63}, {255, 255, 0, 0}}},
      {"IronBow2", {}},
  };
  std::array<PaletteData, OSTREL_PALETTE_COUNT> t{};
  for (int k = 0; k < OSTREL_PALETTE_COUNT; ++k) {
    std::strncpy(t[k].name, defs[k].name, sizeof t[k].name - 1);
    fillFromAnchors(t[k], defs[k].anchors);
  }
  for (int i = 0; i < 256; ++i) {
    t[1].colors[i] = bgra(255 - i, 255 - i, 255 - i, 0);  // BlackHot
    t[9].colors[i] = bgra(i, i, i, 0);                    // WhiteHot
    t[11].colors[i] = t[5].colors[255 - i];               // IronBow2: IronBow reversed
  }
  return t;
}

PaletteData* g_table = nullptr;  // the SDK's copy
int g_count = 0;

}  // namespace

const PaletteData* builtinPalettes() {
  static const std::array<PaletteData, OSTREL_PALETTE_COUNT> table = buildTable();
  return table.data();
}

int paletteTableInit() {
  if (g_table) return 0;
  int count = 0;
  PaletteData* table = Ostrel_AllocPaletteData(&count);
  if (!table) return OSTREL_E_NO_MEMORY;
  g_table = table;
  g_count = count;
  return 0;
}

void paletteTableFree() {
  Ostrel_FreePaletteData(&g_table);
  g_count = 0;
}

const PaletteData* paletteTable(int* count) {
  if (count) *count = g_table ? g_count : 0;
  return g_table;
}

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API PaletteData* Ostrel_AllocPaletteData(int* count) {
  auto* copy = static_cast<PaletteData*>(algAlloc(sizeof(PaletteData) * OSTREL_PALETTE_COUNT));
  if (!copy) {
    if (count) *count = 0;
    return nullptr;
  }
  std::memcpy(copy, builtinPalettes(), sizeof(PaletteData) * OSTREL_PALETTE_COUNT);
  for (int k = 0; k < OSTREL_PALETTE_COUNT; ++k)
    for (uint32_t& c : copy[k].colors) c |= 0xFF000000u;
  if (count) *count = OSTREL_PALETTE_COUNT;
  return copy;
}

// One implementation, exported under every name of the SDK's single-block objects.
extern "C" OSTREL_API void Ostrel_FreePaletteData(void* pointerAddress) {
  if (!pointerAddress) return;
  void** slot = static_cast<void**>(pointerAddress);
  std::free(*slot);
  *slot = nullptr;
}

#define OSTREL_FREE_ALIAS(name) \
  extern "C" OSTREL_API void name(void*) __attribute__((alias("Ostrel_FreePaletteData")));
OSTREL_FREE_ALIAS(rtFree)
OSTREL_FREE_ALIAS(Fpa_Free)
OSTREL_FREE_ALIAS(Nst_Free)
OSTREL_FREE_ALIAS(HW_Free)
OSTREL_FREE_ALIAS(GaoWen_Free)
OSTREL_FREE_ALIAS(WeiJu_Free)
OSTREL_FREE_ALIAS(FixDist_Free)
OSTREL_FREE_ALIAS(FixTrans_Free)
OSTREL_FREE_ALIAS(ExtBb_Free)
