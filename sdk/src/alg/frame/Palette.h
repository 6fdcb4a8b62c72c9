// The SDK's palette table: the built-in palettes as constant data, and the one copy that the SDK
// takes at start-up for all previews.
#pragma once

#include "OstrelSDK.h"

namespace ostrel::alg {

// The constant table (A bytes 0), OSTREL_PALETTE_COUNT entries.
const PaletteData* builtinPalettes();

// Takes the SDK's copy (Ostrel_AllocPaletteData). Returns 0, or -5 when memory runs out (the
// table then stays empty). A second call without paletteTableFree keeps the first copy.
int paletteTableInit();
// Frees the SDK's copy; nothing when there is none.
void paletteTableFree();
// The SDK's copy and its entry count; null and 0 outside paletteTableInit .. paletteTableFree.
// The table does not change while it exists, so any thread may read it.
const PaletteData* paletteTable(int* count);

}  // namespace ostrel::alg
